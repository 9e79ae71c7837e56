#include "widgets/row_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "widgets/item_list_widget.h"

namespace corvane::widgets {

RowWidget::RowWidget(ui::ControlKind kind, SkinContext& context) : SkinWidget(kind, context) {}

void RowWidget::SetColumns(std::vector<std::string> columns) {
    columns_ = std::move(columns);
    update();
}

void RowWidget::Paint(QPainter& painter) {
    const QRect r = rect();
    std::optional<QColor> background = owner_ ? owner_->RowBackground(this) : std::nullopt;
    const bool emphasised = owner_ && (owner_->IsRowSelected(this) || IsHot());
    if (ColourAttr("bkcolor") && !emphasised) background.reset();
    if (background) {
        painter.fillRect(r, *background);
        PaintStateImage(painter, r);
    } else {
        PaintBackground(painter, r);
        PaintStateImage(painter, r);
    }
    PaintOverlay(painter, r);
    const QColor text = ColourAttr("textcolor") ? CurrentTextColour()
                                                : (owner_ ? owner_->RowTextColour(this) : CurrentTextColour());
    const QFont font = owner_ ? owner_->RowFont() : ControlFont();
    const QRect textArea = TextRect(r).adjusted(Context().Px(look::kRowTextIndent), 0, 0, 0);
    painter.setPen(text);
    painter.setFont(font);
    if (Kind() == ui::ControlKind::ListTextElement) {
        const auto cells = owner_ ? owner_->ColumnCells(r)
                                  : std::vector<ItemListWidget::ColumnCell>{{textArea, Qt::AlignLeft | Qt::AlignVCenter}};
        for (std::size_t i = 0; i < columns_.size() && i < cells.size(); ++i) {
            painter.drawText(cells[i].rect, cells[i].alignment, ToQString(columns_[i]));
        }
    } else if (Kind() == ui::ControlKind::ListLabelElement) {
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, ToQString(DisplayedText()));
    }
    PaintBorder(painter, r);
}

void RowWidget::mousePressEvent(QMouseEvent* event) {
    if (!owner_ || event->button() != Qt::LeftButton) {
        SkinWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    owner_->RowPressed(this);
}

}  // namespace corvane::widgets
