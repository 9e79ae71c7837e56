#include "widgets/option_widget.h"

#include <QPointer>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace corvane::widgets {
namespace {

// A check box without images draws its own box this wide, text to the right of it.
constexpr int kCheckBoxSize = 16;
constexpr int kCheckBoxTextGap = 8;

}  // namespace

OptionWidget::OptionWidget(ui::ControlKind kind, SkinContext& context) : SkinWidget(kind, context) {}

OptionWidget::~OptionWidget() {
    if (!group_.empty()) Context().LeaveGroup(group_, this);
}

void OptionWidget::SetSelected(bool selected, bool notify) {
    if (selected == selected_) return;
    selected_ = selected;
    if (selected_ && !group_.empty()) {
        for (ui::Option* other : Context().GroupMembers(group_)) {
            if (other != this) other->SetSelected(false, false);
        }
    }
    update();
    if (notify) Context().Notify("selectchanged", this);
}

bool OptionWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "group") {
        if (!group_.empty()) Context().LeaveGroup(group_, this);
        group_ = std::string(value);
        if (!group_.empty()) Context().JoinGroup(group_, this);
        if (selected_) {  // "selected" may come before "group" in the element
            selected_ = false;
            SetSelected(true, false);
        }
        return true;
    }
    if (name == "selected" || name == "checked") {
        auto b = ParseBool(value);
        if (b) SetSelected(*b, false);
        return b.has_value();
    }
    return SkinWidget::ApplyAttribute(name, value);
}

void OptionWidget::OnClicked() {
    QPointer<OptionWidget> self(this);
    Context().Notify("click", this);
    if (!self) return;
    if (!group_.empty()) SetSelected(true, true);
    else SetSelected(!selected_, true);
}

void OptionWidget::Paint(QPainter& painter) {
    SkinWidget::Paint(painter);
    const bool hasImages = ImageAttr("normalimage") || ImageAttr("selectedimage");
    if (hasImages) return;
    const SkinContext& c = Context();
    if (Kind() == ui::ControlKind::CheckBox) {
        const int size = c.Px(kCheckBoxSize);
        const QRectF box(c.Px(1), (height() - size) / 2.0, size, size);
        painter.setPen(QPen(ToQColor(selected_ ? look::kAccent : look::kBorder), std::max(1, c.Px(1))));
        painter.setBrush(selected_ ? ToQColor(look::kAccent) : ToQColor(look::kRaised));
        painter.drawRoundedRect(box, c.Px(3), c.Px(3));
        if (selected_) {
            QPainterPath tick;
            tick.moveTo(box.left() + size * 0.22, box.top() + size * 0.52);
            tick.lineTo(box.left() + size * 0.43, box.top() + size * 0.72);
            tick.lineTo(box.left() + size * 0.78, box.top() + size * 0.30);
            painter.setPen(QPen(ToQColor(look::kText), std::max(1.5, c.Px(2) * 1.0)));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        }
    } else if (selected_ && !ColourAttr("selectedbkcolor")) {
        // Tab-like options without a look of their own mark the selection with an accent bar.
        const int bar = std::max(2, c.Px(2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(look::kAccent));
        painter.drawRect(QRect(0, height() - bar, width(), bar));
    }
}

}  // namespace corvane::widgets
