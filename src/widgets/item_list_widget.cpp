#include "widgets/item_list_widget.h"

#include <QPointer>

#include <algorithm>

#include "ui/window.h"

namespace corvane::widgets {
namespace {

// Alternate rows are lightened by this much (out of 255) when the list asks for it.
constexpr int kAltRowLift = 8;
constexpr ui::Colour kDefaultSelectedRow = 0x660199CBu;
QColor Lift(QColor c, int amount) {
    return QColor(std::min(255, c.red() + amount), std::min(255, c.green() + amount),
                  std::min(255, c.blue() + amount), c.alpha());
}

}  // namespace

ItemListWidget::ItemListWidget(ui::ControlKind kind, SkinContext& context) : SkinWidget(kind, context) {}

ui::Control* ItemListWidget::ItemAt(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return rows_[static_cast<std::size_t>(index)];
}

int ItemListWidget::IndexOf(const ui::Control* item) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (static_cast<const ui::Control*>(rows_[i]) == item) return static_cast<int>(i);
    }
    return -1;
}

int ItemListWidget::CurSel() const { return selected_ ? IndexOf(selected_) : -1; }

bool ItemListWidget::SelectItem(int index, bool notify) {
    if (index < -1 || index >= Count()) return false;
    RowWidget* row = index < 0 ? nullptr : rows_[static_cast<std::size_t>(index)];
    if (row == selected_) return true;
    RowWidget* old = selected_;
    selected_ = row;
    if (old) old->update();
    if (row) {
        row->update();
        EnsureVisible(row);
    }
    update();
    if (notify) Context().Notify("itemselect", this, index);
    return true;
}

RowWidget* ItemListWidget::NewRow(ui::ControlKind kind, int index, std::string_view name,
                                  std::string_view userData, int height) {
    if (index < 0 || index > Count()) index = Count();
    auto row = std::make_unique<RowWidget>(kind, Context());
    RowWidget* raw = row.release();  // owned by its Qt parent from here on
    raw->SetOwner(this);
    raw->SetName(name);
    raw->SetUserData(userData);
    if (height > 0) raw->SetAttribute("height", std::to_string(height));
    const int offset = header_ ? 1 : 0;
    InsertKid(raw, index + offset, RowParent());
    rows_.insert(rows_.begin() + index, raw);
    raw->show();
    return raw;
}

ui::Control* ItemListWidget::InsertLabelRow(int index, std::string_view text, std::string_view userData,
                                            int height, bool textIsId) {
    RowWidget* row = NewRow(ui::ControlKind::ListLabelElement, index, {}, userData, height);
    row->SetResourceText(textIsId);
    row->SetText(text);
    RowsChanged();
    return row;
}

ui::Control* ItemListWidget::InsertTextRow(int index, std::string_view name, std::string_view userData,
                                           int height, const std::vector<std::string>& columns) {
    RowWidget* row = NewRow(ui::ControlKind::ListTextElement, index, name, userData, height);
    row->SetColumns(columns);
    if (!columns.empty()) row->SetText(columns.front());
    RowsChanged();
    return row;
}

ui::Control* ItemListWidget::InsertContainerRow(int index, std::string_view name, std::string_view userData,
                                                int height, const std::vector<ui::RowLabel>& labels) {
    RowWidget* row = NewRow(ui::ControlKind::ListContainerElement, index, name, userData, height);
    for (const auto& labelSpec : labels) {
        auto label = std::make_unique<SkinWidget>(ui::ControlKind::Label, Context());
        SkinWidget* raw = label.release();  // owned by the row as its Qt child
        if (!labelSpec.style.empty()) raw->SetAttribute("style", labelSpec.style);
        raw->SetResourceText(labelSpec.textIsId);
        raw->SetText(labelSpec.text);
        row->AdoptChild(raw);
        raw->show();
    }
    RowsChanged();
    return row;
}

bool ItemListWidget::RemoveAt(int index) {
    if (index < 0 || index >= Count()) return false;
    RowWidget* row = rows_[static_cast<std::size_t>(index)];
    if (row == selected_) selected_ = nullptr;
    rows_.erase(rows_.begin() + index);
    row->SetOwner(nullptr);
    DiscardChild(row);
    RowsChanged();
    return true;
}

void ItemListWidget::RemoveAll() {
    selected_ = nullptr;
    const auto rows = rows_;
    rows_.clear();
    for (RowWidget* row : rows) {
        row->SetOwner(nullptr);
        DiscardChild(row);
    }
    RowsChanged();
}

