#include "widgets/palette_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace corvane::widgets {
namespace {

constexpr int kPaletteGap = 6;

}  // namespace

PaletteWidget::PaletteWidget(SkinContext& context) : SkinWidget(ui::ControlKind::ColorPalette, context) {
    SetSelectedColour(look::kAccent);
}

void PaletteWidget::SetSelectedColour(ui::Colour colour) {
    const QColor c = ToQColor(colour | 0xFF000000u);
    const double h = c.hsvHueF();
    if (h >= 0) hue_ = h;  // greys keep the hue they had
    saturation_ = c.hsvSaturationF();
    brightness_ = c.valueF();
    update();
}

ui::Colour PaletteWidget::SelectedColour() const {
    const QColor c = QColor::fromHsvF(static_cast<float>(std::clamp(hue_, 0.0, 1.0)),
                                      static_cast<float>(saturation_), static_cast<float>(brightness_));
    return 0xFF000000u | (static_cast<ui::Colour>(c.red()) << 16) |
           (static_cast<ui::Colour>(c.green()) << 8) | static_cast<ui::Colour>(c.blue());
}

bool PaletteWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "palletheight" || name == "barheight") {
        auto v = ParseInt(value);
        if (v) (name == "palletheight" ? palletHeight_ : barHeight_) = std::max(0, *v);
        return v.has_value();
    }
    return SkinWidget::ApplyAttribute(name, value);
}

QRect PaletteWidget::SquareRect() const {
    const SkinContext& c = Context();
    int h = palletHeight_ > 0 ? c.Px(palletHeight_) : height() - c.Px(barHeight_) - c.Px(kPaletteGap);
    h = std::clamp(h, 0, height());
    return QRect(0, 0, width(), h);
}

QRect PaletteWidget::BarRect() const {
    const SkinContext& c = Context();
    const QRect square = SquareRect();
    const int top = square.bottom() + 1 + c.Px(kPaletteGap);
    return QRect(0, top, width(), std::max(0, std::min(c.Px(barHeight_), height() - top)));
}

void PaletteWidget::Paint(QPainter& painter) {
    const QRect square = SquareRect();
    const QRect bar = BarRect();
    painter.setPen(Qt::NoPen);
    if (square.height() > 0) {
        QLinearGradient hues(square.topLeft(), square.topRight());
        constexpr int kHueStops = 6;
        for (int i = 0; i <= kHueStops; ++i) {
            hues.setColorAt(static_cast<double>(i) / kHueStops,
                            QColor::fromHsvF(static_cast<float>(i % kHueStops) / kHueStops, 1.0f, 1.0f));
        }
        painter.fillRect(square, hues);
        QLinearGradient whiten(square.topLeft(), square.bottomLeft());
        whiten.setColorAt(0, QColor(255, 255, 255, 0));
        whiten.setColorAt(1, QColor(255, 255, 255, 255));
        painter.fillRect(square, whiten);
        painter.fillRect(square, QColor(0, 0, 0, static_cast<int>(std::lround((1.0 - brightness_) * 255))));
        const QPointF mark(square.left() + hue_ * square.width(), square.top() + (1.0 - saturation_) * square.height());
        const double radius = Context().Px(5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, std::max(1, Context().Px(2))));
        painter.drawEllipse(mark, radius, radius);
    }
    if (bar.height() > 0) {
        QLinearGradient shades(bar.topLeft(), bar.topRight());
        shades.setColorAt(0, Qt::black);
        shades.setColorAt(1, QColor::fromHsvF(static_cast<float>(hue_), static_cast<float>(saturation_), 1.0f));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shades);
        painter.drawRoundedRect(bar, bar.height() / 2.0, bar.height() / 2.0);
        const double x = bar.left() + brightness_ * bar.width();
        const QRectF thumb(x - bar.height() / 2.0, bar.top(), bar.height(), bar.height());
        if (const ImageSpec* image = ImageAttr("thumbimage")) {
            PaintImage(painter, *image, thumb.toRect());
        } else {
            painter.setBrush(ToQColor(look::kText));
            painter.setPen(QPen(ToQColor(look::kAccent), std::max(1, Context().Px(2))));
            painter.drawEllipse(thumb.adjusted(1, 1, -1, -1));
        }
    }
    PaintBorder(painter, rect());
}

void PaletteWidget::PickAt(const QPoint& point) {
    if (dragging_ == Area::Square) {
        const QRect s = SquareRect();
        hue_ = std::clamp(static_cast<double>(point.x() - s.left()) / std::max(1, s.width()), 0.0, 1.0);
        saturation_ = 1.0 - std::clamp(static_cast<double>(point.y() - s.top()) / std::max(1, s.height()), 0.0, 1.0);
    } else if (dragging_ == Area::Bar) {
        const QRect b = BarRect();
        brightness_ = std::clamp(static_cast<double>(point.x() - b.left()) / std::max(1, b.width()), 0.0, 1.0);
    }
    update();
}

void PaletteWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        SkinWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (SquareRect().contains(p)) dragging_ = Area::Square;
    else if (BarRect().adjusted(0, -Context().Px(kPaletteGap) / 2, 0, Context().Px(kPaletteGap) / 2).contains(p))
        dragging_ = Area::Bar;
    else dragging_ = Area::None;
    event->accept();
    PickAt(p);
}

void PaletteWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ == Area::None) {
        SkinWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    PickAt(event->position().toPoint());
}

void PaletteWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ == Area::None || event->button() != Qt::LeftButton) {
        SkinWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    PickAt(event->position().toPoint());
    dragging_ = Area::None;
    // One notification per pick: listeners save and send the colour each time.
    Context().Notify("colorchanged", this, SelectedColour());
}

}  // namespace corvane::widgets
