// How a control paints itself: background, state image, colour overlay, text, border, scroll bar
// and the keyboard focus ring.

#include "widgets/skin_widget.h"

#include <QPainter>
#include <QPainterPath>
#include <QtWidgets/qdrawutil.h>

#include <algorithm>

#include "widgets/overlay_glow.h"

namespace corvane::widgets {

void SkinWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const bool ownDisabledLook = ColourAttr("disabledbkcolor") || ImageAttr("disabledimage") ||
                                 ColourAttr("disabledtextcolor");
    if (!isEnabled() && !ownDisabledLook) painter.setOpacity(look::kDisabledOpacity);
    Paint(painter);
    if (keyboardFocus_ && hasFocus()) {
        // Where the keyboard is: a ring in the accent colour inside the control's edge.
        painter.setOpacity(1.0);
        const qreal width = std::max(1, context_.Px(look::kFocusRing));
        painter.setPen(QPen(ToQColor(look::kAccentHover), width));
        painter.setBrush(Qt::NoBrush);
        const qreal radius = context_.Px(std::max(borderRound_.left, borderRound_.top)) / 2.0;
        painter.drawRoundedRect(QRectF(rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2), radius, radius);
    }
}

void SkinWidget::Paint(QPainter& painter) {
    const QRect r = rect();
    PaintBackground(painter, r);
    PaintStateImage(painter, r);
    PaintOverlay(painter, r);
    PaintText(painter, r);
    PaintBorder(painter, r);
    if (hints_.vscroll) PaintScrollBar(painter, ContentArea(), contentHeight_);
}

