#include "shell/skin_controls.h"

#include <QKeyEvent>
#include <QPointer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpressionValidator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "ui/window.h"

namespace corvane::shell {
namespace {

// A check box without images draws its own box this wide, text to the right of it.
constexpr int kCheckBoxSize = 16;
constexpr int kCheckBoxTextGap = 8;
constexpr int kSliderTrack = 4;
constexpr int kPaletteGap = 6;
constexpr int kComboArrowWidth = 20;
constexpr int kDefaultHeaderHeight = 24;
constexpr int kRowTextIndent = 8;
// Alternate rows are lightened by this much (out of 255) when the list asks for it.
constexpr int kAltRowLift = 8;
constexpr ui::Colour kDefaultSelectedRow = 0x660199CBu;

QColor Lift(QColor c, int amount) {
    return QColor(std::min(255, c.red() + amount), std::min(255, c.green() + amount),
                  std::min(255, c.blue() + amount), c.alpha());
}

}  // namespace

// ---------------------------------------------------------------- Option / CheckBox

OptionWidget::OptionWidget(ui::ControlKind kind, SkinContext& context) : SkinWidget(kind, context) {}

OptionWidget::~OptionWidget() {
    if (!group_.empty()) Context().LeaveGroup(group_, this);
}

void OptionWidget::SetSelected(bool selected, bool notify) {
    if (selected == selected_) return;
    selected_ = selected;
    if (selected_ && !group_.empty()) {
        for (ui::Option* other : Context().GroupMembers(group_)) {
            if (other != this) other->SetSelected(false, false);
        }
    }
    update();
    if (notify) Context().Notify("selectchanged", this);
}

bool OptionWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "group") {
        if (!group_.empty()) Context().LeaveGroup(group_, this);
        group_ = std::string(value);
        if (!group_.empty()) Context().JoinGroup(group_, this);
        if (selected_) {  // "selected" may come before "group" in the element
            selected_ = false;
            SetSelected(true, false);
        }
        return true;
    }
    if (name == "selected" || name == "checked") {
        auto b = ParseBool(value);
        if (b) SetSelected(*b, false);
        return b.has_value();
    }
    return SkinWidget::ApplyAttribute(name, value);
}

void OptionWidget::OnClicked() {
    QPointer<OptionWidget> self(this);
    Context().Notify("click", this);
    if (!self) return;
    if (!group_.empty()) SetSelected(true, true);
    else SetSelected(!selected_, true);
}

void OptionWidget::Paint(QPainter& painter) {
    SkinWidget::Paint(painter);
    const bool hasImages = ImageAttr("normalimage") || ImageAttr("selectedimage");
    if (hasImages) return;
    const SkinContext& c = Context();
    if (Kind() == ui::ControlKind::CheckBox) {
        const int size = c.Px(kCheckBoxSize);
        const QRectF box(c.Px(1), (height() - size) / 2.0, size, size);
        painter.setPen(QPen(ToQColor(selected_ ? look::kAccent : look::kBorder), std::max(1, c.Px(1))));
        painter.setBrush(selected_ ? ToQColor(look::kAccent) : ToQColor(look::kRaised));
        painter.drawRoundedRect(box, c.Px(3), c.Px(3));
        if (selected_) {
            QPainterPath tick;
            tick.moveTo(box.left() + size * 0.22, box.top() + size * 0.52);
            tick.lineTo(box.left() + size * 0.43, box.top() + size * 0.72);
            tick.lineTo(box.left() + size * 0.78, box.top() + size * 0.30);
            painter.setPen(QPen(ToQColor(look::kText), std::max(1.5, c.Px(2) * 1.0)));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        }
    } else if (selected_ && !ColourAttr("selectedbkcolor")) {
        // Tab-like options without a look of their own mark the selection with an accent bar.
        const int bar = std::max(2, c.Px(2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(look::kAccent));
        painter.drawRect(QRect(0, height() - bar, width(), bar));
    }
}

// ---------------------------------------------------------------- TabLayout

TabWidget::TabWidget(SkinContext& context) : SkinWidget(ui::ControlKind::TabLayout, context) {}

bool TabWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "selectedid") {
        auto v = ParseInt(value);
        if (v) current_ = *v;
        return v.has_value();
    }
    return SkinWidget::ApplyAttribute(name, value);
}

