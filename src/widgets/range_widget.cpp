#include "widgets/range_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace corvane::widgets {
namespace {

constexpr int kSliderTrack = 4;

}  // namespace

RangeWidget::RangeWidget(ui::ControlKind kind, SkinContext& context) : SkinWidget(kind, context) {
    if (IsSlider()) setFocusPolicy(Qt::ClickFocus);
}

void RangeWidget::SetMin(int value) {
    min_ = value;
    if (max_ < min_) max_ = min_;
    value_ = std::clamp(value_, min_, max_);
    update();
}

void RangeWidget::SetMax(int value) {
    max_ = value;
    if (min_ > max_) min_ = max_;
    value_ = std::clamp(value_, min_, max_);
    update();
}

void RangeWidget::SetValue(int value) {
    value_ = std::clamp(value, min_, max_);
    update();
}

bool RangeWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    auto number = [&](auto&& apply) {
        auto v = ParseInt(value);
        if (v) apply(*v);
        return v.has_value();
    };
    if (name == "min") return number([&](int v) { SetMin(v); });
    if (name == "max") return number([&](int v) { SetMax(v); });
    if (name == "value") return number([&](int v) { SetValue(v); });
    if (name == "step") return number([&](int v) { step_ = std::max(1, v); });
    if (name == "thickness") return number([&](int v) { thickness_ = std::max(1, v); });
    if (name == "hor") {
        auto b = ParseBool(value);
        if (b) horizontal_ = *b;
        return b.has_value();
    }
    if (name == "thumbsize") {
        auto pair = ParsePair(value);
        if (pair) {
            thumbWidth_ = pair->first;
            thumbHeight_ = pair->second;
        }
        return pair.has_value();
    }
    if (name == "sendmove" || name == "showtext") return ParseBool(value).has_value();
    return SkinWidget::ApplyAttribute(name, value);
}

double RangeWidget::Fraction() const {
    if (max_ <= min_) return 0;
    return static_cast<double>(value_ - min_) / (max_ - min_);
}

QRect RangeWidget::ThumbRect() const {
    const SkinContext& c = Context();
    const int tw = c.Px(thumbWidth_);
    const int th = c.Px(thumbHeight_);
    if (horizontal_) {
        const int x = static_cast<int>(std::lround((width() - tw) * Fraction()));
        return QRect(x, (height() - th) / 2, tw, th);
    }
    const int y = static_cast<int>(std::lround((height() - th) * (1.0 - Fraction())));
    return QRect((width() - tw) / 2, y, tw, th);
}

int RangeWidget::ValueAt(const QPoint& point) const {
    const QRect thumb = ThumbRect();
    double fraction = 0;
    if (horizontal_) {
        const int span = width() - thumb.width();
        fraction = span > 0 ? (point.x() - grabOffset_ - thumb.width() / 2.0) / span : 0;
    } else {
        const int span = height() - thumb.height();
        fraction = span > 0 ? 1.0 - (point.y() - grabOffset_ - thumb.height() / 2.0) / span : 0;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    const double raw = min_ + fraction * (max_ - min_);
    const int steps = static_cast<int>(std::lround((raw - min_) / step_));
    return std::clamp(min_ + steps * step_, min_, max_);
}

bool RangeWidget::UserSetValue(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return false;
    value_ = value;
    update();
    return true;
}

void RangeWidget::mousePressEvent(QMouseEvent* event) {
    if (!IsSlider() || event->button() != Qt::LeftButton) {
        SkinWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    const QRect thumb = ThumbRect();
    grabOffset_ = 0;
    if (thumb.contains(p)) {
        grabOffset_ = horizontal_ ? p.x() - thumb.center().x() : p.y() - thumb.center().y();
    }
    dragging_ = true;
    if (UserSetValue(ValueAt(p))) Context().Notify("movevaluechanged", this, value_);
}

void RangeWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        SkinWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    if (UserSetValue(ValueAt(event->position().toPoint()))) {
        Context().Notify("movevaluechanged", this, value_);
    }
}

void RangeWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        SkinWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    dragging_ = false;
    UserSetValue(ValueAt(event->position().toPoint()));
    Context().Notify("valuechanged", this, value_);
}

