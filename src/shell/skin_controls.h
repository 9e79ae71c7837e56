#pragma once

#include <QImage>

#include <string>
#include <vector>

#include "shell/skin_widget.h"
#include "ui/control.h"

class QLineEdit;

namespace corvane::shell {

// Option and CheckBox: a clickable control with a selected state; options with a group are
// radio buttons of that group (window-wide), without one they toggle.
class OptionWidget : public SkinWidget, public ui::Option {
public:
    OptionWidget(ui::ControlKind kind, SkinContext& context);
    ~OptionWidget() override;

    bool IsSelected() const override { return selected_; }
    void SetSelected(bool selected, bool notify) override;
    std::string Group() const override { return group_; }

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    bool IsSelectedState() const override { return selected_; }
    void OnClicked() override;
    void Paint(QPainter& painter) override;

private:
    bool selected_ = false;
    std::string group_;
};

// TabLayout: children are pages, only the current one is shown.
class TabWidget : public SkinWidget, public ui::TabLayout {
public:
    explicit TabWidget(SkinContext& context);

    int PageCount() const override { return ChildCount(); }
    int CurPage() const override { return current_; }
    bool SelectPage(int index) override;
    void FinishBuild() override;

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;

private:
    void ShowCurrent();
    int current_ = 0;
};

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

// Edit: a painted box around a stock line edit.
class EditWidget : public SkinWidget, public ui::Edit {
public:
    explicit EditWidget(SkinContext& context);

    void SetText(std::string_view text) override;
    std::string Text() const override;
    std::string DisplayedText() const override { return Text(); }
    void SetFocus() override;
    bool HasFocus() const override;
    void SetSelection(int start, int end) override;
    std::string SelectedText() const override;
    void SetCaret(int position) override;
    int Caret() const override;
    void SetReadOnly(bool readOnly) override;
    void SetMaxChars(int count) override;
    void LayoutContent() override;
    void RefreshStyle() override;
    QLineEdit* LineEdit() const { return edit_; }

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    void Paint(QPainter& painter) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;  // owned by this widget as its Qt child
};

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

class ComboPopup;

class ComboWidget : public ItemListWidget {
public:
    explicit ComboWidget(SkinContext& context);
    void RowPressed(RowWidget* row) override;
    void OpenPopup();
    bool IsPopupOpen() const;
    void ScrollPopup(int delta);
    void LayoutPopup();

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    QWidget* RowParent() override;
    void RowsChanged() override;
    bool IsClickable() const override { return true; }
    void OnClicked() override;
    void Paint(QPainter& painter) override;

private:
    ComboPopup* popup_;  // owned as Qt child (a popup window)
    int dropWidth_ = 0;
    int dropHeight_ = 200;
    int popupScroll_ = 0;
};

class ChartWidget : public SkinWidget, public ui::Chart {
public:
    explicit ChartWidget(SkinContext& context);
    void SetPoints(std::vector<Point> points) override;

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    void Paint(QPainter& painter) override;

private:
    std::vector<Point> points_;
};

}  // namespace corvane::shell
