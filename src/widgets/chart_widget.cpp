#include "widgets/chart_widget.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

#include "ui/window.h"

namespace corvane::widgets {
namespace {

// Sector and bar colours, taken in turn.
constexpr std::array<ui::Colour, 18> kItemColours = {
    0xFF0199CBu, 0xFF3FB950u, 0xFFE5484Du, 0xFFF2A93Bu, 0xFF8E6CEFu, 0xFF19B3E6u,
    0xFFE86AA6u, 0xFF7FD3F0u, 0xFFB8BF3Bu, 0xFF4C6EF5u, 0xFF2BB3A3u, 0xFFFF7A45u,
    0xFF9AA5B1u, 0xFFC44FD9u, 0xFF5CC46Au, 0xFFD9A441u, 0xFF6A8CAFu, 0xFFEF6F6Cu};
constexpr int kShadowAlpha = 30;
constexpr int kShadowGrow = 4;
constexpr int kBorderAlpha = 100;
constexpr int kBorderGrow = 1;
constexpr int kLegendSquare = 18;
constexpr int kLegendGap = 6;
constexpr int kLegendWidth = 120;
constexpr int kBarGap = 8;
constexpr int kTextHeight = 18;
constexpr int kQtAngleUnit = 16;  // QPainter angles are in 1/16 degree
constexpr int kFullCircle = 360 * kQtAngleUnit;

QColor ItemColour(std::size_t i) { return ToQColor(kItemColours[i % kItemColours.size()]); }

}  // namespace

ChartWidget::ChartWidget(SkinContext& context) : SkinWidget(ui::ControlKind::ChartView, context) {}

void ChartWidget::AddItem(std::string_view text, double value) {
    items_.push_back({std::string(text), std::isfinite(value) ? std::max(0.0, value) : 0.0});
    update();
}

void ChartWidget::RemoveAllItems() {
    items_.clear();
    update();
}

double ChartWidget::Total() const {
    double total = 0;
    for (const Item& item : items_) total += item.value;
    return total;
}

bool ChartWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "view") {
        view_ = ui::EqualsIgnoreCase(value, "histpgram") ? View::Bars : View::Pie;
        return true;
    }
    if (name == "showtext") {
        showText_ = ui::EqualsIgnoreCase(value, "true");
        return true;
    }
    if (name == "shadowimageheight" || name == "pillarimagewidth") {
        auto number = ParseInt(value);
        if (!number || *number < 0) return false;
        (name == "shadowimageheight" ? shadowHeight_ : pillarWidth_) = *number;
        return true;
    }
    // Images and HTML texts of other skins are accepted; the chart paints its own look.
    if (name == "shadowimage" || name == "pillarimage" || name == "showhtml") return true;
    return SkinWidget::ApplyAttribute(name, value);
}

void ChartWidget::Paint(QPainter& painter) {
    const QRect r = rect();
    PaintBackground(painter, r);
    PaintStateImage(painter, r);
    if (!items_.empty() && Total() > 0) {
        if (view_ == View::Pie) PaintPie(painter, r);
        else PaintBars(painter, r);
    }
    PaintBorder(painter, r);
}

void ChartWidget::PaintPie(QPainter& painter, const QRect& area) {
    const SkinContext& c = Context();
    const int legend = showText_ ? c.Px(kLegendWidth) : 0;
    const int grow = c.Px(kShadowGrow);
    const int side = std::max(0, std::min(area.width() - legend, area.height()) - 2 * grow);
    const QRect pie(area.left() + grow, area.top() + (area.height() - side) / 2, side, side);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, kShadowAlpha));
    painter.drawEllipse(pie.adjusted(-grow, -grow, grow, grow));
    const int border = c.Px(kBorderGrow);
    painter.setBrush(QColor(0, 0, 0, kBorderAlpha));
    painter.drawEllipse(pie.adjusted(-border, -border, border, border));
    // Clockwise from the top; each sector ends where the running sum says, so they close up.
    const double total = Total();
    const int top = 90 * kQtAngleUnit;
    double sum = 0;
    int start = top;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        sum += items_[i].value;
        const int end = top - static_cast<int>(std::lround(sum / total * kFullCircle));
        painter.setBrush(ItemColour(i));
        if (end != start) painter.drawPie(pie, start, end - start);
        start = end;
    }
    if (!showText_) return;
    painter.setFont(ControlFont());
    const int square = c.Px(kLegendSquare);
    const int rowHeight = square + c.Px(kLegendGap);
    int y = area.top() + std::max(0, (area.height() - rowHeight * static_cast<int>(items_.size())) / 2);
    const int x = pie.right() + grow + c.Px(kLegendGap);
    for (std::size_t i = 0; i < items_.size(); ++i, y += rowHeight) {
        painter.fillRect(QRect(x, y, square, square), ItemColour(i));
        painter.setPen(CurrentTextColour());
        painter.drawText(QRect(x + square + c.Px(kLegendGap), y, area.right() - x, square),
                         Qt::AlignLeft | Qt::AlignVCenter, ToQString(items_[i].text));
    }
}

void ChartWidget::PaintBars(QPainter& painter, const QRect& area) {
    const SkinContext& c = Context();
    const int textHeight = showText_ ? c.Px(kTextHeight) : 0;
    const QRect plot = area.adjusted(c.Px(kBarGap), c.Px(kBarGap), -c.Px(kBarGap), -textHeight);
    const int n = static_cast<int>(items_.size());
    const int slot = plot.width() / std::max(1, n);
    const int barWidth = pillarWidth_ > 0 ? std::min(slot, c.Px(pillarWidth_)) : std::max(1, slot - c.Px(kBarGap));
    double highest = 0;
    for (const Item& item : items_) highest = std::max(highest, item.value);
    painter.setFont(ControlFont());
    for (int i = 0; i < n; ++i) {
        const Item& item = items_[static_cast<std::size_t>(i)];
        const int h = static_cast<int>(std::lround(item.value / highest * plot.height()));
        const int x = plot.left() + i * slot + (slot - barWidth) / 2;
        painter.fillRect(QRect(x, plot.bottom() + 1 - h, barWidth, h), ItemColour(static_cast<std::size_t>(i)));
        if (showText_) {
            painter.setPen(CurrentTextColour());
            painter.drawText(QRect(plot.left() + i * slot, plot.bottom() + 1, slot, textHeight),
                             Qt::AlignCenter, ToQString(item.text));
        }
    }
}

}  // namespace corvane::widgets
