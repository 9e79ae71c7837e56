#pragma once

#include "widgets/skin_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

// ColorPalette: a hue/saturation square above a brightness bar.
class PaletteWidget : public SkinWidget, public ui::ColourPalette {
public:
    explicit PaletteWidget(SkinContext& context);

    void SetSelectedColour(ui::Colour colour) override;
    ui::Colour SelectedColour() const override;

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    void Paint(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Area { None, Square, Bar };
    QRect SquareRect() const;
    QRect BarRect() const;
    void PickAt(const QPoint& point);

    double hue_ = 0;         // 0..1
    double saturation_ = 1;  // 0..1
    double brightness_ = 1;  // 0..1
    int palletHeight_ = 0;
    int barHeight_ = 12;
    Area dragging_ = Area::None;
};

}  // namespace corvane::widgets
