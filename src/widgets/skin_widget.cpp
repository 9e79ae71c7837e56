// The control itself: its texts, colours, images, attributes and children. Its layout, painting
// and input are in skin_widget_layout.cpp, skin_widget_paint.cpp and skin_widget_input.cpp.

#include "widgets/skin_widget.h"

#include <algorithm>

#include "widgets/overlay_glow.h"
#include "ui/window.h"

namespace corvane::widgets {
namespace {

bool EndsWith(const std::string& s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

SkinWidget::SkinWidget(ui::ControlKind kind, SkinContext& context)
    : kind_(kind), context_(context), className_(ui::KindName(kind)) {
    setAttribute(Qt::WA_Hover, false);
    setMouseTracking(false);
    if (kind == ui::ControlKind::Text) wordWrap_ = true;
    if (kind == ui::ControlKind::Text) valign_ = VAlign::Top;
    if (kind == ui::ControlKind::ScrollContainer) hints_.vscroll = true;
    // Buttons, options and combos are reached with Tab (a click does not move the focus).
    using K = ui::ControlKind;
    if (kind == K::Button || kind == K::Option || kind == K::CheckBox || kind == K::Combo) {
        setFocusPolicy(Qt::TabFocus);
    }
}

SkinWidget::~SkinWidget() {
    for (SkinWidget* kid : kids_) kid->parentSkin_ = nullptr;
    if (parentSkin_) {
        auto& siblings = parentSkin_->kids_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

void SkinWidget::SetName(std::string_view name) {
    name_ = std::string(name);
    setObjectName(ToQString(name));
}

void SkinWidget::SetText(std::string_view text) {
    text_ = std::string(text);
    update();
}

void SkinWidget::SetResourceText(bool isId) {
    resourceText_ = isId;
    update();
}

std::string SkinWidget::DisplayedText() const {
    if (!resourceText_) return text_;
    if (auto text = context_.LookupText(text_)) return ToStdString(*text);
    return text_;
}

void SkinWidget::SetTextColour(ui::Colour colour) {
    colours_["textcolor"] = colour;
    update();
}

ui::Colour SkinWidget::TextColour() const {
    auto c = ColourAttr("textcolor");
    return c ? *c : look::kText;
}

void SkinWidget::SetToolTip(std::string_view text) {
    toolTip_ = std::string(text);
    RefreshToolTip();
}

void SkinWidget::RefreshToolTip() {
    if (!toolTip_.empty() && toolTip_.front() == '@') {
        const std::string_view id = std::string_view(toolTip_).substr(1);
        const auto words = context_.LookupText(id);
        setToolTip(words ? *words : ToQString(id));
        return;
    }
    setToolTip(ToQString(toolTip_));
}

std::string SkinWidget::ToolTip() const { return ToStdString(toolTip()); }

void SkinWidget::SetVisible(bool visible) {
    if (visible == !isHidden()) return;
    setVisible(visible);
    RelayoutParent();
}

void SkinWidget::SetEnabled(bool enabled) {
    setEnabled(enabled);
    update();
}

void SkinWidget::SetFocus() { setFocus(Qt::OtherFocusReason); }

bool SkinWidget::HasFocus() const { return hasFocus(); }

bool SkinWidget::SetAttribute(std::string_view name, std::string_view value) {
    const bool known = ApplyAttribute(ui::ToLower(name), value);
    RelayoutParent();
    update();
    return known;
}

void SkinWidget::SetBkColour(ui::Colour colour) {
    colours_["bkcolor"] = colour;
    update();
}

ui::Colour SkinWidget::BkColour() const {
    auto c = ColourAttr("bkcolor");
    return c ? *c : 0;
}

void SkinWidget::SetBkImage(std::string_view image) {
    bkImageText_ = std::string(image);
    bkImage_ = image.empty() ? std::nullopt : ParseImageSpec(image);
    update();
}

void SkinWidget::SetOverlayEnabled(bool enabled) {
    overlayEnabled_ = enabled;
    update();
}

void SkinWidget::SetOverlayColour(ui::Colour colour) {
    overlayColour_ = colour;
    if (overlayEnabled_) update();
}

void SkinWidget::SetOverlayAlpha(std::uint8_t alpha) {
    overlayAlpha_ = alpha;
    if (overlayEnabled_) update();
}

void SkinWidget::NeedUpdate() {
    LayoutContent();
    update();
}

ui::Control* SkinWidget::ChildAt(int index) const {
    if (index < 0 || index >= static_cast<int>(kids_.size())) return nullptr;
    return kids_[static_cast<std::size_t>(index)];
}

ui::Control* SkinWidget::FindChild(std::string_view name) const {
    for (SkinWidget* kid : kids_) {
        if (ui::EqualsIgnoreCase(kid->name_, name)) return kid;
        if (auto* found = kid->FindChild(name)) return found;
    }
    return nullptr;
}

void SkinWidget::ApplyAttributes(const AttributeList& attributes) {
    // A style comes before the element's own attributes, wherever it is written.
    for (const auto& [name, value] : attributes) {
        if (ui::EqualsIgnoreCase(name, "style")) ApplyStyle(value);
    }
    for (const auto& [name, value] : attributes) {
        const std::string lower = ui::ToLower(name);
        if (lower == "style") continue;
        if (!ApplyAttribute(lower, value)) {
            context_.Warn("skin: attribute '" + name + "'='" + value + "' ignored on " + className_ +
                          (name_.empty() ? "" : " '" + name_ + "'"));
        }
    }
}

void SkinWidget::ApplyStyle(std::string_view styleName) {
    const AttributeList* style = context_.Style(styleName);
    if (!style) {
        context_.Warn("skin: unknown style '" + std::string(styleName) + "'");
        return;
    }
    const AttributeList copy = *style;  // a style may not name itself; copying keeps it simple
    for (const auto& [name, value] : copy) {
        const std::string lower = ui::ToLower(name);
        if (lower == "style") continue;
        if (!ApplyAttribute(lower, value)) {
            context_.Warn("skin: style '" + std::string(styleName) + "' attribute '" + name + "' ignored");
        }
    }
}

bool SkinWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    auto setInt = [&](int& field) {
        auto v = ParseInt(value);
        if (v) field = *v;
        return v.has_value();
    };
    auto setQuad = [&](Quad& field) {
        auto q = ParseQuad(value);
        if (q) field = *q;
        return q.has_value();
    };
    auto setBool = [&](auto&& apply) {
        auto b = ParseBool(value);
        if (b) apply(*b);
        return b.has_value();
    };
    if (name == "style") {
        ApplyStyle(value);
    } else if (name == "name") {
        SetName(value);
    } else if (name == "text") {
        if (!value.empty() && value.front() == '@') {
            text_ = std::string(value.substr(1));
            resourceText_ = true;
        } else {
            text_ = std::string(value);
        }
    } else if (name == "resourcetext") {
        return setBool([&](bool b) { resourceText_ = b; });
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "userdata") {
        userData_ = std::string(value);
    } else if (name == "visible") {
        return setBool([&](bool b) { setVisible(b); });
    } else if (name == "enabled") {
        return setBool([&](bool b) { setEnabled(b); });
    } else if (name == "mouse") {
        return setBool([&](bool b) { setAttribute(Qt::WA_TransparentForMouseEvents, !b); });
    } else if (name == "cursor") {
        if (ui::EqualsIgnoreCase(value, "hand")) setCursor(Qt::PointingHandCursor);
        else if (ui::EqualsIgnoreCase(value, "arrow")) setCursor(Qt::ArrowCursor);
        else return false;
    } else if (name == "width") {
        return setInt(hints_.width);
    } else if (name == "height") {
        return setInt(hints_.height);
    } else if (name == "minwidth") {
        return setInt(hints_.minWidth);
    } else if (name == "maxwidth") {
        return setInt(hints_.maxWidth);
    } else if (name == "minheight") {
        return setInt(hints_.minHeight);
    } else if (name == "maxheight") {
        return setInt(hints_.maxHeight);
    } else if (name == "padding") {
        return setQuad(hints_.padding);
    } else if (name == "inset") {
        return setQuad(hints_.inset);
    } else if (name == "childpadding") {
        return setInt(hints_.childPadding);
    } else if (name == "float") {
        return setBool([&](bool b) { hints_.floating = b; });
    } else if (name == "pos") {
        auto q = ParseQuad(value);
        if (!q) return false;
        hints_.pos = *q;
    } else if (name == "childalign") {
        if (ui::EqualsIgnoreCase(value, "left")) hints_.childAlign = HAlign::Left;
        else if (ui::EqualsIgnoreCase(value, "center")) hints_.childAlign = HAlign::Center;
        else if (ui::EqualsIgnoreCase(value, "right")) hints_.childAlign = HAlign::Right;
        else return false;
    } else if (name == "childvalign") {
        if (ui::EqualsIgnoreCase(value, "top")) hints_.childVAlign = VAlign::Top;
        else if (ui::EqualsIgnoreCase(value, "center") || ui::EqualsIgnoreCase(value, "vcenter"))
            hints_.childVAlign = VAlign::Center;
        else if (ui::EqualsIgnoreCase(value, "bottom")) hints_.childVAlign = VAlign::Bottom;
        else return false;
    } else if (name == "vscrollbar") {
        return setBool([&](bool b) { hints_.vscroll = b; });
    } else if (name == "hscrollbar") {
        return ParseBool(value).has_value();  // horizontal scrolling is not offered
    } else if (name == "align") {
        if (ui::EqualsIgnoreCase(value, "left")) align_ = HAlign::Left;
        else if (ui::EqualsIgnoreCase(value, "center")) align_ = HAlign::Center;
        else if (ui::EqualsIgnoreCase(value, "right")) align_ = HAlign::Right;
        else return false;
    } else if (name == "valign") {
        if (ui::EqualsIgnoreCase(value, "top")) valign_ = VAlign::Top;
        else if (ui::EqualsIgnoreCase(value, "vcenter") || ui::EqualsIgnoreCase(value, "center"))
            valign_ = VAlign::Center;
        else if (ui::EqualsIgnoreCase(value, "bottom")) valign_ = VAlign::Bottom;
        else return false;
    } else if (name == "textpadding") {
        return setQuad(textPadding_);
    } else if (name == "borderround") {
        auto pair = ParsePair(value);
        if (!pair) return false;
        borderRound_ = Quad{pair->first, pair->second, 0, 0};
    } else if (name == "bordersize") {
        return setInt(borderSize_);
    } else if (name == "font") {
        return setInt(fontId_);
    } else if (name == "wordwrap" || name == "multiline") {
        return setBool([&](bool b) { wordWrap_ = b; });
    } else if (name == "bkimage") {
        bkImageText_ = std::string(value);
        bkImage_ = ParseImageSpec(value);
        return bkImage_.has_value();
    } else if (EndsWith(name, "color") || name == "bkcolor2") {
        auto c = ParseColour(value);
        if (!c) return false;
        colours_[name] = *c;
    } else if (EndsWith(name, "image")) {
        auto image = ParseImageSpec(value);
        if (!image) return false;
        if (image->file.empty()) images_.erase(name);
        else images_[name] = *image;
    } else {
        return false;
    }
    return true;
}

void SkinWidget::AdoptChild(SkinWidget* child) { InsertKid(child, -1, this); }

void SkinWidget::InsertKid(SkinWidget* child, int index, QWidget* widgetParent) {
    child->setParent(widgetParent);
    child->parentSkin_ = this;
    if (index < 0 || index >= static_cast<int>(kids_.size())) {
        kids_.push_back(child);
    } else {
        kids_.insert(kids_.begin() + index, child);
    }
}

void SkinWidget::DiscardChild(SkinWidget* child) {
    kids_.erase(std::remove(kids_.begin(), kids_.end(), child), kids_.end());
    child->parentSkin_ = nullptr;
    child->hide();
    child->deleteLater();
}

void SkinWidget::RefreshStyle() { update(); }

std::optional<ui::Colour> SkinWidget::ColourAttr(const std::string& name) const {
    auto it = colours_.find(name);
    if (it == colours_.end()) return std::nullopt;
    return it->second;
}

const ImageSpec* SkinWidget::ImageAttr(const std::string& name) const {
    auto it = images_.find(name);
    return it == images_.end() ? nullptr : &it->second;
}

std::optional<int> SkinWidget::IntAttr(const std::string& name) const {
    auto it = ints_.find(name);
    if (it == ints_.end()) return std::nullopt;
    return it->second;
}

bool SkinWidget::IsClickable() const {
    using K = ui::ControlKind;
    return kind_ == K::Button || kind_ == K::Option || kind_ == K::CheckBox;
}

void SkinWidget::OnClicked() { context_.Notify("click", this); }

void CollectControls(const SkinWidget* root, std::vector<SkinWidget*>& out) {
    if (!root) return;
    out.push_back(const_cast<SkinWidget*>(root));
    for (SkinWidget* kid : root->Kids()) CollectControls(kid, out);
}

}  // namespace corvane::widgets
