// What a control does with the mouse, the wheel and the keyboard: hover and pressed states,
// clicks, scrolling, and the focus ring shown only for keyboard focus.

#include "widgets/skin_widget.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace corvane::widgets {

void SkinWidget::focusInEvent(QFocusEvent* event) {
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
    QWidget::focusInEvent(event);
}

void SkinWidget::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    update();
    QWidget::focusOutEvent(event);
}

void SkinWidget::keyPressEvent(QKeyEvent* event) {
    // Enter presses a focused button as a click would (the space bar is kept from doing so).
    if (IsClickable() && isEnabled() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        OnClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinWidget::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    if (!name_.empty()) context_.Notify("msenter", this);
    QWidget::enterEvent(event);
}

void SkinWidget::leaveEvent(QEvent* event) {
    hot_ = false;
    pressed_ = false;
    update();
    if (!name_.empty()) context_.Notify("msleave", this);
    QWidget::leaveEvent(event);
}

void SkinWidget::mousePressEvent(QMouseEvent* event) {
    if (!IsClickable() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    update();
    event->accept();
}

void SkinWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!IsClickable() || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool wasPressed = pressed_;
    pressed_ = false;
    update();
    event->accept();
    if (wasPressed && rect().contains(event->position().toPoint())) OnClicked();
}

void SkinWidget::resizeEvent(QResizeEvent* event) { QWidget::resizeEvent(event); }

void SkinWidget::wheelEvent(QWheelEvent* event) {
    if (hints_.vscroll && contentHeight_ > ContentArea().height()) {
        const int step = context_.Px(look::kDefaultItemHeight) * 2;
        SetScrollOffset(scrollY_ - event->angleDelta().y() / 120 * step);
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

}  // namespace corvane::widgets
