#include "widgets/edit_widget.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace corvane::widgets {

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
    // A field that shows a language id follows the language.
    if (IsResourceText()) edit_->setText(ToQString(SkinWidget::DisplayedText()));
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

}  // namespace corvane::widgets