bool TabWidget::SelectPage(int index) {
    if (index < 0 || index >= ChildCount()) return false;
    current_ = index;
    ShowCurrent();
    LayoutContent();
    update();
    return true;
}

void TabWidget::FinishBuild() {
    if (current_ < 0 || current_ >= ChildCount()) current_ = 0;
    ShowCurrent();
}

void TabWidget::ShowCurrent() {
    for (int i = 0; i < ChildCount(); ++i) {
        Kids()[static_cast<std::size_t>(i)]->setVisible(i == current_);
    }
}

// ---------------------------------------------------------------- Slider / Progress / CircleProgress

RangeWidget::RangeWidget(ui::ControlKind kind, SkinContext& context) : SkinWidget(kind, context) {
    if (IsSlider()) setFocusPolicy(Qt::ClickFocus);
}

void RangeWidget::SetMin(int value) {
    min_ = value;
    if (max_ < min_) max_ = min_;
    value_ = std::clamp(value_, min_, max_);
    update();
}

void RangeWidget::SetMax(int value) {
    max_ = value;
    if (min_ > max_) min_ = max_;
    value_ = std::clamp(value_, min_, max_);
    update();
}

void RangeWidget::SetValue(int value) {
    value_ = std::clamp(value, min_, max_);
    update();
}

bool RangeWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    auto number = [&](auto&& apply) {
        auto v = ParseInt(value);
        if (v) apply(*v);
        return v.has_value();
    };
    if (name == "min") return number([&](int v) { SetMin(v); });
    if (name == "max") return number([&](int v) { SetMax(v); });
    if (name == "value") return number([&](int v) { SetValue(v); });
    if (name == "step") return number([&](int v) { step_ = std::max(1, v); });
    if (name == "thickness") return number([&](int v) { thickness_ = std::max(1, v); });
    if (name == "hor") {
        auto b = ParseBool(value);
        if (b) horizontal_ = *b;
        return b.has_value();
    }
    if (name == "thumbsize") {
        auto pair = ParsePair(value);
        if (pair) {
            thumbWidth_ = pair->first;
            thumbHeight_ = pair->second;
        }
        return pair.has_value();
    }
    if (name == "sendmove" || name == "showtext") return ParseBool(value).has_value();
    return SkinWidget::ApplyAttribute(name, value);
}

double RangeWidget::Fraction() const {
    if (max_ <= min_) return 0;
    return static_cast<double>(value_ - min_) / (max_ - min_);
}

QRect RangeWidget::ThumbRect() const {
    const SkinContext& c = Context();
    const int tw = c.Px(thumbWidth_);
    const int th = c.Px(thumbHeight_);
    if (horizontal_) {
        const int x = static_cast<int>(std::lround((width() - tw) * Fraction()));
        return QRect(x, (height() - th) / 2, tw, th);
    }
    const int y = static_cast<int>(std::lround((height() - th) * (1.0 - Fraction())));
    return QRect((width() - tw) / 2, y, tw, th);
}

int RangeWidget::ValueAt(const QPoint& point) const {
    const QRect thumb = ThumbRect();
    double fraction = 0;
    if (horizontal_) {
        const int span = width() - thumb.width();
        fraction = span > 0 ? (point.x() - grabOffset_ - thumb.width() / 2.0) / span : 0;
    } else {
        const int span = height() - thumb.height();
        fraction = span > 0 ? 1.0 - (point.y() - grabOffset_ - thumb.height() / 2.0) / span : 0;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    const double raw = min_ + fraction * (max_ - min_);
    const int steps = static_cast<int>(std::lround((raw - min_) / step_));
    return std::clamp(min_ + steps * step_, min_, max_);
}

bool RangeWidget::UserSetValue(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return false;
    value_ = value;
    update();
    return true;
}

void RangeWidget::mousePressEvent(QMouseEvent* event) {
    if (!IsSlider() || event->button() != Qt::LeftButton) {
        SkinWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    const QRect thumb = ThumbRect();
    grabOffset_ = 0;
    if (thumb.contains(p)) {
        grabOffset_ = horizontal_ ? p.x() - thumb.center().x() : p.y() - thumb.center().y();
    }
    dragging_ = true;
    if (UserSetValue(ValueAt(p))) Context().Notify("movevaluechanged", this, value_);
}

void RangeWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        SkinWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    if (UserSetValue(ValueAt(event->position().toPoint()))) {
        Context().Notify("movevaluechanged", this, value_);
    }
}

void RangeWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        SkinWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    dragging_ = false;
    UserSetValue(ValueAt(event->position().toPoint()));
    Context().Notify("valuechanged", this, value_);
}

