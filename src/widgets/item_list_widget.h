#pragma once

#include <string>
#include <vector>

#include "widgets/skin_widget.h"
#include "widgets/row_widget.h"
#include "ui/control.h"

namespace corvane::widgets {

// What List and Combo share: rows, the selection, row colours.
class ItemListWidget : public SkinWidget, public ui::ItemList {
public:
    ItemListWidget(ui::ControlKind kind, SkinContext& context);

    int Count() const override { return static_cast<int>(rows_.size()); }
    ui::Control* ItemAt(int index) const override;
    int IndexOf(const ui::Control* item) const override;
    int CurSel() const override;
    bool SelectItem(int index, bool notify) override;
    ui::Control* InsertLabelRow(int index, std::string_view text, std::string_view userData,
                                int height, bool textIsId) override;
    ui::Control* InsertTextRow(int index, std::string_view name, std::string_view userData,
                               int height, const std::vector<std::string>& columns) override;
    ui::Control* InsertContainerRow(int index, std::string_view name, std::string_view userData,
                                    int height, const std::vector<ui::RowLabel>& labels) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    void AdoptChild(SkinWidget* child) override;

    // For the rows.
    virtual void RowPressed(RowWidget* row);
    bool IsRowSelected(const RowWidget* row) const { return row == selected_; }
    std::optional<QColor> RowBackground(const RowWidget* row) const;
    QColor RowTextColour(const RowWidget* row) const;
    QFont RowFont() const;
    // Column rectangles of text rows, from the header's item widths.
    std::vector<QRect> ColumnRects(const QRect& row) const;
    // Where and how a text row draws column i: the header item's text padding and alignment
    // (left with the row indent when the list has no header item for it).
    struct ColumnCell {
        QRect rect;
        int alignment;
    };
    std::vector<ColumnCell> ColumnCells(const QRect& row) const;
    int RowHeight(const RowWidget* row) const;

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    // Where row widgets live (the list's viewport, the combo's popup).
    virtual QWidget* RowParent() = 0;
    virtual void RowsChanged() = 0;
    virtual void EnsureVisible(RowWidget*) {}
    // Lays rows out top-down in width; returns their total height.
    int LayoutRows(int width, int scroll);
    const std::vector<RowWidget*>& Rows() const { return rows_; }
    SkinWidget* Header() const { return header_; }
    bool HeaderHidden() const { return headerHidden_; }

private:
    RowWidget* NewRow(ui::ControlKind kind, int index, std::string_view name,
                      std::string_view userData, int height);

    std::vector<RowWidget*> rows_;
    RowWidget* selected_ = nullptr;
    SkinWidget* header_ = nullptr;
    bool headerHidden_ = false;
    bool altBackground_ = false;
    int itemHeight_ = look::kDefaultItemHeight;
    int itemFont_ = -1;
};

}  // namespace corvane::widgets
