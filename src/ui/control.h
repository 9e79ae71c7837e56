#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::ui {

// 0xAARRGGBB, as the skin writes "#AARRGGBB".
using Colour = std::uint32_t;

// What a control is. Page code and the script channel check it before using a control as a
// particular kind; the typed finders of ui::Window do the check for them.
enum class ControlKind {
    Control,           // plain box or picture
    Label,
    Text,              // multi-line label
    Button,
    Option,
    CheckBox,
    Combo,
    Edit,
    Slider,
    Progress,
    CircleProgress,
    ColorPalette,
    List,
    ListHeader,
    ListHeaderItem,
    ListLabelElement,
    ListTextElement,
    ListContainerElement,
    VerticalLayout,
    HorizontalLayout,
    TabLayout,
    Container,
    ScrollContainer,
    Wnd,
    ChartView,
};

// The skin's element name of a kind ("Button", "ListLabelElement", ...).
std::string_view KindName(ControlKind kind);
// The kind of a skin element name, ignoring case; none for names that are not a control class.
std::optional<ControlKind> KindFromName(std::string_view name);

// Any control of a window. Every operation is for the UI thread only (workers go through
// Window::Post / Window::Send).
class Control {
public:
    virtual ~Control() = default;

    virtual ControlKind Kind() const = 0;
    virtual std::string Name() const = 0;
    virtual void SetName(std::string_view name) = 0;

    // Text as set. With resource text on, the text is a language-file id and the control shows
    // that id's wording in the current language, following every language switch.
    virtual void SetText(std::string_view text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetResourceText(bool isId) = 0;
    virtual bool IsResourceText() const = 0;
    // What the control shows: the language text for an id, otherwise Text().
    virtual std::string DisplayedText() const = 0;
    virtual void SetTextColour(Colour colour) = 0;
    virtual Colour TextColour() const = 0;
    // The tooltip: plain words, or "@" followed by a language id, shown in the current language
    // and following every language switch. ToolTip() is what the user sees.
    virtual void SetToolTip(std::string_view text) = 0;
    virtual std::string ToolTip() const = 0;

    virtual void SetVisible(bool visible) = 0;
    // The control's own flag; a control inside a hidden parent still reports true.
    virtual bool IsVisible() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;

    // Free data the program keeps on a control: a string (the skin's "userdata") and a number.
    virtual void SetUserData(std::string_view data) = 0;
    virtual std::string UserData() const = 0;
    virtual void SetTag(std::int64_t tag) = 0;
    virtual std::int64_t Tag() const = 0;

    // Any skin attribute by name, as in the skin files ("style" applies a named style).
    // False when the attribute is unknown to this control or its value does not parse.
    virtual bool SetAttribute(std::string_view name, std::string_view value) = 0;

    virtual void SetBkColour(Colour colour) = 0;
    virtual Colour BkColour() const = 0;
    // An image description as in the skin ("file='x.png' corner='4,4,4,4'" or a plain path);
    // empty clears the image.
    virtual void SetBkImage(std::string_view image) = 0;
    virtual std::string BkImage() const = 0;

    // A colour drawn over the control with its own alpha (the LED glow of keys and zones). It
    // is drawn only while enabled; alpha 0 is transparent, 255 opaque.
    virtual void SetOverlayEnabled(bool enabled) = 0;
    virtual bool IsOverlayEnabled() const = 0;
    virtual void SetOverlayColour(Colour colour) = 0;
    virtual Colour OverlayColour() const = 0;
    virtual void SetOverlayAlpha(std::uint8_t alpha) = 0;
    virtual std::uint8_t OverlayAlpha() const = 0;

    // Lays the control and its children out again and repaints them.
    virtual void NeedUpdate() = 0;

    // The control tree. Children are in skin order; rows of lists and items of combos count.
    virtual Control* Parent() const = 0;
    virtual int ChildCount() const = 0;
    virtual Control* ChildAt(int index) const = 0;
    // First control below this one with the name, ignoring case; nullptr when none.
    virtual Control* FindChild(std::string_view name) const = 0;
};

// Option (radio button within a group, a toggle without one) and CheckBox.
class Option : public virtual Control {
public:
    virtual bool IsSelected() const = 0;
    // Selecting an option of a group deselects the others of that group. With notify set, the
    // option raises "selectchanged" as if the user had clicked it (only when its state changes);
    // the options deselected on the way raise nothing.
    virtual void SetSelected(bool selected, bool notify) = 0;
    virtual std::string Group() const = 0;
};

// A row added to a container row of a list: a label with its text and style.
struct RowLabel {
    std::string text;
    std::string style;       // named style applied to the label, empty for none
    bool textIsId = false;   // text is a language-file id
};

// Combo (drop-down) and List share their item handling; rows are controls of kinds
// ListLabelElement, ListTextElement or ListContainerElement.
class ItemList : public virtual Control {
public:
    virtual int Count() const = 0;
    virtual Control* ItemAt(int index) const = 0;
    virtual int IndexOf(const Control* item) const = 0;
    // -1 when nothing is selected.
    virtual int CurSel() const = 0;
    // Selects item index (-1 clears the selection). With notify set, raises "itemselect" when
    // the selection changed. False for an index out of range.
    virtual bool SelectItem(int index, bool notify) = 0;