void RangeWidget::keyPressEvent(QKeyEvent* event) {
    if (!IsSlider()) {
        SkinWidget::keyPressEvent(event);
        return;
    }
    int delta = 0;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down: delta = -step_; break;
        case Qt::Key_Right:
        case Qt::Key_Up: delta = step_; break;
        default: SkinWidget::keyPressEvent(event); return;
    }
    event->accept();
    if (UserSetValue(value_ + delta)) Context().Notify("valuechanged", this, value_);
}

void RangeWidget::Paint(QPainter& painter) {
    if (Kind() == ui::ControlKind::CircleProgress) PaintRing(painter);
    else PaintLinear(painter);
}

void RangeWidget::PaintLinear(QPainter& painter) {
    const SkinContext& c = Context();
    const bool customTrack = !BkImage().empty() || ImageAttr("normalimage") || !IsSlider();
    QRect track = rect();
    if (customTrack) {
        PaintBackground(painter, rect());
        PaintStateImage(painter, rect());
    } else {
        const int t = c.Px(kSliderTrack);
        track = horizontal_ ? QRect(0, (height() - t) / 2, width(), t) : QRect((width() - t) / 2, 0, t, height());
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(ColourAttr("bkcolor").value_or(look::kBorder)));
        painter.drawRoundedRect(track, t / 2.0, t / 2.0);
    }
    // The filled part.
    QRect filled = track;
    if (horizontal_) {
        filled.setWidth(static_cast<int>(std::lround(track.width() * Fraction())));
    } else {
        const int h = static_cast<int>(std::lround(track.height() * Fraction()));
        filled = QRect(track.left(), track.bottom() + 1 - h, track.width(), h);
    }
    if (const ImageSpec* fore = ImageAttr("foreimage")) {
        painter.save();
        painter.setClipRect(filled);
        PaintImage(painter, *fore, track);
        painter.restore();
    } else if (filled.width() > 0 && filled.height() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(ColourAttr("forecolor").value_or(look::kAccent)));
        if (customTrack) painter.drawRect(filled);
        else painter.drawRoundedRect(filled, track.height() / 2.0, track.height() / 2.0);
    }
    if (IsSlider()) {
        const QRect thumb = ThumbRect();
        const ImageSpec* image = nullptr;
        if (dragging_) image = ImageAttr("thumbpushedimage");
        if (!image && IsHot()) image = ImageAttr("thumbhotimage");
        if (!image) image = ImageAttr("thumbimage");
        if (image) {
            PaintImage(painter, *image, thumb);
        } else {
            painter.setPen(QPen(ToQColor(look::kAccent), std::max(1, c.Px(2))));
            painter.setBrush(ToQColor(IsHot() || dragging_ ? look::kText : look::kRaised));
            painter.drawEllipse(QRectF(thumb).adjusted(1, 1, -1, -1));
        }
    }
    PaintOverlay(painter, rect());
    PaintText(painter, rect());
    PaintBorder(painter, rect());
}

