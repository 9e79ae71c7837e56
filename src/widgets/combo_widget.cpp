#include "widgets/combo_widget.h"

#include <QPointer>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

namespace corvane::widgets {
namespace {

constexpr int kComboArrowWidth = 20;

}  // namespace

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

QRect ComboWidget::TextArea() const {
    // The text padding counts towards the indent and the arrow's room; only what it lacks is added.
    const QRect r = rect();
    const QRect padded = TextRect(r);
    const int indent = std::max(0, Context().Px(look::kRowTextIndent) - (padded.left() - r.left()));
    const int arrow = std::max(0, Context().Px(kComboArrowWidth) - (r.right() - padded.right()));
    return padded.adjusted(indent, 0, -arrow, 0);
}

std::vector<std::string> ComboWidget::ShownTexts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < Count(); ++i) texts.push_back(ItemAt(i)->DisplayedText());
    return texts;
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
        const QRect textArea = TextArea();
        painter.setFont(ControlFont());
        painter.setPen(CurrentTextColour());
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, ToQString(ItemAt(sel)->DisplayedText()));
    }
    PaintOverlay(painter, r);
    PaintBorder(painter, r);
}

}  // namespace corvane::widgets
