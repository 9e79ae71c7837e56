#pragma once

#include "widgets/skin_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

// TabLayout: children are pages, only the current one is shown.
class TabWidget : public SkinWidget, public ui::TabLayout {
public:
    explicit TabWidget(SkinContext& context);

    int PageCount() const override { return ChildCount(); }
    int CurPage() const override { return current_; }
    bool SelectPage(int index) override;
    void FinishBuild() override;

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;

private:
    void ShowCurrent();
    int current_ = 0;
};

}  // namespace corvane::widgets
