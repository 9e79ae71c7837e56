#pragma once

#include "widgets/skin_widget.h"
#include "widgets/item_list_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

class ListWidget : public ItemListWidget {
public:
    explicit ListWidget(SkinContext& context);
    void LayoutContent() override;

protected:
    QWidget* RowParent() override { return viewport_; }
    void RowsChanged() override;
    void EnsureVisible(RowWidget* row) override;
    void Paint(QPainter& painter) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QWidget* viewport_;  // owned as Qt child
    int scroll_ = 0;
    int rowsHeight_ = 0;
};

}  // namespace corvane::widgets