void ItemListWidget::AdoptChild(SkinWidget* child) {
    using K = ui::ControlKind;
    const K k = child->Kind();
    if (k == K::ListHeader && !header_) {
        header_ = child;
        InsertKid(child, 0, this);
        return;
    }
    if (k == K::ListLabelElement || k == K::ListTextElement || k == K::ListContainerElement) {
        auto* row = dynamic_cast<RowWidget*>(child);
        if (row) {
            row->SetOwner(this);
            InsertKid(row, -1, RowParent());
            rows_.push_back(row);
            return;
        }
    }
    SkinWidget::AdoptChild(child);
}

void ItemListWidget::RowPressed(RowWidget* row) {
    const int index = IndexOf(row);
    if (index < 0) return;
    QPointer<RowWidget> guard(row);
    SelectItem(index, true);
    if (guard && guard->Owner() == this) Context().Notify("itemclick", row, IndexOf(row));
}

std::optional<QColor> ItemListWidget::RowBackground(const RowWidget* row) const {
    if (IsRowSelected(row)) return ToQColor(ColourAttr("itemselectedbkcolor").value_or(kDefaultSelectedRow));
    if (row->IsRowHot()) {
        if (auto c = ColourAttr("itemhotbkcolor")) return ToQColor(*c);
    }
    auto base = ColourAttr("itembkcolor");
    if (!base && !altBackground_) return std::nullopt;
    QColor colour = ToQColor(base.value_or(look::kSurface));
    if (altBackground_ && IndexOf(row) % 2 == 1) colour = Lift(colour, kAltRowLift);
    return colour;
}

QColor ItemListWidget::RowTextColour(const RowWidget* row) const {
    std::optional<ui::Colour> c;
    if (IsRowSelected(row)) c = ColourAttr("itemselectedtextcolor");
    if (!c && row->IsRowHot()) c = ColourAttr("itemhottextcolor");
    if (!c) c = ColourAttr("itemtextcolor");
    return ToQColor(c.value_or(look::kText));
}

QFont ItemListWidget::RowFont() const { return Context().Font(itemFont_ >= 0 ? itemFont_ : fontId_); }

std::vector<QRect> ItemListWidget::ColumnRects(const QRect& row) const {
    std::vector<QRect> columns;
    if (!header_ || header_->ChildCount() == 0) {
        columns.push_back(row);
        return columns;
    }
    const auto& items = header_->Kids();
    int fixed = 0;
    int flexible = 0;
    for (SkinWidget* item : items) {
        if (item->FixedWidth() > 0) fixed += item->FixedWidth();
        else ++flexible;
    }
    const int share = flexible > 0 ? std::max(0, (row.width() - fixed) / flexible) : 0;
    int x = row.left();
    for (SkinWidget* item : items) {
        const int w = item->FixedWidth() > 0 ? item->FixedWidth() : share;
        columns.emplace_back(x, row.top(), w, row.height());
        x += w;
    }
    return columns;
}

std::vector<ItemListWidget::ColumnCell> ItemListWidget::ColumnCells(const QRect& row) const {
    std::vector<ColumnCell> cells;
    const std::vector<QRect> columns = ColumnRects(row);
    const bool fromHeader = header_ && header_->ChildCount() > 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (fromHeader) {
            const SkinWidget* item = header_->Kids()[i];
            cells.push_back({item->TextRect(columns[i]), (item->TextAlignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter});
        } else {
            cells.push_back({columns[i].adjusted(Context().Px(look::kRowTextIndent), 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter});
        }
    }
    return cells;
}

int ItemListWidget::RowHeight(const RowWidget* row) const {
    const int fixed = row->FixedHeight();
    return fixed > 0 ? fixed : Context().Px(itemHeight_);
}

int ItemListWidget::LayoutRows(int width, int scroll) {
    int y = -scroll;
    for (RowWidget* row : rows_) {
        if (row->isHidden()) continue;
        const int h = RowHeight(row);
        row->setGeometry(0, y, width, h);
        row->LayoutContent();
        y += h;
    }
    return y + scroll;
}

bool ItemListWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "itemheight") {
        auto v = ParseInt(value);
        if (v && *v > 0) itemHeight_ = *v;
        return v.has_value();
    }
    if (name == "itemfont") {
        auto v = ParseInt(value);
        if (v) itemFont_ = *v;
        return v.has_value();
    }
    if (name == "itemaltbk") {
        auto b = ParseBool(value);
        if (b) altBackground_ = *b;
        return b.has_value();
    }
    if (name == "header") {
        headerHidden_ = ui::EqualsIgnoreCase(value, "hidden") || ui::EqualsIgnoreCase(value, "false");
        return true;
    }
    if (name == "itemalign" || name == "itemtextpadding" || name == "itemshowhtml" || name == "multiexpanding") {
        return true;  // rows keep one look; accepted so skins written for richer lists load quietly
    }
    return SkinWidget::ApplyAttribute(name, value);
}

}  // namespace corvane::widgets