    // A label row with text and user data; height <= 0 takes the list's item height. index
    // -1 (or past the end) appends. Returns the new row.
    virtual Control* InsertLabelRow(int index, std::string_view text, std::string_view userData,
                                    int height = 0, bool textIsId = false) = 0;
    Control* AddLabelRow(std::string_view text, std::string_view userData, int height = 0,
                         bool textIsId = false) {
        return InsertLabelRow(-1, text, userData, height, textIsId);
    }
    // A row of text columns (laid out by the list header's column widths).
    virtual Control* InsertTextRow(int index, std::string_view name, std::string_view userData,
                                   int height, const std::vector<std::string>& columns) = 0;
    // A container row holding labels side by side, in order (reach them with ChildAt).
    virtual Control* InsertContainerRow(int index, std::string_view name, std::string_view userData,
                                        int height, const std::vector<RowLabel>& labels) = 0;

    // Removing the selected row clears the selection; rows behind a removed one move up.
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
};

// Tab layout: one page (child) visible at a time. Selecting never raises a notification.
class TabLayout : public virtual Control {
public:
    virtual int PageCount() const = 0;
    virtual int CurPage() const = 0;
    virtual bool SelectPage(int index) = 0;
};

// Slider, Progress and CircleProgress: a value within [min, max]. A slider raises
// "movevaluechanged" while the user drags it and "valuechanged" at the end of the drag (or on
// a click or key step); setting the value from code raises nothing.
class Slider : public virtual Control {
public:
    virtual void SetMin(int value) = 0;
    virtual int Min() const = 0;
    virtual void SetMax(int value) = 0;
    virtual int Max() const = 0;
    // Clamped to [min, max].
    virtual void SetValue(int value) = 0;
    virtual int Value() const = 0;
};

// Colour palette: picks a colour, raises "colorchanged" on a user pick; setting the colour
// from code raises nothing.
class ColourPalette : public virtual Control {
public:
    virtual void SetSelectedColour(Colour colour) = 0;
    virtual Colour SelectedColour() const = 0;
};

// Single-line edit; raises "textchanged" on every user edit (not on SetText), "return" on Enter.
class Edit : public virtual Control {
public:
    // Selects characters [start, end); end -1 means to the end of the text.
    virtual void SetSelection(int start, int end) = 0;
    virtual std::string SelectedText() const = 0;
    virtual void SetCaret(int position) = 0;
    virtual int Caret() const = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual void SetMaxChars(int count) = 0;
};

// Chart: items (a text and a value each) drawn as a pie (the default) or as bars; without
// items only the control's background shows.
class Chart : public virtual Control {
public:
    struct Item {
        std::string text;
        double value = 0;
    };
    virtual void AddItem(std::string_view text, double value) = 0;
    virtual void RemoveAllItems() = 0;
    virtual int ItemCount() const = 0;
};

}  // namespace corvane::ui
