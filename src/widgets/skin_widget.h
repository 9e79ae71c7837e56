#pragma once

#include <QWidget>

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "widgets/skin_attributes.h"
#include "widgets/skin_context.h"
#include "ui/control.h"

class QPainter;

namespace corvane::widgets {

class OverlayGlow;

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

// Where a control sits among its siblings, in skin pixels (scaled when laid out).
struct LayoutHints {
    int width = 0;    // 0: shares the free space
    int height = 0;
    int minWidth = 0;
    int maxWidth = INT_MAX;
    int minHeight = 0;
    int maxHeight = INT_MAX;
    Quad padding;     // outer margin
    bool floating = false;
    std::optional<Quad> pos;
    // As a container:
    Quad inset;
    int childPadding = 0;
    HAlign childAlign = HAlign::Left;
    VAlign childVAlign = VAlign::Top;
    bool vscroll = false;
};

// The base of every skin control: a QWidget that paints itself (background colour or gradient,
// images by state, text, border, the colour overlay) and lays out its children the way the
// skin's layout elements describe. Kinds that need more derive from it.
class SkinWidget : public QWidget, public virtual ui::Control {
public:
    SkinWidget(ui::ControlKind kind, SkinContext& context);
    ~SkinWidget() override;
    SkinWidget(const SkinWidget&) = delete;
    SkinWidget& operator=(const SkinWidget&) = delete;

    // ui::Control
    ui::ControlKind Kind() const override { return kind_; }
    std::string Name() const override { return name_; }
    void SetName(std::string_view name) override;
    void SetText(std::string_view text) override;
    std::string Text() const override { return text_; }
    void SetResourceText(bool isId) override;
    bool IsResourceText() const override { return resourceText_; }
    std::string DisplayedText() const override;
    void SetTextColour(ui::Colour colour) override;
    ui::Colour TextColour() const override;
    void SetToolTip(std::string_view text) override;
    std::string ToolTip() const override;
    void SetVisible(bool visible) override;
    bool IsVisible() const override { return !isHidden(); }
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override { return !testAttribute(Qt::WA_ForceDisabled); }
    void SetFocus() override;
    bool HasFocus() const override;
    void SetUserData(std::string_view data) override { userData_ = std::string(data); }
    std::string UserData() const override { return userData_; }
    void SetTag(std::int64_t tag) override { tag_ = tag; }
    std::int64_t Tag() const override { return tag_; }
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void SetBkColour(ui::Colour colour) override;
    ui::Colour BkColour() const override;
    void SetBkImage(std::string_view image) override;
    std::string BkImage() const override { return bkImageText_; }
    void SetOverlayEnabled(bool enabled) override;
    bool IsOverlayEnabled() const override { return overlayEnabled_; }
    void SetOverlayColour(ui::Colour colour) override;
    ui::Colour OverlayColour() const override { return overlayColour_; }
    void SetOverlayAlpha(std::uint8_t alpha) override;
    std::uint8_t OverlayAlpha() const override { return overlayAlpha_; }
    void NeedUpdate() override;
    ui::Control* Parent() const override { return parentSkin_; }
    int ChildCount() const override { return static_cast<int>(kids_.size()); }
    ui::Control* ChildAt(int index) const override;
    ui::Control* FindChild(std::string_view name) const override;

    // Building. The class name is the skin element the control came from (for <Default>).
    void SetClassName(std::string className) { className_ = std::move(className); }
    const std::string& ClassName() const { return className_; }
    // Applies attributes in order; unknown ones are reported through the context.
    void ApplyAttributes(const AttributeList& attributes);
    // Adopts a child built from the skin; kinds with rows or items route them.
    virtual void AdoptChild(SkinWidget* child);
    // Called once the element and all its children are built.
    virtual void FinishBuild() {}
    // Re-reads fonts and texts after a language or scale change.
    virtual void RefreshStyle();
    // Shows the tooltip in the current language (after a language switch).
    void RefreshToolTip();

    const std::vector<SkinWidget*>& Kids() const { return kids_; }
    // The area the control's text is drawn in (its text padding taken off), and Qt's horizontal
    // and vertical alignment flags of the text.
    QRect TextRect(const QRect& rect) const;
    int TextAlignment() const;
    SkinWidget* ParentSkin() const { return parentSkin_; }
    SkinContext& Context() const { return context_; }
    const LayoutHints& Hints() const { return hints_; }
    // Size fixed by the skin at the current scale (0 when it shares free space).
    int FixedWidth() const;
    int FixedHeight() const;

    // Positions the children inside the control and lays them out in turn.
    virtual void LayoutContent();

    // Where the control's text is drawn, in which font, and the texts it can come to show
    // (its own; a combo's are its items). For checks that every text fits.
    virtual QRect TextArea() const { return TextRect(rect()); }
    QFont TextFont() const { return ControlFont(); }
    bool WrapsText() const { return wordWrap_; }
    virtual std::vector<std::string> ShownTexts() const;

protected:
    // The attribute handler of each kind; false when the name is not one of its attributes.
    virtual bool ApplyAttribute(const std::string& name, std::string_view value);

