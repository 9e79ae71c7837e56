#pragma once

#include <string>

#include "widgets/skin_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

// Option and CheckBox: a clickable control with a selected state; options with a group are
// radio buttons of that group (window-wide), without one they toggle.
class OptionWidget : public SkinWidget, public ui::Option {
public:
    OptionWidget(ui::ControlKind kind, SkinContext& context);
    ~OptionWidget() override;

    bool IsSelected() const override { return selected_; }
    void SetSelected(bool selected, bool notify) override;
    std::string Group() const override { return group_; }

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    bool IsSelectedState() const override { return selected_; }
    void OnClicked() override;
    void Paint(QPainter& painter) override;

private:
    bool selected_ = false;
    std::string group_;
};

}  // namespace corvane::widgets
