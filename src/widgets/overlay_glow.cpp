#include "widgets/overlay_glow.h"

#include <QPainter>
#include <QRadialGradient>

namespace corvane::widgets {
namespace {

constexpr int kFullAlpha = 255;
// The edge of the glow has a third of the middle's strength.
constexpr int kEdgeAlpha = kFullAlpha / 3;
constexpr qreal kGlowReach = 0.6;  // of the longer side, from the middle

}  // namespace

const QImage& OverlayGlow::Image(QSize size, qreal devicePixelRatio, qreal radius, int rimWidth,
                                 ui::Colour colour, std::uint8_t alpha) {
    const Shape shape{size, devicePixelRatio, radius, rimWidth};
    if (!(shape == shape_) || mask_.isNull()) {
        RenderMask(size, devicePixelRatio, radius, rimWidth);
        shape_ = shape;
        Tint(colour, alpha);
    } else if (colour != tintColour_ || alpha != tintAlpha_) {
        Tint(colour, alpha);
    }
    return tinted_;
}

void OverlayGlow::RenderMask(QSize size, qreal devicePixelRatio, qreal radius, int rimWidth) {
    mask_ = QImage(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    mask_.setDevicePixelRatio(devicePixelRatio);
    mask_.fill(Qt::transparent);
    QPainter painter(&mask_);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF rect(QPointF(0, 0), QSizeF(size));
    QRadialGradient glow(rect.center(), std::max(size.width(), size.height()) * kGlowReach);
    glow.setColorAt(0.0, QColor(kFullAlpha, kFullAlpha, kFullAlpha, kFullAlpha));
    glow.setColorAt(1.0, QColor(kFullAlpha, kFullAlpha, kFullAlpha, kEdgeAlpha));
    painter.setPen(QPen(QColor(kFullAlpha, kFullAlpha, kFullAlpha, kFullAlpha), rimWidth));
    painter.setBrush(QBrush(glow));
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.end();
    tinted_ = QImage(mask_.size(), QImage::Format_ARGB32_Premultiplied);
    tinted_.setDevicePixelRatio(devicePixelRatio);
}

void OverlayGlow::Tint(ui::Colour colour, std::uint8_t alpha) {
    tintColour_ = colour;
    tintAlpha_ = alpha;
    const int red = qRed(colour);
    const int green = qGreen(colour);
    const int blue = qBlue(colour);
    const auto scale = [](int value, int by) { return (value * by + kFullAlpha / 2) / kFullAlpha; };
    for (int y = 0; y < mask_.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(mask_.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(tinted_.scanLine(y));
        for (int x = 0; x < mask_.width(); ++x) {
            const int strength = scale(qAlpha(in[x]), alpha);
            out[x] = qRgba(scale(red, strength), scale(green, strength), scale(blue, strength), strength);
        }
    }
}

}  // namespace corvane::widgets
