#include "scripting/control_actions.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include "widgets/skin_controls.h"
#include "widgets/skin_widget.h"

namespace corvane::scripting {
namespace {

using ui::ControlKind;

constexpr ui::Colour kOpaque = 0xFF000000u;

std::string RowJson(const ui::Control& row) {
    JsonObject o;
    o.Str("text", row.DisplayedText()).Str("userdata", row.UserData());
    if (const auto* r = dynamic_cast<const widgets::RowWidget*>(&row); r && !r->Columns().empty()) {
        o.Raw("columns", JsonStringArray(r->Columns()));
    }
    if (row.Kind() == ControlKind::ListContainerElement) {
        std::vector<std::string> labels;
        for (int i = 0; i < row.ChildCount(); ++i) labels.push_back(row.ChildAt(i)->DisplayedText());
        o.Raw("labels", JsonStringArray(labels));
    }
    return o.Done();
}

std::string ControlJson(ui::Control& c, bool shown) {
    JsonObject o;
    o.Str("name", c.Name())
        .Str("kind", ui::KindName(c.Kind()))
        .Str("text", c.DisplayedText())
        .Str("tooltip", c.ToolTip())
        .Bool("visible", c.IsVisible())
        .Bool("shown", shown)
        .Bool("enabled", c.IsEnabled())
        .Str("userdata", c.UserData());
    if (auto* option = dynamic_cast<ui::Option*>(&c)) {
        o.Bool("selected", option->IsSelected()).Str("group", option->Group());
    }
    if (auto* list = dynamic_cast<ui::ItemList*>(&c)) {
        std::vector<std::string> items;
        for (int i = 0; i < list->Count(); ++i) items.push_back(RowJson(*list->ItemAt(i)));
        o.Int("current", list->CurSel()).Raw("items", JsonArray(items));
    }
    if (auto* tab = dynamic_cast<ui::TabLayout*>(&c)) {
        o.Int("page", tab->CurPage()).Int("pages", tab->PageCount());
    }
    if (auto* slider = dynamic_cast<ui::Slider*>(&c)) {
        o.Int("value", slider->Value()).Int("min", slider->Min()).Int("max", slider->Max());
    }
    if (auto* palette = dynamic_cast<ui::ColourPalette*>(&c)) {
        o.Str("colour", HexColour(palette->SelectedColour(), false));
    }
    o.Str("bkcolour", HexColour(c.BkColour(), true));
    o.Raw("overlay", JsonObject()
                         .Bool("enabled", c.IsOverlayEnabled())
                         .Str("colour", HexColour(c.OverlayColour(), false))
                         .Int("alpha", c.OverlayAlpha())
                         .Done());
    return o.Done();
}

QPointF Centre(const QWidget& w) { return QPointF(w.width() / 2.0, w.height() / 2.0); }

void SendMouse(QWidget& w, QEvent::Type type) {
    const QPointF local = Centre(w);
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, local, w.mapToGlobal(local), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

void Press(QWidget& w) { SendMouse(w, QEvent::MouseButtonPress); }

void PressAndRelease(QWidget& w) {
    QPointer<QWidget> guard(&w);
    SendMouse(w, QEvent::MouseButtonPress);
    if (guard) SendMouse(w, QEvent::MouseButtonRelease);
}

bool IsClickable(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::Option || kind == ControlKind::CheckBox ||
           kind == ControlKind::Combo;
}

}  // namespace

ControlActions::ControlActions(ui::Window& window)
    : window_(window), rootWidget_(dynamic_cast<QWidget*>(&window)) {}

void ControlActions::Register(VerbTable& table) {
    table.Add("get", VerbKind::Query, [this](const CommandArgs& a) {
        return a.Count() == 1 ? Get(a[1]) : UsageError("get");
    });
    table.Add("click", VerbKind::Action, [this](const CommandArgs& a) {
        return a.Count() == 1 ? Click(a[1]) : UsageError("click");
    });
    table.Add("select", VerbKind::Action, [this](const CommandArgs& a) {
        if (a.Count() != 2 || (a[2] != "on" && a[2] != "off")) return UsageError("select");
        return Select(a[1], a[2] == "on");
    });
    for (const bool press : {false, true}) {
        const std::string verb = press ? "item-click" : "item";
        table.Add(verb, VerbKind::Action, [this, press, verb](const CommandArgs& a) {
            const auto index = a.Count() == 2 ? ParseNumber(a[2]) : std::nullopt;
            if (!index) return UsageError(verb);
            return Item(a[1], *index, press);
        });
    }
    table.Add("text", VerbKind::Action, [this](const CommandArgs& a) {
        if (a.Count() < 1) return UsageError("text");
        return Text(a[1], a.RestAfter(1));
    });
    table.Add("value", VerbKind::Action, [this](const CommandArgs& a) {
        const auto v = a.Count() >= 2 ? ParseNumber(a[2]) : std::nullopt;
        if (!v || a.Count() > 3 || (a.Count() == 3 && a[3] != "drag")) {
            return UsageError("value");
        }
        return Value(a[1], *v, a.Count() == 3);
    });
    table.Add("color", VerbKind::Action, [this](const CommandArgs& a) {
        const auto rgb = a.Count() == 2 ? ParseRgb(a[2]) : std::nullopt;
        if (!rgb) return UsageError("color");
        return Colour(a[1], *rgb);
    });
    table.Add("hover", VerbKind::Action, [this](const CommandArgs& a) {
        if (a.Count() != 2 || (a[2] != "enter" && a[2] != "leave")) {
            return UsageError("hover");
        }
        return Hover(a[1], a[2] == "enter");
    });
}

bool ControlActions::Shown(ui::Control& c) const {
    auto* w = dynamic_cast<QWidget*>(&c);
    if (!w) return c.IsVisible();
    return rootWidget_ ? w->isVisibleTo(rootWidget_) : !w->isHidden();
}

ui::Control* ControlActions::Usable(std::string_view name, std::string& error, bool needEnabled) {
    ui::Control* c = window_.Find(name);
    if (!c) {
        error = "error: no control " + Quote(name);
        return nullptr;
    }
    if (!Shown(*c)) {
        error = "error: " + Quote(name) + " is hidden";
        return nullptr;
    }
    auto* w = dynamic_cast<QWidget*>(c);
    if (needEnabled && (!c->IsEnabled() || (w && !w->isEnabled()))) {
        error = "error: " + Quote(name) + " is disabled";
        return nullptr;
    }
    return c;
}

std::string ControlActions::Get(std::string_view name) {
    ui::Control* c = window_.Find(name);
    if (!c) return "error: no control " + Quote(name);
    return "ok " + ControlJson(*c, Shown(*c));
}

std::string ControlActions::Click(std::string_view name) {
    std::string error;
    ui::Control* c = Usable(name, error);
    if (!c) return error;
    auto* w = dynamic_cast<QWidget*>(c);
    if (!IsClickable(c->Kind()) || !w) return "error: " + Quote(name) + " is not clickable";
    PressAndRelease(*w);
    return std::string(kOk);
}

std::string ControlActions::Select(std::string_view name, bool on) {
    std::string error;
    ui::Control* c = Usable(name, error);
    if (!c) return error;
    auto* option = dynamic_cast<ui::Option*>(c);
    auto* w = dynamic_cast<QWidget*>(c);
    if (!option || !w) return "error: " + Quote(name) + " is not an option";
    if (option->IsSelected() == on) return std::string(kOk);
    if (!on && !option->Group().empty()) {
        return "error: " + Quote(name) + " is in a group: select another option instead";
    }
    PressAndRelease(*w);
    return std::string(kOk);
}

std::string ControlActions::Item(std::string_view name, int index, bool press) {
    std::string error;
    ui::Control* c = Usable(name, error);
    if (!c) return error;
    auto* list = dynamic_cast<ui::ItemList*>(c);
    if (!list) return "error: " + Quote(name) + " is not a list or combo";
    if (index < 0 || index >= list->Count()) return "error: no item " + std::to_string(index);
    auto* row = dynamic_cast<QWidget*>(list->ItemAt(index));
    if (!row) return "error: no item " + std::to_string(index);
    // Picking from a combo's drop-down and pressing a row are the same press on the row; a
    // list selection on its own is a keyboard step.
    if (press || c->Kind() == ControlKind::Combo) Press(*row);
    else list->SelectItem(index, /*notify=*/true);
    return std::string(kOk);
}

std::string ControlActions::Text(std::string_view name, std::string_view text) {
    std::string error;
    ui::Control* c = Usable(name, error);
    if (!c) return error;
    auto* edit = dynamic_cast<widgets::EditWidget*>(c);
    if (!edit) return "error: " + Quote(name) + " is not an edit";
    QLineEdit* line = edit->LineEdit();
    if (line->isReadOnly()) return "error: " + Quote(name) + " is read-only";
    // One edit that replaces everything, as a paste over the whole text.
    line->selectAll();
    if (text.empty()) line->del();
    else line->insert(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return std::string(kOk);
}

std::string ControlActions::Value(std::string_view name, int value, bool drag) {
    std::string error;
    ui::Control* c = Usable(name, error);
    if (!c) return error;
    auto* slider = dynamic_cast<ui::Slider*>(c);
    auto* skin = dynamic_cast<widgets::SkinWidget*>(c);
    if (!slider || !skin || c->Kind() != ControlKind::Slider) return "error: not a slider";
    if (value < slider->Min() || value > slider->Max()) {
        return "error: " + std::to_string(value) + " is outside " + std::to_string(slider->Min()) + ".." +
               std::to_string(slider->Max());
    }
    // A drag reports only moves that change the value; the end of a click or drag always reports.
    if (drag) {
        if (slider->Value() == value) return std::string(kOk);
        slider->SetValue(value);
        skin->Context().Notify("movevaluechanged", c, value);
    } else {
        slider->SetValue(value);
        skin->Context().Notify("valuechanged", c, value);
    }
    return std::string(kOk);
}

std::string ControlActions::Colour(std::string_view name, ui::Colour rgb) {
    std::string error;
    ui::Control* c = Usable(name, error);
    if (!c) return error;
    auto* palette = dynamic_cast<ui::ColourPalette*>(c);
    auto* skin = dynamic_cast<widgets::SkinWidget*>(c);
    if (!palette || !skin) return "error: " + Quote(name) + " is not a palette";
    palette->SetSelectedColour(kOpaque | rgb);
    skin->Context().Notify("colorchanged", c, palette->SelectedColour());
    return std::string(kOk);
}

std::string ControlActions::Hover(std::string_view name, bool enter) {
    std::string error;
    ui::Control* c = Usable(name, error, /*needEnabled=*/false);
    if (!c) return error;
    auto* w = dynamic_cast<QWidget*>(c);
    if (!w) return "error: " + Quote(name) + " cannot be hovered";
    if (enter) {
        const QPointF local = Centre(*w);
        QEnterEvent event(local, local, w->mapToGlobal(local));
        QCoreApplication::sendEvent(w, &event);
    } else {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(w, &event);
    }
    return std::string(kOk);
}

}  // namespace corvane::scripting