void RangeWidget::PaintRing(QPainter& painter) {
    // Background pie, the value's pie clockwise from the bottom, then the centre disc that
    // leaves a ring of the given thickness. The value is taken against the span max - min as
    // the ring always did; an empty span draws no value.
    const QRect r = rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(ColourAttr("bkcolor").value_or(look::kRaised)));
    painter.drawEllipse(r);
    const int span = max_ - min_;
    int sweep = span > 0 ? static_cast<int>(static_cast<long long>(value_) * 360 / span) : 0;
    sweep = std::clamp(sweep, 0, 360);
    if (sweep > 0) {
        painter.setBrush(ToQColor(ColourAttr("forecolor").value_or(look::kAccent)));
        constexpr int kQtAngleUnit = 16;  // QPainter angles are in 1/16 degree, counter-clockwise
        painter.drawPie(r, -90 * kQtAngleUnit, -sweep * kQtAngleUnit);
    }
    const int inset = Context().Px(thickness_);
    painter.setBrush(ToQColor(ColourAttr("centercolor").value_or(0xFFFFFFFFu)));
    painter.drawEllipse(r.adjusted(inset, inset, -inset, -inset));
    PaintText(painter, r);
}

// ---------------------------------------------------------------- ColorPalette

PaletteWidget::PaletteWidget(SkinContext& context) : SkinWidget(ui::ControlKind::ColorPalette, context) {
    SetSelectedColour(look::kAccent);
}

void PaletteWidget::SetSelectedColour(ui::Colour colour) {
    const QColor c = ToQColor(colour | 0xFF000000u);
    const double h = c.hsvHueF();
    if (h >= 0) hue_ = h;  // greys keep the hue they had
    saturation_ = c.hsvSaturationF();
    brightness_ = c.valueF();
    update();
}

ui::Colour PaletteWidget::SelectedColour() const {
    const QColor c = QColor::fromHsvF(static_cast<float>(std::clamp(hue_, 0.0, 1.0)),
                                      static_cast<float>(saturation_), static_cast<float>(brightness_));
    return 0xFF000000u | (static_cast<ui::Colour>(c.red()) << 16) |
           (static_cast<ui::Colour>(c.green()) << 8) | static_cast<ui::Colour>(c.blue());
}

bool PaletteWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "palletheight" || name == "barheight") {
        auto v = ParseInt(value);
        if (v) (name == "palletheight" ? palletHeight_ : barHeight_) = std::max(0, *v);
        return v.has_value();
    }
    return SkinWidget::ApplyAttribute(name, value);
}

QRect PaletteWidget::SquareRect() const {
    const SkinContext& c = Context();
    int h = palletHeight_ > 0 ? c.Px(palletHeight_) : height() - c.Px(barHeight_) - c.Px(kPaletteGap);
    h = std::clamp(h, 0, height());
    return QRect(0, 0, width(), h);
}

QRect PaletteWidget::BarRect() const {
    const SkinContext& c = Context();
    const QRect square = SquareRect();
    const int top = square.bottom() + 1 + c.Px(kPaletteGap);
    return QRect(0, top, width(), std::max(0, std::min(c.Px(barHeight_), height() - top)));
}

void PaletteWidget::Paint(QPainter& painter) {
    const QRect square = SquareRect();
    const QRect bar = BarRect();
    painter.setPen(Qt::NoPen);
    if (square.height() > 0) {
        QLinearGradient hues(square.topLeft(), square.topRight());
        constexpr int kHueStops = 6;
        for (int i = 0; i <= kHueStops; ++i) {
            hues.setColorAt(static_cast<double>(i) / kHueStops,
                            QColor::fromHsvF(static_cast<float>(i % kHueStops) / kHueStops, 1.0f, 1.0f));
        }
        painter.fillRect(square, hues);
        QLinearGradient whiten(square.topLeft(), square.bottomLeft());
        whiten.setColorAt(0, QColor(255, 255, 255, 0));
        whiten.setColorAt(1, QColor(255, 255, 255, 255));
        painter.fillRect(square, whiten);
        painter.fillRect(square, QColor(0, 0, 0, static_cast<int>(std::lround((1.0 - brightness_) * 255))));
        const QPointF mark(square.left() + hue_ * square.width(), square.top() + (1.0 - saturation_) * square.height());
        const double radius = Context().Px(5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, std::max(1, Context().Px(2))));
        painter.drawEllipse(mark, radius, radius);
    }
    if (bar.height() > 0) {
        QLinearGradient shades(bar.topLeft(), bar.topRight());
        shades.setColorAt(0, Qt::black);
        shades.setColorAt(1, QColor::fromHsvF(static_cast<float>(hue_), static_cast<float>(saturation_), 1.0f));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shades);
        painter.drawRoundedRect(bar, bar.height() / 2.0, bar.height() / 2.0);
        const double x = bar.left() + brightness_ * bar.width();
        const QRectF thumb(x - bar.height() / 2.0, bar.top(), bar.height(), bar.height());
        if (const ImageSpec* image = ImageAttr("thumbimage")) {
            PaintImage(painter, *image, thumb.toRect());
        } else {
            painter.setBrush(ToQColor(look::kText));
            painter.setPen(QPen(ToQColor(look::kAccent), std::max(1, Context().Px(2))));
            painter.drawEllipse(thumb.adjusted(1, 1, -1, -1));
        }
    }
    PaintBorder(painter, rect());
}