void SkinWidget::PaintBackground(QPainter& painter, const QRect& rect) {
    std::optional<ui::Colour> colour;
    if (!isEnabled()) colour = ColourAttr("disabledbkcolor");
    if (!colour && pressed_) colour = ColourAttr("pushedbkcolor");
    if (!colour && IsSelectedState() && hot_) colour = ColourAttr("selectedhotbkcolor");
    if (!colour && IsSelectedState()) colour = ColourAttr("selectedbkcolor");
    if (!colour && hot_) colour = ColourAttr("hotbkcolor");
    // A fully transparent state colour keeps the normal one (a colour swatch stays its colour
    // under the pointer).
    if (colour && (*colour >> 24) == 0) colour.reset();
    std::optional<ui::Colour> colour2;
    if (!colour) {
        colour = ColourAttr("bkcolor");
        colour2 = ColourAttr("bkcolor2");
    }
    if (colour && ((*colour >> 24) != 0 || colour2)) {
        QBrush brush(ToQColor(*colour));
        if (colour2) {
            QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
            gradient.setColorAt(0, ToQColor(*colour));
            gradient.setColorAt(1, ToQColor(*colour2));
            brush = QBrush(gradient);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(brush);
        if (borderRound_.left > 0 || borderRound_.top > 0) {
            painter.drawRoundedRect(rect, context_.Px(borderRound_.left) / 2.0,
                                    context_.Px(borderRound_.top) / 2.0);
        } else {
            painter.drawRect(rect);
        }
    }
    if (bkImage_) PaintImage(painter, *bkImage_, rect);
}

void SkinWidget::PaintStateImage(QPainter& painter, const QRect& rect) {
    const ImageSpec* image = nullptr;
    if (!isEnabled()) image = ImageAttr("disabledimage");
    if (!image && IsSelectedState()) {
        if (hot_) image = ImageAttr("selectedhotimage");
        if (!image) image = ImageAttr("selectedimage");
    }
    if (!image && pressed_) image = ImageAttr("pushedimage");
    if (!image && (hot_ || pressed_)) image = ImageAttr("hotimage");
    if (!image) image = ImageAttr("normalimage");
    if (image) PaintImage(painter, *image, rect);
    if (const ImageSpec* fore = ImageAttr("foreimage")) PaintImage(painter, *fore, rect);
}

void SkinWidget::PaintImage(QPainter& painter, const ImageSpec& image, const QRect& rect) {
    const QPixmap* pixmap = context_.Image(image.file, devicePixelRatioF());
    if (!pixmap) return;
    const qreal ratio = pixmap->devicePixelRatio();
    QRect source(QPoint(0, 0), pixmap->size());
    if (image.source) {
        const Quad& s = *image.source;
        source = QRect(QPoint(qRound(s.left * ratio), qRound(s.top * ratio)),
                       QPoint(qRound(s.right * ratio) - 1, qRound(s.bottom * ratio) - 1));
    }
    QRect dest = rect;
    if (image.dest) {
        const Quad& d = *image.dest;
        dest = QRect(rect.left() + context_.Px(d.left), rect.top() + context_.Px(d.top),
                     context_.Px(d.right - d.left), context_.Px(d.bottom - d.top));
    }
    const qreal oldOpacity = painter.opacity();
    painter.setOpacity(oldOpacity * image.fade / 255.0);
    const Quad& k = image.corner;
    if (k.left || k.top || k.right || k.bottom) {
        const QPixmap part = pixmap->copy(source);
        const QMargins sourceMargins(qRound(k.left * ratio), qRound(k.top * ratio),
                                     qRound(k.right * ratio), qRound(k.bottom * ratio));
        const QMargins targetMargins(context_.Px(k.left), context_.Px(k.top), context_.Px(k.right),
                                     context_.Px(k.bottom));
        QPixmap unscaled = part;
        unscaled.setDevicePixelRatio(1.0);
        qDrawBorderPixmap(&painter, dest, targetMargins, unscaled, unscaled.rect(), sourceMargins);
    } else {
        // Drawn pixel for pixel: an image scaled while painting is filtered again on every
        // repaint; scaled once, a repaint only copies rows.
        const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QSize device = (QSizeF(dest.size()) * devicePixelRatioF()).toSize();
        if (device == source.size()) {
            painter.drawPixmap(dest, *pixmap, source);
        } else if (const QPixmap* scaled = context_.ScaledImage(image.file, devicePixelRatioF(), source, device)) {
            painter.drawPixmap(dest.topLeft(), *scaled);
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    }
    painter.setOpacity(oldOpacity);
}

QColor SkinWidget::CurrentTextColour() const {
    std::optional<ui::Colour> colour;
    if (!isEnabled()) colour = ColourAttr("disabledtextcolor");
    if (!colour && IsSelectedState()) colour = ColourAttr("selectedtextcolor");
    if (!colour && pressed_) colour = ColourAttr("pushedtextcolor");
    if (!colour && hot_) colour = ColourAttr("hottextcolor");
    if (!colour) colour = ColourAttr("textcolor");
    return ToQColor(colour ? *colour : look::kText);
}

std::vector<std::string> SkinWidget::ShownTexts() const {
    std::string text = DisplayedText();
    if (text.empty()) return {};
    return {std::move(text)};
}

QRect SkinWidget::TextRect(const QRect& rect) const { return context_.Inset(rect, textPadding_); }

int SkinWidget::TextAlignment() const {
    int flags = 0;
    flags |= align_ == HAlign::Left ? Qt::AlignLeft : (align_ == HAlign::Center ? Qt::AlignHCenter : Qt::AlignRight);
    flags |= valign_ == VAlign::Top ? Qt::AlignTop : (valign_ == VAlign::Center ? Qt::AlignVCenter : Qt::AlignBottom);
    return flags;
}

void SkinWidget::PaintText(QPainter& painter, const QRect& rect) {
    const std::string text = DisplayedText();
    if (text.empty()) return;
    int flags = TextAlignment();
    if (wordWrap_) flags |= Qt::TextWordWrap;
    painter.setFont(ControlFont());
    painter.setPen(CurrentTextColour());
    painter.drawText(TextRect(rect), flags, ToQString(text));
}

void SkinWidget::PaintBorder(QPainter& painter, const QRect& rect) {
    if (borderSize_ <= 0) return;
    std::optional<ui::Colour> colour;
    if (hasFocus()) colour = ColourAttr("focusbordercolor");
    if (!colour && hot_) colour = ColourAttr("hotbordercolor");
    if (!colour) colour = ColourAttr("bordercolor");
    if (!colour) return;
    const qreal width = std::max(1, context_.Px(borderSize_));
    painter.setPen(QPen(ToQColor(*colour), width));
    painter.setBrush(Qt::NoBrush);
    const QRectF r = QRectF(rect).adjusted(width / 2, width / 2, -width / 2, -width / 2);
    if (borderRound_.left > 0 || borderRound_.top > 0) {
        painter.drawRoundedRect(r, context_.Px(borderRound_.left) / 2.0, context_.Px(borderRound_.top) / 2.0);
    } else {
        painter.drawRect(r);
    }
}

void SkinWidget::PaintOverlay(QPainter& painter, const QRect& rect) {
    if (!overlayEnabled_ || overlayAlpha_ == 0 || rect.isEmpty()) return;
    if (!glow_) glow_ = std::make_unique<OverlayGlow>();
    const qreal radius = borderRound_.left > 0 ? context_.Px(borderRound_.left) / 2.0 : context_.Px(4);
    painter.drawImage(rect.topLeft(), glow_->Image(rect.size(), devicePixelRatioF(), radius,
                                                   std::max(1, context_.Px(1)), overlayColour_, overlayAlpha_));
}

void SkinWidget::PaintScrollBar(QPainter& painter, const QRect& viewport, int contentHeight) {
    if (contentHeight <= viewport.height() || viewport.height() <= 0) return;
    const int barWidth = context_.Px(look::kScrollBarWidth);
    const int track = viewport.height();
    const int thumb = std::max(context_.Px(16), track * track / contentHeight);
    const int range = std::max(1, contentHeight - track);
    const int top = viewport.top() + (track - thumb) * scrollY_ / range;
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(look::kBorder));
    painter.drawRoundedRect(QRect(viewport.right() + 1, top, barWidth - 1, thumb), barWidth / 2.0, barWidth / 2.0);
}

}  // namespace corvane::widgets