    void paintEvent(QPaintEvent* event) override;
    // Paints the control; kinds override to draw more (call the parts they keep).
    virtual void Paint(QPainter& painter);
    void PaintBackground(QPainter& painter, const QRect& rect);
    void PaintStateImage(QPainter& painter, const QRect& rect);
    void PaintImage(QPainter& painter, const ImageSpec& image, const QRect& rect);
    void PaintText(QPainter& painter, const QRect& rect);
    void PaintBorder(QPainter& painter, const QRect& rect);
    void PaintOverlay(QPainter& painter, const QRect& rect);
    void PaintScrollBar(QPainter& painter, const QRect& viewport, int contentHeight);

    // Which state images and colours apply; options add "selected".
    virtual bool IsSelectedState() const { return false; }
    bool IsHot() const { return hot_; }
    bool IsPressed() const { return pressed_; }

    // Clickable kinds (buttons, options) get press/release handling and raise "click".
    virtual bool IsClickable() const;
    virtual void OnClicked();

    // Stored attributes by lower-case name: "...color" colours and "...image" images.
    std::optional<ui::Colour> ColourAttr(const std::string& name) const;
    const ImageSpec* ImageAttr(const std::string& name) const;
    std::optional<int> IntAttr(const std::string& name) const;
    void StoreColour(const std::string& name, ui::Colour colour) { colours_[name] = colour; }
    QFont ControlFont() const { return context_.Font(fontId_); }
    QColor CurrentTextColour() const;
    int ScrollOffset() const { return scrollY_; }
    void SetScrollOffset(int y);
    int ContentHeight() const { return contentHeight_; }
    // Lays the given children out along the control's axis inside area; returns the content
    // height (for scrolling).
    int LayoutSequence(const std::vector<SkinWidget*>& children, const QRect& area, bool vertical,
                       int scroll);
    void LayoutStack(const std::vector<SkinWidget*>& children, const QRect& area);
    void PlaceFloating(SkinWidget* child);
    QRect ContentArea() const;
    // Lets the layout of this control's parent take a visibility change into account.
    void RelayoutParent();
    // Removes a child from the tree; it is hidden at once and destroyed once control returns
    // to the event loop, so a handler may remove the control that notified it.
    void DiscardChild(SkinWidget* child);
    void InsertKid(SkinWidget* child, int index, QWidget* widgetParent);

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    int fontId_ = -1;

private:
    void ApplyStyle(std::string_view styleName);

    const ui::ControlKind kind_;
    SkinContext& context_;
    std::string className_;
    std::string name_;
    std::string text_;
    bool resourceText_ = false;
    std::string toolTip_;  // as set: words or "@id"
    std::string userData_;
    std::int64_t tag_ = 0;
    std::string bkImageText_;
    std::optional<ImageSpec> bkImage_;
    std::map<std::string, ui::Colour> colours_;
    std::map<std::string, ImageSpec> images_;
    std::map<std::string, int> ints_;
    HAlign align_ = HAlign::Left;
    VAlign valign_ = VAlign::Center;
    Quad textPadding_;
    Quad borderRound_;
    int borderSize_ = 0;
    bool wordWrap_ = false;
    bool overlayEnabled_ = false;
    ui::Colour overlayColour_ = 0xFF000000u;
    std::uint8_t overlayAlpha_ = 0;
    std::unique_ptr<OverlayGlow> glow_;  // made on the first lit paint
    bool hot_ = false;
    bool pressed_ = false;
    bool keyboardFocus_ = false;  // focus came with Tab: the focus ring shows
    int scrollY_ = 0;
    int contentHeight_ = 0;
    LayoutHints hints_;
    SkinWidget* parentSkin_ = nullptr;
    std::vector<SkinWidget*> kids_;
};

// The controls of a subtree in tree order (the root first).
void CollectControls(const SkinWidget* root, std::vector<SkinWidget*>& out);

inline QColor ToQColor(ui::Colour c) {
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF);
}

// Colours of the dark look the painted controls fall back on when the skin gives none.
namespace look {
inline constexpr ui::Colour kSurface = 0xFF181B22u;
inline constexpr ui::Colour kRaised = 0xFF222632u;
inline constexpr ui::Colour kBorder = 0xFF2C3140u;
inline constexpr ui::Colour kText = 0xFFE6E9EFu;
inline constexpr ui::Colour kSecondaryText = 0xFF8A93A6u;
inline constexpr ui::Colour kAccent = 0xFF0199CBu;
inline constexpr ui::Colour kAccentHover = 0xFF19B3E6u;
inline constexpr double kDisabledOpacity = 0.4;
inline constexpr int kScrollBarWidth = 6;
inline constexpr int kDefaultItemHeight = 25;
// Text of rows and of a combo's current item starts this far in.
inline constexpr int kRowTextIndent = 8;
inline constexpr int kFocusRing = 2;
}  // namespace look

}  // namespace corvane::widgets