void PaletteWidget::PickAt(const QPoint& point) {
    if (dragging_ == Area::Square) {
        const QRect s = SquareRect();
        hue_ = std::clamp(static_cast<double>(point.x() - s.left()) / std::max(1, s.width()), 0.0, 1.0);
        saturation_ = 1.0 - std::clamp(static_cast<double>(point.y() - s.top()) / std::max(1, s.height()), 0.0, 1.0);
    } else if (dragging_ == Area::Bar) {
        const QRect b = BarRect();
        brightness_ = std::clamp(static_cast<double>(point.x() - b.left()) / std::max(1, b.width()), 0.0, 1.0);
    }
    update();
}

void PaletteWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        SkinWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (SquareRect().contains(p)) dragging_ = Area::Square;
    else if (BarRect().adjusted(0, -Context().Px(kPaletteGap) / 2, 0, Context().Px(kPaletteGap) / 2).contains(p))
        dragging_ = Area::Bar;
    else dragging_ = Area::None;
    event->accept();
    PickAt(p);
}

void PaletteWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ == Area::None) {
        SkinWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    PickAt(event->position().toPoint());
}

void PaletteWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ == Area::None || event->button() != Qt::LeftButton) {
        SkinWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    PickAt(event->position().toPoint());
    dragging_ = Area::None;
    // One notification per pick: listeners save and send the colour each time.
    Context().Notify("colorchanged", this, SelectedColour());
}

// ---------------------------------------------------------------- Edit

EditWidget::EditWidget(SkinContext& context)
    : SkinWidget(ui::ControlKind::Edit, context), edit_(new QLineEdit(this)) {
    edit_->setFrame(false);
    // Only a click or the program focuses an edit; a window never opens with a caret blinking.
    edit_->setFocusPolicy(Qt::ClickFocus);
    edit_->installEventFilter(this);
    QObject::connect(edit_, &QLineEdit::textEdited, this, [this] { Context().Notify("textchanged", this); });
    QObject::connect(edit_, &QLineEdit::returnPressed, this, [this] { Context().Notify("return", this); });
    setFocusProxy(edit_);
    RefreshStyle();
}

void EditWidget::SetText(std::string_view text) {
    SkinWidget::SetText(text);
    const std::string shown = SkinWidget::DisplayedText();
    edit_->setText(ToQString(shown));
}

std::string EditWidget::Text() const { return ToStdString(edit_->text()); }

void EditWidget::SetFocus() { edit_->setFocus(Qt::OtherFocusReason); }

bool EditWidget::HasFocus() const { return edit_->hasFocus(); }

void EditWidget::SetSelection(int start, int end) {
    const int length = static_cast<int>(edit_->text().size());
    start = std::clamp(start, 0, length);
    end = end < 0 ? length : std::clamp(end, start, length);
    edit_->setSelection(start, end - start);
}

std::string EditWidget::SelectedText() const { return ToStdString(edit_->selectedText()); }

void EditWidget::SetCaret(int position) {
    edit_->setCursorPosition(std::clamp(position, 0, static_cast<int>(edit_->text().size())));
}

int EditWidget::Caret() const { return edit_->cursorPosition(); }

void EditWidget::SetReadOnly(bool readOnly) { edit_->setReadOnly(readOnly); }

