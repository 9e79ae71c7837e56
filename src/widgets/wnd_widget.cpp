#include "widgets/wnd_widget.h"

namespace corvane::widgets {

WndWidget::WndWidget(SkinContext& context) : SkinWidget(ui::ControlKind::Wnd, context) {}

WndWidget::~WndWidget() {
    if (native_) native_->hide();
}

void WndWidget::Attach(QWidget* native) {
    native_ = native;
    Sync();
}

void WndWidget::SetVisible(bool visible) {
    SkinWidget::SetVisible(visible);
    Sync();
}

void WndWidget::LayoutContent() {
    SkinWidget::LayoutContent();
    Sync();
}

void WndWidget::moveEvent(QMoveEvent* event) {
    SkinWidget::moveEvent(event);
    Sync();
}

void WndWidget::resizeEvent(QResizeEvent* event) {
    SkinWidget::resizeEvent(event);
    Sync();
}

void WndWidget::showEvent(QShowEvent* event) {
    SkinWidget::showEvent(event);
    Sync();
}

void WndWidget::hideEvent(QHideEvent* event) {
    SkinWidget::hideEvent(event);
    Sync();
}

void WndWidget::Sync() {
    if (!native_) return;
    QWidget* paintWindow = window();
    if (native_->parentWidget() == paintWindow) {
        native_->setGeometry(QRect(mapTo(paintWindow, QPoint(0, 0)), size()));
    } else if (native_->isWindow()) {
        native_->setGeometry(QRect(mapToGlobal(QPoint(0, 0)), size()));
    } else {
        native_->setGeometry(QRect(mapTo(native_->parentWidget(), QPoint(0, 0)), size()));
    }
    native_->setVisible(isVisible());
}

}  // namespace corvane::widgets
