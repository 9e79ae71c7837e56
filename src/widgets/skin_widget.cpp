#include "widgets/skin_widget.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <QtWidgets/qdrawutil.h>

#include <algorithm>

#include "widgets/overlay_glow.h"
#include "ui/window.h"

namespace corvane::widgets {
namespace {

bool EndsWith(const std::string& s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

QRect Shrink(const QRect& r, const Quad& q, const SkinContext& c) {
    return r.adjusted(c.Px(q.left), c.Px(q.top), -c.Px(q.right), -c.Px(q.bottom));
}

// The attributes every control knows besides the stored "...color" and "...image" ones.
bool IsLayoutKind(ui::ControlKind k) {
    using K = ui::ControlKind;
    return k == K::VerticalLayout || k == K::HorizontalLayout || k == K::ScrollContainer ||
           k == K::ListContainerElement || k == K::ListHeader;
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

int SkinWidget::FixedWidth() const {
    int w = hints_.width;
    if (w <= 0 && hints_.pos && !hints_.floating) w = hints_.pos->right - hints_.pos->left;
    if (w <= 0) return 0;
    return context_.Px(std::clamp(w, hints_.minWidth, std::max(hints_.minWidth, hints_.maxWidth)));
}

int SkinWidget::FixedHeight() const {
    int h = hints_.height;
    if (h <= 0 && hints_.pos && !hints_.floating) h = hints_.pos->bottom - hints_.pos->top;
    if (h <= 0) return 0;
    return context_.Px(std::clamp(h, hints_.minHeight, std::max(hints_.minHeight, hints_.maxHeight)));
}

QRect SkinWidget::ContentArea() const { return Shrink(rect(), hints_.inset, context_); }

void SkinWidget::RelayoutParent() {
    if (parentSkin_) {
        parentSkin_->LayoutContent();
        parentSkin_->update();
    }
}

void SkinWidget::SetScrollOffset(int y) {
    const int limit = std::max(0, contentHeight_ - ContentArea().height());
    const int clamped = std::clamp(y, 0, limit);
    if (clamped == scrollY_) return;
    scrollY_ = clamped;
    LayoutContent();
    update();
}

void SkinWidget::PlaceFloating(SkinWidget* child) {
    QRect r;
    if (child->hints_.pos) {
        const Quad& p = *child->hints_.pos;
        r = QRect(context_.Px(p.left), context_.Px(p.top), context_.Px(p.right - p.left),
                  context_.Px(p.bottom - p.top));
    } else {
        r = QRect(0, 0, context_.Px(child->hints_.width), context_.Px(child->hints_.height));
    }
    child->setGeometry(r);
    child->LayoutContent();
}

void SkinWidget::LayoutContent() {
    std::vector<SkinWidget*> flow;
    for (SkinWidget* kid : kids_) {
        if (kid->isHidden()) continue;
        if (kid->hints_.floating) {
            PlaceFloating(kid);
        } else {
            flow.push_back(kid);
        }
    }
    using K = ui::ControlKind;
    const bool vertical = kind_ == K::VerticalLayout || kind_ == K::ScrollContainer;
    if (vertical || IsLayoutKind(kind_)) {
        QRect area = ContentArea();
        if (vertical && hints_.vscroll) {
            contentHeight_ = LayoutSequence(flow, area, true, scrollY_);
            if (contentHeight_ > area.height()) {
                area.setRight(area.right() - context_.Px(look::kScrollBarWidth));
                const int limit = std::max(0, contentHeight_ - area.height());
                scrollY_ = std::clamp(scrollY_, 0, limit);
                contentHeight_ = LayoutSequence(flow, area, true, scrollY_);
            } else {
                scrollY_ = 0;
            }
        } else {
            contentHeight_ = LayoutSequence(flow, area, vertical, 0);
        }
    } else {
        LayoutStack(flow, ContentArea());
    }
}

int SkinWidget::LayoutSequence(const std::vector<SkinWidget*>& children, const QRect& area,
                               bool vertical, int scroll) {
    const SkinContext& c = context_;
    const int along = vertical ? area.height() : area.width();
    const int cross = vertical ? area.width() : area.height();
    const int gap = c.Px(hints_.childPadding);
    int fixedTotal = 0;
    int flexible = 0;
    for (SkinWidget* kid : children) {
        const Quad& p = kid->hints_.padding;
        fixedTotal += vertical ? c.Px(p.top) + c.Px(p.bottom) : c.Px(p.left) + c.Px(p.right);
        const int size = vertical ? kid->FixedHeight() : kid->FixedWidth();
        if (size > 0) fixedTotal += size;
        else ++flexible;
    }
    if (!children.empty()) fixedTotal += gap * static_cast<int>(children.size() - 1);
    const int free = along - fixedTotal;
    int share = flexible > 0 ? std::max(0, free / flexible) : 0;
    int remainder = flexible > 0 ? std::max(0, free - share * flexible) : 0;
    int pos = 0;
    if (flexible == 0 && free > 0) {
        const bool centre = vertical ? hints_.childVAlign == VAlign::Center : hints_.childAlign == HAlign::Center;
        const bool end = vertical ? hints_.childVAlign == VAlign::Bottom : hints_.childAlign == HAlign::Right;
        pos = centre ? free / 2 : (end ? free : 0);
    }
    pos -= scroll;
    int contentLength = 0;
    for (SkinWidget* kid : children) {
        const Quad& p = kid->hints_.padding;
        const int before = vertical ? c.Px(p.top) : c.Px(p.left);
        const int after = vertical ? c.Px(p.bottom) : c.Px(p.right);
        const int crossBefore = vertical ? c.Px(p.left) : c.Px(p.top);
        const int crossAfter = vertical ? c.Px(p.right) : c.Px(p.bottom);
        int length = vertical ? kid->FixedHeight() : kid->FixedWidth();
        if (length <= 0) {
            length = share;
            if (remainder > 0) {  // the first flexible children take the odd pixels
                ++length;
                --remainder;
            }
            const int minL = c.Px(vertical ? kid->hints_.minHeight : kid->hints_.minWidth);
            const int maxRaw = vertical ? kid->hints_.maxHeight : kid->hints_.maxWidth;
            const int maxL = maxRaw == INT_MAX ? INT_MAX : c.Px(maxRaw);
            length = std::clamp(length, minL, std::max(minL, maxL));
        }
        const int crossAvail = std::max(0, cross - crossBefore - crossAfter);
        int crossLength = vertical ? kid->FixedWidth() : kid->FixedHeight();
        int crossPos = crossBefore;
        if (crossLength > 0) {
            const int slack = crossAvail - crossLength;
            const bool centre = vertical ? hints_.childAlign == HAlign::Center : hints_.childVAlign == VAlign::Center;
            const bool end = vertical ? hints_.childAlign == HAlign::Right : hints_.childVAlign == VAlign::Bottom;
            if (slack > 0) crossPos += centre ? slack / 2 : (end ? slack : 0);
        } else {
            crossLength = crossAvail;
        }
        pos += before;
        const QRect r = vertical ? QRect(area.left() + crossPos, area.top() + pos, crossLength, length)
                                 : QRect(area.left() + pos, area.top() + crossPos, length, crossLength);
        kid->setGeometry(r);
        kid->LayoutContent();
        pos += length + after + gap;
        contentLength = pos + scroll - gap;
    }
    return std::max(0, contentLength);
}

void SkinWidget::LayoutStack(const std::vector<SkinWidget*>& children, const QRect& area) {
    for (SkinWidget* kid : children) {
        QRect r = Shrink(area, kid->hints_.padding, context_);
        const int w = kid->FixedWidth();
        const int h = kid->FixedHeight();
        if (w > 0) {
            const int slack = r.width() - w;
            if (slack > 0 && hints_.childAlign == HAlign::Center) r.moveLeft(r.left() + slack / 2);
            if (slack > 0 && hints_.childAlign == HAlign::Right) r.moveLeft(r.left() + slack);
            r.setWidth(w);
        }
        if (h > 0) {
            const int slack = r.height() - h;
            if (slack > 0 && hints_.childVAlign == VAlign::Center) r.moveTop(r.top() + slack / 2);
            if (slack > 0 && hints_.childVAlign == VAlign::Bottom) r.moveTop(r.top() + slack);
            r.setHeight(h);
        }
        kid->setGeometry(r);
        kid->LayoutContent();
    }
}

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

void SkinWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const bool ownDisabledLook = ColourAttr("disabledbkcolor") || ImageAttr("disabledimage") ||
                                 ColourAttr("disabledtextcolor");
    if (!isEnabled() && !ownDisabledLook) painter.setOpacity(look::kDisabledOpacity);
    Paint(painter);
    if (keyboardFocus_ && hasFocus()) {
        // Where the keyboard is: a ring in the accent colour inside the control's edge.
        painter.setOpacity(1.0);
        const qreal width = std::max(1, context_.Px(look::kFocusRing));
        painter.setPen(QPen(ToQColor(look::kAccentHover), width));
        painter.setBrush(Qt::NoBrush);
        const qreal radius = context_.Px(std::max(borderRound_.left, borderRound_.top)) / 2.0;
        painter.drawRoundedRect(QRectF(rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2), radius, radius);
    }
}

void SkinWidget::focusInEvent(QFocusEvent* event) {
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
    QWidget::focusInEvent(event);
}

void SkinWidget::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    update();
    QWidget::focusOutEvent(event);
}

void SkinWidget::keyPressEvent(QKeyEvent* event) {
    // Enter presses a focused button as a click would (the space bar is kept from doing so).
    if (IsClickable() && isEnabled() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        OnClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinWidget::Paint(QPainter& painter) {
    const QRect r = rect();
    PaintBackground(painter, r);
    PaintStateImage(painter, r);
    PaintOverlay(painter, r);
    PaintText(painter, r);
    PaintBorder(painter, r);
    if (hints_.vscroll) PaintScrollBar(painter, ContentArea(), contentHeight_);
}

void SkinWidget::PaintBackground(QPainter& painter, const QRect& rect) {
    std::optional<ui::Colour> colour;
    if (!isEnabled()) colour = ColourAttr("disabledbkcolor");
    if (!colour && pressed_) colour = ColourAttr("pushedbkcolor");
    if (!colour && IsSelectedState() && hot_) colour = ColourAttr("selectedhotbkcolor");
    if (!colour && IsSelectedState()) colour = ColourAttr("selectedbkcolor");
    if (!colour && hot_) colour = ColourAttr("hotbkcolor");
    // A fully transparent state colour keeps the normal one (a colour swatch stays its colour
    // under the pointer).
    if (colour && (*colour >> 24) == 0) colour.reset();
    std::optional<ui::Colour> colour2;
    if (!colour) {
        colour = ColourAttr("bkcolor");
        colour2 = ColourAttr("bkcolor2");
    }
    if (colour && ((*colour >> 24) != 0 || colour2)) {
        QBrush brush(ToQColor(*colour));
        if (colour2) {
            QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
            gradient.setColorAt(0, ToQColor(*colour));
            gradient.setColorAt(1, ToQColor(*colour2));
            brush = QBrush(gradient);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(brush);
        if (borderRound_.left > 0 || borderRound_.top > 0) {
            painter.drawRoundedRect(rect, context_.Px(borderRound_.left) / 2.0,
                                    context_.Px(borderRound_.top) / 2.0);
        } else {
            painter.drawRect(rect);
        }
    }
    if (bkImage_) PaintImage(painter, *bkImage_, rect);
}

void SkinWidget::PaintStateImage(QPainter& painter, const QRect& rect) {
    const ImageSpec* image = nullptr;
    if (!isEnabled()) image = ImageAttr("disabledimage");
    if (!image && IsSelectedState()) {
        if (hot_) image = ImageAttr("selectedhotimage");
        if (!image) image = ImageAttr("selectedimage");
    }
    if (!image && pressed_) image = ImageAttr("pushedimage");
    if (!image && (hot_ || pressed_)) image = ImageAttr("hotimage");
    if (!image) image = ImageAttr("normalimage");
    if (image) PaintImage(painter, *image, rect);
    if (const ImageSpec* fore = ImageAttr("foreimage")) PaintImage(painter, *fore, rect);
}

void SkinWidget::PaintImage(QPainter& painter, const ImageSpec& image, const QRect& rect) {
    const QPixmap* pixmap = context_.Image(image.file, devicePixelRatioF());
    if (!pixmap) return;
    const qreal ratio = pixmap->devicePixelRatio();
    QRect source(QPoint(0, 0), pixmap->size());
    if (image.source) {
        const Quad& s = *image.source;
        source = QRect(QPoint(qRound(s.left * ratio), qRound(s.top * ratio)),
                       QPoint(qRound(s.right * ratio) - 1, qRound(s.bottom * ratio) - 1));
    }
    QRect dest = rect;
    if (image.dest) {
        const Quad& d = *image.dest;
        dest = QRect(rect.left() + context_.Px(d.left), rect.top() + context_.Px(d.top),
                     context_.Px(d.right - d.left), context_.Px(d.bottom - d.top));
    }
    const qreal oldOpacity = painter.opacity();
    painter.setOpacity(oldOpacity * image.fade / 255.0);
    const Quad& k = image.corner;
    if (k.left || k.top || k.right || k.bottom) {
        const QPixmap part = pixmap->copy(source);
        const QMargins sourceMargins(qRound(k.left * ratio), qRound(k.top * ratio),
                                     qRound(k.right * ratio), qRound(k.bottom * ratio));
        const QMargins targetMargins(context_.Px(k.left), context_.Px(k.top), context_.Px(k.right),
                                     context_.Px(k.bottom));
        QPixmap unscaled = part;
        unscaled.setDevicePixelRatio(1.0);
        qDrawBorderPixmap(&painter, dest, targetMargins, unscaled, unscaled.rect(), sourceMargins);
    } else {
        // Drawn pixel for pixel: an image scaled while painting is filtered again on every
        // repaint; scaled once, a repaint only copies rows.
        const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QSize device = (QSizeF(dest.size()) * devicePixelRatioF()).toSize();
        if (device == source.size()) {
            painter.drawPixmap(dest, *pixmap, source);
        } else if (const QPixmap* scaled = context_.ScaledImage(image.file, devicePixelRatioF(), source, device)) {
            painter.drawPixmap(dest.topLeft(), *scaled);
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    }
    painter.setOpacity(oldOpacity);
}

QColor SkinWidget::CurrentTextColour() const {
    std::optional<ui::Colour> colour;
    if (!isEnabled()) colour = ColourAttr("disabledtextcolor");
    if (!colour && IsSelectedState()) colour = ColourAttr("selectedtextcolor");
    if (!colour && pressed_) colour = ColourAttr("pushedtextcolor");
    if (!colour && hot_) colour = ColourAttr("hottextcolor");
    if (!colour) colour = ColourAttr("textcolor");
    return ToQColor(colour ? *colour : look::kText);
}

std::vector<std::string> SkinWidget::ShownTexts() const {
    std::string text = DisplayedText();
    if (text.empty()) return {};
    return {std::move(text)};
}

QRect SkinWidget::TextRect(const QRect& rect) const { return Shrink(rect, textPadding_, context_); }

int SkinWidget::TextAlignment() const {
    int flags = 0;
    flags |= align_ == HAlign::Left ? Qt::AlignLeft : (align_ == HAlign::Center ? Qt::AlignHCenter : Qt::AlignRight);
    flags |= valign_ == VAlign::Top ? Qt::AlignTop : (valign_ == VAlign::Center ? Qt::AlignVCenter : Qt::AlignBottom);
    return flags;
}

void SkinWidget::PaintText(QPainter& painter, const QRect& rect) {
    const std::string text = DisplayedText();
    if (text.empty()) return;
    int flags = TextAlignment();
    if (wordWrap_) flags |= Qt::TextWordWrap;
    painter.setFont(ControlFont());
    painter.setPen(CurrentTextColour());
    painter.drawText(TextRect(rect), flags, ToQString(text));
}

void SkinWidget::PaintBorder(QPainter& painter, const QRect& rect) {
    if (borderSize_ <= 0) return;
    std::optional<ui::Colour> colour;
    if (hasFocus()) colour = ColourAttr("focusbordercolor");
    if (!colour && hot_) colour = ColourAttr("hotbordercolor");
    if (!colour) colour = ColourAttr("bordercolor");
    if (!colour) return;
    const qreal width = std::max(1, context_.Px(borderSize_));
    painter.setPen(QPen(ToQColor(*colour), width));
    painter.setBrush(Qt::NoBrush);
    const QRectF r = QRectF(rect).adjusted(width / 2, width / 2, -width / 2, -width / 2);
    if (borderRound_.left > 0 || borderRound_.top > 0) {
        painter.drawRoundedRect(r, context_.Px(borderRound_.left) / 2.0, context_.Px(borderRound_.top) / 2.0);
    } else {
        painter.drawRect(r);
    }
}

void SkinWidget::PaintOverlay(QPainter& painter, const QRect& rect) {
    if (!overlayEnabled_ || overlayAlpha_ == 0 || rect.isEmpty()) return;
    if (!glow_) glow_ = std::make_unique<OverlayGlow>();
    const qreal radius = borderRound_.left > 0 ? context_.Px(borderRound_.left) / 2.0 : context_.Px(4);
    painter.drawImage(rect.topLeft(), glow_->Image(rect.size(), devicePixelRatioF(), radius,
                                                   std::max(1, context_.Px(1)), overlayColour_, overlayAlpha_));
}

void SkinWidget::PaintScrollBar(QPainter& painter, const QRect& viewport, int contentHeight) {
    if (contentHeight <= viewport.height() || viewport.height() <= 0) return;
    const int barWidth = context_.Px(look::kScrollBarWidth);
    const int track = viewport.height();
    const int thumb = std::max(context_.Px(16), track * track / contentHeight);
    const int range = std::max(1, contentHeight - track);
    const int top = viewport.top() + (track - thumb) * scrollY_ / range;
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(look::kBorder));
    painter.drawRoundedRect(QRect(viewport.right() + 1, top, barWidth - 1, thumb), barWidth / 2.0, barWidth / 2.0);
}

void SkinWidget::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    if (!name_.empty()) context_.Notify("msenter", this);
    QWidget::enterEvent(event);
}

void SkinWidget::leaveEvent(QEvent* event) {
    hot_ = false;
    pressed_ = false;
    update();
    if (!name_.empty()) context_.Notify("msleave", this);
    QWidget::leaveEvent(event);
}

void SkinWidget::mousePressEvent(QMouseEvent* event) {
    if (!IsClickable() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    update();
    event->accept();
}

void SkinWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!IsClickable() || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool wasPressed = pressed_;
    pressed_ = false;
    update();
    event->accept();
    if (wasPressed && rect().contains(event->position().toPoint())) OnClicked();
}

void SkinWidget::resizeEvent(QResizeEvent* event) { QWidget::resizeEvent(event); }

void SkinWidget::wheelEvent(QWheelEvent* event) {
    if (hints_.vscroll && contentHeight_ > ContentArea().height()) {
        const int step = context_.Px(look::kDefaultItemHeight) * 2;
        SetScrollOffset(scrollY_ - event->angleDelta().y() / 120 * step);
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

void CollectControls(const SkinWidget* root, std::vector<SkinWidget*>& out) {
    if (!root) return;
    out.push_back(const_cast<SkinWidget*>(root));
    for (SkinWidget* kid : root->Kids()) CollectControls(kid, out);
}

}  // namespace corvane::widgets
