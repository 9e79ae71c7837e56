// How a control places its children: a row or column sharing the free length among flexible
// children, a stack of overlapping children, floating children at their position, scrolling.

#include "widgets/skin_widget.h"

#include <algorithm>
#include <climits>

namespace corvane::widgets {
namespace {

// The attributes every control knows besides the stored "...color" and "...image" ones.
bool IsLayoutKind(ui::ControlKind k) {
    using K = ui::ControlKind;
    return k == K::VerticalLayout || k == K::HorizontalLayout || k == K::ScrollContainer ||
           k == K::ListContainerElement || k == K::ListHeader;
}

}  // namespace

int SkinWidget::FixedWidth() const {
    int w = hints_.width;
    if (w <= 0 && hints_.pos && !hints_.floating) w = hints_.pos->right - hints_.pos->left;
    if (w <= 0) return 0;
    return context_.Px(std::clamp(w, hints_.minWidth, std::max(hints_.minWidth, hints_.maxWidth)));
}

int SkinWidget::FixedHeight() const {
    int h = hints_.height;
    if (h <= 0 && hints_.pos && !hints_.floating) h = hints_.pos->bottom - hints_.pos->top;
    if (h <= 0) return 0;
    return context_.Px(std::clamp(h, hints_.minHeight, std::max(hints_.minHeight, hints_.maxHeight)));
}

QRect SkinWidget::ContentArea() const { return context_.Inset(rect(), hints_.inset); }

void SkinWidget::RelayoutParent() {
    if (parentSkin_) {
        parentSkin_->LayoutContent();
        parentSkin_->update();
    }
}

void SkinWidget::SetScrollOffset(int y) {
    const int limit = std::max(0, contentHeight_ - ContentArea().height());
    const int clamped = std::clamp(y, 0, limit);
    if (clamped == scrollY_) return;
    scrollY_ = clamped;
    LayoutContent();
    update();
}

void SkinWidget::PlaceFloating(SkinWidget* child) {
    QRect r;
    if (child->hints_.pos) {
        const Quad& p = *child->hints_.pos;
        r = QRect(context_.Px(p.left), context_.Px(p.top), context_.Px(p.right - p.left),
                  context_.Px(p.bottom - p.top));
    } else {
        r = QRect(0, 0, context_.Px(child->hints_.width), context_.Px(child->hints_.height));
    }
    child->setGeometry(r);
    child->LayoutContent();
}

void SkinWidget::LayoutContent() {
    std::vector<SkinWidget*> flow;
    for (SkinWidget* kid : kids_) {
        if (kid->isHidden()) continue;
        if (kid->hints_.floating) {
            PlaceFloating(kid);
        } else {
            flow.push_back(kid);
        }
    }
    using K = ui::ControlKind;
    const bool vertical = kind_ == K::VerticalLayout || kind_ == K::ScrollContainer;
    if (vertical || IsLayoutKind(kind_)) {
        QRect area = ContentArea();
        if (vertical && hints_.vscroll) {
            contentHeight_ = LayoutSequence(flow, area, true, scrollY_);
            if (contentHeight_ > area.height()) {
                area.setRight(area.right() - context_.Px(look::kScrollBarWidth));
                const int limit = std::max(0, contentHeight_ - area.height());
                scrollY_ = std::clamp(scrollY_, 0, limit);
                contentHeight_ = LayoutSequence(flow, area, true, scrollY_);
            } else {
                scrollY_ = 0;
            }
        } else {
            contentHeight_ = LayoutSequence(flow, area, vertical, 0);
        }
    } else {
        LayoutStack(flow, ContentArea());
    }
}

int SkinWidget::LayoutSequence(const std::vector<SkinWidget*>& children, const QRect& area,
                               bool vertical, int scroll) {
    const SkinContext& c = context_;
    const int along = vertical ? area.height() : area.width();
    const int cross = vertical ? area.width() : area.height();
    const int gap = c.Px(hints_.childPadding);
    int fixedTotal = 0;
    int flexible = 0;
    for (SkinWidget* kid : children) {
        const Quad& p = kid->hints_.padding;
        fixedTotal += vertical ? c.Px(p.top) + c.Px(p.bottom) : c.Px(p.left) + c.Px(p.right);
        const int size = vertical ? kid->FixedHeight() : kid->FixedWidth();
        if (size > 0) fixedTotal += size;
        else ++flexible;
    }
    if (!children.empty()) fixedTotal += gap * static_cast<int>(children.size() - 1);
    const int free = along - fixedTotal;
    int share = flexible > 0 ? std::max(0, free / flexible) : 0;
    int remainder = flexible > 0 ? std::max(0, free - share * flexible) : 0;
    int pos = 0;
    if (flexible == 0 && free > 0) {
        const bool centre = vertical ? hints_.childVAlign == VAlign::Center : hints_.childAlign == HAlign::Center;
        const bool end = vertical ? hints_.childVAlign == VAlign::Bottom : hints_.childAlign == HAlign::Right;
        pos = centre ? free / 2 : (end ? free : 0);
    }
    pos -= scroll;
    int contentLength = 0;
    for (SkinWidget* kid : children) {
        const Quad& p = kid->hints_.padding;
        const int before = vertical ? c.Px(p.top) : c.Px(p.left);
        const int after = vertical ? c.Px(p.bottom) : c.Px(p.right);
        const int crossBefore = vertical ? c.Px(p.left) : c.Px(p.top);
        const int crossAfter = vertical ? c.Px(p.right) : c.Px(p.bottom);
        int length = vertical ? kid->FixedHeight() : kid->FixedWidth();
        if (length <= 0) {
            length = share;
            if (remainder > 0) {  // the first flexible children take the odd pixels
                ++length;
                --remainder;
            }
            const int minL = c.Px(vertical ? kid->hints_.minHeight : kid->hints_.minWidth);
            const int maxRaw = vertical ? kid->hints_.maxHeight : kid->hints_.maxWidth;
            const int maxL = maxRaw == INT_MAX ? INT_MAX : c.Px(maxRaw);
            length = std::clamp(length, minL, std::max(minL, maxL));
        }
        const int crossAvail = std::max(0, cross - crossBefore - crossAfter);
        int crossLength = vertical ? kid->FixedWidth() : kid->FixedHeight();
        int crossPos = crossBefore;
        if (crossLength > 0) {
            const int slack = crossAvail - crossLength;
            const bool centre = vertical ? hints_.childAlign == HAlign::Center : hints_.childVAlign == VAlign::Center;
            const bool end = vertical ? hints_.childAlign == HAlign::Right : hints_.childVAlign == VAlign::Bottom;
            if (slack > 0) crossPos += centre ? slack / 2 : (end ? slack : 0);
        } else {
            crossLength = crossAvail;
        }
        pos += before;
        const QRect r = vertical ? QRect(area.left() + crossPos, area.top() + pos, crossLength, length)
                                 : QRect(area.left() + pos, area.top() + crossPos, length, crossLength);
        kid->setGeometry(r);
        kid->LayoutContent();
        pos += length + after + gap;
        contentLength = pos + scroll - gap;
    }
    return std::max(0, contentLength);
}

void SkinWidget::LayoutStack(const std::vector<SkinWidget*>& children, const QRect& area) {
    for (SkinWidget* kid : children) {
        QRect r = context_.Inset(area, kid->hints_.padding);
        const int w = kid->FixedWidth();
        const int h = kid->FixedHeight();
        if (w > 0) {
            const int slack = r.width() - w;
            if (slack > 0 && hints_.childAlign == HAlign::Center) r.moveLeft(r.left() + slack / 2);
            if (slack > 0 && hints_.childAlign == HAlign::Right) r.moveLeft(r.left() + slack);
            r.setWidth(w);
        }
        if (h > 0) {
            const int slack = r.height() - h;
            if (slack > 0 && hints_.childVAlign == VAlign::Center) r.moveTop(r.top() + slack / 2);
            if (slack > 0 && hints_.childVAlign == VAlign::Bottom) r.moveTop(r.top() + slack);
            r.setHeight(h);
        }
        kid->setGeometry(r);
        kid->LayoutContent();
    }
}

}  // namespace corvane::widgets
