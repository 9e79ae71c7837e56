#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>

#include "ui/control.h"

namespace corvane::widgets {

// The glow a lit zone of a device picture shows: its colour at full strength in the middle,
// fading to a third at the edges, with a crisp rim so neighbouring keys stay apart.
//
// The shape is rendered once per size as a white mask and tinted per colour: while effects run
// the pictures repaint their zones many times a second, and blitting a ready image costs far
// less than filling an antialiased gradient path each time.
class OverlayGlow {
public:
    // size in logical pixels; the image carries the ratio and lands at device pixels 1:1.
    const QImage& Image(QSize size, qreal devicePixelRatio, qreal radius, int rimWidth, ui::Colour colour,
                        std::uint8_t alpha);

private:
    void RenderMask(QSize size, qreal devicePixelRatio, qreal radius, int rimWidth);
    void Tint(ui::Colour colour, std::uint8_t alpha);

    struct Shape {
        QSize size;
        qreal ratio = 0;
        qreal radius = 0;
        int rimWidth = 0;
        bool operator==(const Shape&) const = default;
    };
    Shape shape_;
    QImage mask_;  // premultiplied white: each pixel's alpha is the glow's strength there
    QImage tinted_;
    ui::Colour tintColour_ = 0;
    std::uint8_t tintAlpha_ = 0;
};

}  // namespace corvane::widgets
