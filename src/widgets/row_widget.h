#pragma once

#include <string>
#include <vector>

#include "widgets/skin_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

class ItemListWidget;

// A row of a list or an item of a combo.
class RowWidget : public SkinWidget {
public:
    RowWidget(ui::ControlKind kind, SkinContext& context);

    void SetOwner(ItemListWidget* owner) { owner_ = owner; }
    ItemListWidget* Owner() const { return owner_; }
    void SetColumns(std::vector<std::string> columns);
    const std::vector<std::string>& Columns() const { return columns_; }
    bool IsRowHot() const { return IsHot(); }

protected:
    void Paint(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    ItemListWidget* owner_ = nullptr;
    std::vector<std::string> columns_;
};

}  // namespace corvane::widgets