void EditWidget::SetMaxChars(int count) { edit_->setMaxLength(count > 0 ? count : 32767); }

bool EditWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    auto flag = [&](auto&& apply) {
        auto b = ParseBool(value);
        if (b) apply(*b);
        return b.has_value();
    };
    if (name == "text") {
        const bool ok = SkinWidget::ApplyAttribute(name, value);
        edit_->setText(ToQString(SkinWidget::DisplayedText()));
        return ok;
    }
    if (name == "maxchar") {
        auto v = ParseInt(value);
        if (v) SetMaxChars(*v);
        return v.has_value();
    }
    if (name == "numberonly") {
        return flag([&](bool b) {
            edit_->setValidator(b ? new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit_) : nullptr);
        });
    }
    if (name == "readonly") return flag([&](bool b) { SetReadOnly(b); });
    if (name == "password") {
        return flag([&](bool b) { edit_->setEchoMode(b ? QLineEdit::Password : QLineEdit::Normal); });
    }
    if (name == "tipvalue" || name == "prompttext") {
        edit_->setPlaceholderText(ToQString(value));
        return true;
    }
    if (name == "nativebkcolor") return ParseColour(value).has_value();
    const bool ok = SkinWidget::ApplyAttribute(name, value);
    if (ok && (name == "textcolor" || name == "font" || name == "align")) RefreshStyle();
    return ok;
}

void EditWidget::RefreshStyle() {
    edit_->setFont(ControlFont());
    const QColor text = ToQColor(TextColour());
    edit_->setStyleSheet(QString("QLineEdit { background: transparent; border: none; color: %1; "
                                 "selection-background-color: %2; }")
                             .arg(text.name(QColor::HexArgb), ToQColor(look::kAccent).name()));
    update();
}

void EditWidget::LayoutContent() {
    edit_->setGeometry(TextRect(rect()));
    SkinWidget::LayoutContent();
}

void EditWidget::Paint(QPainter& painter) {
    const QRect r = rect();
    PaintBackground(painter, r);
    PaintStateImage(painter, r);
    PaintOverlay(painter, r);
    PaintBorder(painter, r);
}

bool EditWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::FocusIn) {
            update();
            Context().Notify("setfocus", this);
        } else if (event->type() == QEvent::FocusOut) {
            update();
            Context().Notify("killfocus", this);
        }
    }
    return SkinWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- rows

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
    const QRect textArea = TextRect(r).adjusted(Context().Px(kRowTextIndent), 0, 0, 0);
    painter.setPen(text);
    painter.setFont(font);
    if (Kind() == ui::ControlKind::ListTextElement) {
        const auto columns = owner_ ? owner_->ColumnRects(r) : std::vector<QRect>{r};
        for (std::size_t i = 0; i < columns_.size() && i < columns.size(); ++i) {
            const QRect cell = columns[i].adjusted(Context().Px(kRowTextIndent), 0, 0, 0);
            painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, ToQString(columns_[i]));
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

// ---------------------------------------------------------------- List and Combo rows

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

// ---------------------------------------------------------------- List

ListWidget::ListWidget(SkinContext& context)
    : ItemListWidget(ui::ControlKind::List, context), viewport_(new QWidget(this)) {}

void ListWidget::LayoutContent() {
    const QRect area = ContentArea();
    int top = area.top();
    if (SkinWidget* header = Header()) {
        const bool shown = !HeaderHidden() && !header->isHidden();
        header->setVisible(shown);
        if (shown) {
            const int h = header->FixedHeight() > 0 ? header->FixedHeight() : Context().Px(kDefaultHeaderHeight);
            header->setGeometry(area.left(), top, area.width(), h);
            header->LayoutContent();
            top += h;
        }
    }
    QRect view(area.left(), top, area.width(), std::max(0, area.bottom() + 1 - top));
    rowsHeight_ = LayoutRows(view.width(), 0);
    if (rowsHeight_ > view.height()) view.setWidth(view.width() - Context().Px(look::kScrollBarWidth));
    scroll_ = std::clamp(scroll_, 0, std::max(0, rowsHeight_ - view.height()));
    viewport_->setGeometry(view);
    rowsHeight_ = LayoutRows(view.width(), scroll_);
    for (SkinWidget* kid : Kids()) {
        if (kid != Header() && !dynamic_cast<RowWidget*>(kid) && !kid->isHidden()) {
            if (kid->Hints().floating) PlaceFloating(kid);
        }
    }
}

void ListWidget::RowsChanged() {
    LayoutContent();
    update();
}

void ListWidget::EnsureVisible(RowWidget* row) {
    const int viewHeight = viewport_->height();
    int top = 0;
    for (RowWidget* r : Rows()) {
        if (r == row) break;
        if (!r->isHidden()) top += RowHeight(r);
    }
    const int bottom = top + RowHeight(row);
    if (top < scroll_) scroll_ = top;
    else if (bottom > scroll_ + viewHeight) scroll_ = bottom - viewHeight;
    LayoutContent();
}

void ListWidget::Paint(QPainter& painter) {
    PaintBackground(painter, rect());
    PaintStateImage(painter, rect());
    PaintBorder(painter, rect());
    if (rowsHeight_ > viewport_->height() && viewport_->height() > 0) {
        const QRect view = viewport_->geometry();
        const int barWidth = Context().Px(look::kScrollBarWidth);
        const int track = view.height();
        const int thumb = std::max(Context().Px(16), track * track / rowsHeight_);
        const int range = std::max(1, rowsHeight_ - track);
        const int top = view.top() + (track - thumb) * scroll_ / range;
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(look::kBorder));
        painter.drawRoundedRect(QRect(view.right() + 1, top, barWidth - 1, thumb), barWidth / 2.0, barWidth / 2.0);
    }
}

