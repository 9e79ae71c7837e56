#pragma once

#include "widgets/skin_widget.h"
#include "widgets/item_list_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

class ComboPopup;

class ComboWidget : public ItemListWidget {
public:
    explicit ComboWidget(SkinContext& context);
    void RowPressed(RowWidget* row) override;
    void OpenPopup();
    bool IsPopupOpen() const;
    void ScrollPopup(int delta);
    void LayoutPopup();
    QRect TextArea() const override;
    std::vector<std::string> ShownTexts() const override;

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    QWidget* RowParent() override;
    void RowsChanged() override;
    bool IsClickable() const override { return true; }
    void OnClicked() override;
    void Paint(QPainter& painter) override;

private:
    ComboPopup* popup_;  // owned as Qt child (a popup window)
    int dropWidth_ = 0;
    int dropHeight_ = 200;
    int popupScroll_ = 0;
};

}  // namespace corvane::widgets
