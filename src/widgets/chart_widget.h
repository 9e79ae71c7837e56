#pragma once

#include <string>
#include <vector>

#include "widgets/skin_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

// ChartView: a pie of its items (the default) or bars ("view" = "histpgram"), with the item
// texts beside or below when "showtext" is on. Without items it draws only its background.
class ChartWidget : public SkinWidget, public ui::Chart {
public:
    explicit ChartWidget(SkinContext& context);

    void AddItem(std::string_view text, double value) override;
    void RemoveAllItems() override;
    int ItemCount() const override { return static_cast<int>(items_.size()); }

    enum class View { Pie, Bars };
    View CurrentView() const { return view_; }

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    void Paint(QPainter& painter) override;

private:
    void PaintPie(QPainter& painter, const QRect& area);
    void PaintBars(QPainter& painter, const QRect& area);
    double Total() const;

    std::vector<Item> items_;
    View view_ = View::Pie;
    bool showText_ = true;
    int shadowHeight_ = 0;
    int pillarWidth_ = 0;
};

}  // namespace corvane::widgets