void RangeWidget::keyPressEvent(QKeyEvent* event) {
    if (!IsSlider()) {
        SkinWidget::keyPressEvent(event);
        return;
    }
    int delta = 0;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down: delta = -step_; break;
        case Qt::Key_Right:
        case Qt::Key_Up: delta = step_; break;
        default: SkinWidget::keyPressEvent(event); return;
    }
    event->accept();
    if (UserSetValue(value_ + delta)) Context().Notify("valuechanged", this, value_);
}

void RangeWidget::Paint(QPainter& painter) {
    if (Kind() == ui::ControlKind::CircleProgress) PaintRing(painter);
    else PaintLinear(painter);
}

void RangeWidget::PaintLinear(QPainter& painter) {
    const SkinContext& c = Context();
    const bool customTrack = !BkImage().empty() || ImageAttr("normalimage") || !IsSlider();
    QRect track = rect();
    if (customTrack) {
        PaintBackground(painter, rect());
        PaintStateImage(painter, rect());
    } else {
        const int t = c.Px(kSliderTrack);
        track = horizontal_ ? QRect(0, (height() - t) / 2, width(), t) : QRect((width() - t) / 2, 0, t, height());
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(ColourAttr("bkcolor").value_or(look::kBorder)));
        painter.drawRoundedRect(track, t / 2.0, t / 2.0);
    }
    // The filled part.
    QRect filled = track;
    if (horizontal_) {
        filled.setWidth(static_cast<int>(std::lround(track.width() * Fraction())));
    } else {
        const int h = static_cast<int>(std::lround(track.height() * Fraction()));
        filled = QRect(track.left(), track.bottom() + 1 - h, track.width(), h);
    }
    if (const ImageSpec* fore = ImageAttr("foreimage")) {
        painter.save();
        painter.setClipRect(filled);
        PaintImage(painter, *fore, track);
        painter.restore();
    } else if (filled.width() > 0 && filled.height() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(ColourAttr("forecolor").value_or(look::kAccent)));
        if (customTrack) painter.drawRect(filled);
        else painter.drawRoundedRect(filled, track.height() / 2.0, track.height() / 2.0);
    }
    if (IsSlider()) {
        const QRect thumb = ThumbRect();
        const ImageSpec* image = nullptr;
        if (dragging_) image = ImageAttr("thumbpushedimage");
        if (!image && IsHot()) image = ImageAttr("thumbhotimage");
        if (!image) image = ImageAttr("thumbimage");
        if (image) {
            PaintImage(painter, *image, thumb);
        } else {
            painter.setPen(QPen(ToQColor(look::kAccent), std::max(1, c.Px(2))));
            painter.setBrush(ToQColor(IsHot() || dragging_ ? look::kText : look::kRaised));
            painter.drawEllipse(QRectF(thumb).adjusted(1, 1, -1, -1));
        }
    }
    PaintOverlay(painter, rect());
    PaintText(painter, rect());
    PaintBorder(painter, rect());
}

void RangeWidget::PaintRing(QPainter& painter) {
    // Background pie, the value's pie clockwise from the bottom, then the centre disc that
    // leaves a ring of the given thickness. The value is taken against the span max - min as
    // the ring always did, without taking the minimum off; an empty span draws no value, and a
    // negative value (below a negative minimum) runs the other way.
    const QRect r = rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(ColourAttr("bkcolor").value_or(look::kRaised)));
    painter.drawEllipse(r);
    const long long span = static_cast<long long>(max_) - min_;
    // Whole degrees; beyond a full turn either way is a full ring.
    int sweep = span != 0 ? static_cast<int>(std::clamp(static_cast<long long>(value_) * 360 / span, -360LL, 360LL)) : 0;
    if (sweep != 0) {
        painter.setBrush(ToQColor(ColourAttr("forecolor").value_or(look::kAccent)));
        constexpr int kQtAngleUnit = 16;  // QPainter angles are in 1/16 degree, counter-clockwise
        painter.drawPie(r, -90 * kQtAngleUnit, -sweep * kQtAngleUnit);
    }
    const int inset = Context().Px(thickness_);
    painter.setBrush(ToQColor(ColourAttr("centercolor").value_or(0xFFFFFFFFu)));
    painter.drawEllipse(r.adjusted(inset, inset, -inset, -inset));
    PaintText(painter, r);
}

}  // namespace corvane::widgets