void ListWidget::wheelEvent(QWheelEvent* event) {
    const int limit = std::max(0, rowsHeight_ - viewport_->height());
    if (limit == 0) {
        SkinWidget::wheelEvent(event);
        return;
    }
    event->accept();
    const int step = Context().Px(look::kDefaultItemHeight) * 2;
    scroll_ = std::clamp(scroll_ - event->angleDelta().y() / 120 * step, 0, limit);
    LayoutContent();
    update();
}

// ---------------------------------------------------------------- Combo

class ComboPopup : public QWidget {
public:
    explicit ComboPopup(ComboWidget* combo) : QWidget(combo, Qt::Popup | Qt::FramelessWindowHint), combo_(combo) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(look::kRaised));
        painter.setPen(ToQColor(look::kBorder));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void wheelEvent(QWheelEvent* event) override {
        event->accept();
        combo_->ScrollPopup(-event->angleDelta().y() / 120);
    }

private:
    ComboWidget* combo_;
};

ComboWidget::ComboWidget(SkinContext& context)
    : ItemListWidget(ui::ControlKind::Combo, context), popup_(new ComboPopup(this)) {
    popup_->hide();
}

QWidget* ComboWidget::RowParent() { return popup_; }

bool ComboWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    if (name == "dropboxsize") {
        auto pair = ParsePair(value);
        if (pair) {
            dropWidth_ = pair->first;
            dropHeight_ = pair->second;
        }
        return pair.has_value();
    }
    if (name == "textpadding" || name == "itemtextcolor") return ItemListWidget::ApplyAttribute(name, value);
    return ItemListWidget::ApplyAttribute(name, value);
}

void ComboWidget::RowsChanged() {
    if (IsPopupOpen()) LayoutPopup();
    update();
}

bool ComboWidget::IsPopupOpen() const { return popup_->isVisible(); }

void ComboWidget::LayoutPopup() {
    const int w = dropWidth_ > 0 ? Context().Px(dropWidth_) : width();
    int total = 0;
    for (RowWidget* row : Rows()) {
        if (!row->isHidden()) total += RowHeight(row);
    }
    const int h = std::max(1, std::min(total, Context().Px(dropHeight_)));
    popupScroll_ = std::clamp(popupScroll_, 0, std::max(0, total - h));
    popup_->resize(w, h);
    LayoutRows(w, popupScroll_);
}

void ComboWidget::ScrollPopup(int rows) {
    popupScroll_ += rows * Context().Px(look::kDefaultItemHeight);
    LayoutPopup();
}

