#include "widgets/tab_widget.h"

namespace corvane::widgets {

TabWidget::TabWidget(SkinContext& context) : SkinWidget(ui::ControlKind::TabLayout, context) {}

bool TabWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "selectedid") {
        auto v = ParseInt(value);
        if (v) current_ = *v;
        return v.has_value();
    }
    return SkinWidget::ApplyAttribute(name, value);
}

bool TabWidget::SelectPage(int index) {
    if (index < 0 || index >= ChildCount()) return false;
    current_ = index;
    ShowCurrent();
    LayoutContent();
    update();
    return true;
}

void TabWidget::FinishBuild() {
    if (current_ < 0 || current_ >= ChildCount()) current_ = 0;
    ShowCurrent();
}

void TabWidget::ShowCurrent() {
    for (int i = 0; i < ChildCount(); ++i) {
        Kids()[static_cast<std::size_t>(i)]->setVisible(i == current_);
    }
}

}  // namespace corvane::widgets
