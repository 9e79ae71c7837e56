#include "widgets/list_widget.h"

#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace corvane::widgets {
namespace {

constexpr int kDefaultHeaderHeight = 24;

}  // namespace

ListWidget::ListWidget(SkinContext& context)
    : ItemListWidget(ui::ControlKind::List, context), viewport_(new QWidget(this)) {}

void ListWidget::LayoutContent() {
    const QRect area = ContentArea();
    int top = area.top();
    if (SkinWidget* header = Header()) {
        const bool shown = !HeaderHidden() && !header->isHidden();
        header->setVisible(shown);
        if (shown) {
            const int h = header->FixedHeight() > 0 ? header->FixedHeight() : Context().Px(kDefaultHeaderHeight);
            header->setGeometry(area.left(), top, area.width(), h);
            header->LayoutContent();
            top += h;
        }
    }
    QRect view(area.left(), top, area.width(), std::max(0, area.bottom() + 1 - top));
    rowsHeight_ = LayoutRows(view.width(), 0);
    if (rowsHeight_ > view.height()) view.setWidth(view.width() - Context().Px(look::kScrollBarWidth));
    scroll_ = std::clamp(scroll_, 0, std::max(0, rowsHeight_ - view.height()));
    viewport_->setGeometry(view);
    rowsHeight_ = LayoutRows(view.width(), scroll_);
    for (SkinWidget* kid : Kids()) {
        if (kid != Header() && !dynamic_cast<RowWidget*>(kid) && !kid->isHidden()) {
            if (kid->Hints().floating) PlaceFloating(kid);
        }
    }
}

void ListWidget::RowsChanged() {
    LayoutContent();
    update();
}

void ListWidget::EnsureVisible(RowWidget* row) {
    const int viewHeight = viewport_->height();
    int top = 0;
    for (RowWidget* r : Rows()) {
        if (r == row) break;
        if (!r->isHidden()) top += RowHeight(r);
    }
    const int bottom = top + RowHeight(row);
    if (top < scroll_) scroll_ = top;
    else if (bottom > scroll_ + viewHeight) scroll_ = bottom - viewHeight;
    LayoutContent();
}

void ListWidget::Paint(QPainter& painter) {
    PaintBackground(painter, rect());
    PaintStateImage(painter, rect());
    PaintBorder(painter, rect());
    if (rowsHeight_ > viewport_->height() && viewport_->height() > 0) {
        const QRect view = viewport_->geometry();
        const int barWidth = Context().Px(look::kScrollBarWidth);
        const int track = view.height();
        const int thumb = std::max(Context().Px(16), track * track / rowsHeight_);
        const int range = std::max(1, rowsHeight_ - track);
        const int top = view.top() + (track - thumb) * scroll_ / range;
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(look::kBorder));
        painter.drawRoundedRect(QRect(view.right() + 1, top, barWidth - 1, thumb), barWidth / 2.0, barWidth / 2.0);
    }
}

void ListWidget::wheelEvent(QWheelEvent* event) {
    const int limit = std::max(0, rowsHeight_ - viewport_->height());
    if (limit == 0) {
        SkinWidget::wheelEvent(event);
        return;
    }
    event->accept();
    const int step = Context().Px(look::kDefaultItemHeight) * 2;
    scroll_ = std::clamp(scroll_ - event->angleDelta().y() / 120 * step, 0, limit);
    LayoutContent();
    update();
}

}  // namespace corvane::widgets