void ComboWidget::OpenPopup() {
    if (Count() == 0) return;
    popupScroll_ = 0;
    LayoutPopup();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
}

void ComboWidget::OnClicked() {
    QPointer<ComboWidget> self(this);
    Context().Notify("click", this);
    if (self) OpenPopup();
}

void ComboWidget::RowPressed(RowWidget* row) {
    const int index = IndexOf(row);
    popup_->hide();
    if (index >= 0) SelectItem(index, true);
}

void ComboWidget::Paint(QPainter& painter) {
    const QRect r = rect();
    const bool ownLook = ImageAttr("normalimage") || ColourAttr("bkcolor") || !BkImage().empty();
    if (ownLook) {
        PaintBackground(painter, r);
        PaintStateImage(painter, r);
    } else {
        painter.setPen(QPen(ToQColor(IsHot() ? look::kAccent : look::kBorder), 1));
        painter.setBrush(ToQColor(look::kRaised));
        painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), Context().Px(6), Context().Px(6));
    }
    const int arrow = Context().Px(kComboArrowWidth);
    if (!ImageAttr("normalimage")) {
        const QPointF c(r.right() - arrow / 2.0, r.center().y() + 0.5);
        const double s = Context().Px(4);
        QPainterPath chevron;
        chevron.moveTo(c.x() - s, c.y() - s / 2);
        chevron.lineTo(c.x(), c.y() + s / 2);
        chevron.lineTo(c.x() + s, c.y() - s / 2);
        painter.setPen(QPen(ToQColor(look::kSecondaryText), std::max(1.5, Context().Px(2) * 0.75)));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(chevron);
    }
    const int sel = CurSel();
    if (sel >= 0) {
        QRect textArea = TextRect(r).adjusted(Context().Px(kRowTextIndent), 0, -arrow, 0);
        painter.setFont(ControlFont());
        painter.setPen(CurrentTextColour());
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, ToQString(ItemAt(sel)->DisplayedText()));
    }
    PaintOverlay(painter, r);
    PaintBorder(painter, r);
}

// ---------------------------------------------------------------- ChartView

ChartWidget::ChartWidget(SkinContext& context) : SkinWidget(ui::ControlKind::ChartView, context) {}

void ChartWidget::SetPoints(std::vector<Point> points) {
    points_ = std::move(points);
    update();
}

bool ChartWidget::ApplyAttribute(const std::string& name, std::string_view value) {
    // Chart styling attributes of other skins are accepted without effect.
    if (name == "view" || name == "shadowimageheight" || name == "pillarimagewidth" || name == "showhtml" ||
        name == "showtext") {
        return true;
    }
    return SkinWidget::ApplyAttribute(name, value);
}

void ChartWidget::Paint(QPainter& painter) {
    const QRect r = rect();
    PaintBackground(painter, r);
    constexpr int kGridLines = 4;
    painter.setPen(QPen(ToQColor(ColourAttr("gridcolor").value_or(look::kBorder)), 1));
    for (int i = 1; i < kGridLines; ++i) {
        const int x = r.left() + r.width() * i / kGridLines;
        const int y = r.top() + r.height() * i / kGridLines;
        painter.drawLine(x, r.top(), x, r.bottom());
        painter.drawLine(r.left(), y, r.right(), y);
    }
    if (points_.size() >= 1) {
        double minX = points_.front().x, maxX = minX, minY = points_.front().y, maxY = minY;
        for (const auto& p : points_) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        const double spanX = maxX > minX ? maxX - minX : 1;
        const double spanY = maxY > minY ? maxY - minY : 1;
        QPolygonF line;
        for (const auto& p : points_) {
            line << QPointF(r.left() + (p.x - minX) / spanX * r.width(),
                            r.bottom() - (p.y - minY) / spanY * r.height());
        }
        painter.setPen(QPen(ToQColor(ColourAttr("forecolor").value_or(look::kAccent)), std::max(1, Context().Px(2))));
        painter.drawPolyline(line);
    }
    PaintBorder(painter, r);
}

}  // namespace corvane::shell
