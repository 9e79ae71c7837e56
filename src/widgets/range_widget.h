#pragma once

#include "widgets/skin_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

// Slider, Progress and CircleProgress.
class RangeWidget : public SkinWidget, public ui::Slider {
public:
    RangeWidget(ui::ControlKind kind, SkinContext& context);

    void SetMin(int value) override;
    int Min() const override { return min_; }
    void SetMax(int value) override;
    int Max() const override { return max_; }
    void SetValue(int value) override;
    int Value() const override { return value_; }

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    void Paint(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool IsSlider() const { return Kind() == ui::ControlKind::Slider; }
    double Fraction() const;
    QRect ThumbRect() const;
    int ValueAt(const QPoint& point) const;
    // Sets the value from user input; true when it changed.
    bool UserSetValue(int value);
    void PaintLinear(QPainter& painter);
    void PaintRing(QPainter& painter);

    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    int step_ = 1;
    bool horizontal_ = true;
    int thumbWidth_ = 14;
    int thumbHeight_ = 14;
    int thickness_ = 10;
    bool dragging_ = false;
    int grabOffset_ = 0;
};

}  // namespace corvane::widgets
