#include "shell/control_commands.h"

#include "shell/call_queue.h"
#include "shell/command_syntax.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "platform/tick.h"
#include "shell/main_wnd.h"
#include "shell/skin_controls.h"
#include "shell/skin_widget.h"

namespace corvane::shell {
namespace {

using ui::ControlKind;

constexpr int kDefaultWaitMs = 10000;
constexpr int kWaitPollMs = 5;
// How long a waiting message box sleeps between looking at the window's events.
constexpr int kBoxLoopPollMs = 2;
// Idle means the condition held on this many round trips through the UI queue in a row.
constexpr int kIdleRoundTrips = 2;
constexpr ui::Colour kOpaque = 0xFF000000u;
constexpr ui::Colour kRgbMask = 0x00FFFFFFu;
constexpr std::size_t kRgbDigits = 6;

constexpr std::string_view kOk = "ok";
constexpr std::string_view kShuttingDown = "error: shutting down";
constexpr std::string_view kBusy = "error: busy";

// ------------------------------------------------------------------ words and values

struct Words {
    std::vector<std::string_view> list;
    // Where each word starts in the line, for commands whose last argument is the rest of it.
    std::vector<std::size_t> starts;
};

Words Split(std::string_view line) {
    Words w;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        w.list.push_back(line.substr(start, i - start));
        w.starts.push_back(start);
    }
    return w;
}

// The text after word `index` and the single space that ends it.
std::string_view RestAfter(std::string_view line, const Words& w, std::size_t index) {
    const std::size_t end = w.starts[index] + w.list[index].size();
    return end + 1 <= line.size() ? line.substr(end + 1) : std::string_view{};
}

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || text.empty()) return std::nullopt;
    return value;
}

std::optional<ui::Colour> ParseRgb(std::string_view text) {
    if (text.size() != kRgbDigits + 1 || text[0] != '#') return std::nullopt;
    ui::Colour value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data() + 1, end, value, 16);
    if (ec != std::errc{} || ptr != end) return std::nullopt;
    return value & kRgbMask;
}

std::optional<device::DeviceKind> ParseKind(std::string_view text) {
    for (device::DeviceKind kind : device::kAllDeviceKinds) {
        if (ui::EqualsIgnoreCase(text, device::DevicePrefix(kind).substr(0, 2))) return kind;
    }
    return std::nullopt;
}

std::string Quote(std::string_view name) { return "\"" + std::string(name) + "\""; }

// A text id made safe for the reply's comma-separated list.
std::string ReplyToken(std::string_view text) {
    std::string token(text);
    for (char& c : token) {
        if (c == ' ' || c == ',' || c == '=') c = '_';
    }
    return token.empty() ? std::string("_") : token;
}

// ------------------------------------------------------------------ JSON

void AppendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

class JsonObject {
public:
    JsonObject& Str(std::string_view key, std::string_view value) {
        Key(key);
        AppendJsonString(out_, value);
        return *this;
    }
    JsonObject& Bool(std::string_view key, bool value) {
        Key(key);
        out_ += value ? "true" : "false";
        return *this;
    }
    JsonObject& Int(std::string_view key, std::int64_t value) {
        Key(key);
        out_ += std::to_string(value);
        return *this;
    }
    JsonObject& Raw(std::string_view key, std::string_view json) {
        Key(key);
        out_ += json;
        return *this;
    }
    std::string Done() const { return first_ ? std::string("{}") : out_ + "}"; }

private:
    void Key(std::string_view key) {
        out_.push_back(first_ ? '{' : ',');
        first_ = false;
        AppendJsonString(out_, key);
        out_.push_back(':');
    }
    std::string out_;
    bool first_ = true;
};

std::string JsonArray(const std::vector<std::string>& elements) {
    std::string out = "[";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0) out.push_back(',');
        out += elements[i];
    }
    return out + "]";
}

std::string JsonStringArray(const std::vector<std::string>& texts) {
    std::vector<std::string> quoted;
    for (const auto& t : texts) {
        std::string q;
        AppendJsonString(q, t);
        quoted.push_back(std::move(q));
    }
    return JsonArray(quoted);
}

std::string HexColour(ui::Colour colour, bool withAlpha) {
    char text[16];
    if (withAlpha) std::snprintf(text, sizeof text, "#%08X", static_cast<unsigned>(colour));
    else std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour & kRgbMask));
    return text;
}

std::string Hex16(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

std::string RowJson(const ui::Control& row) {
    JsonObject o;
    o.Str("text", row.DisplayedText()).Str("userdata", row.UserData());
    if (const auto* r = dynamic_cast<const RowWidget*>(&row); r && !r->Columns().empty()) {
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

// ------------------------------------------------------------------ simulated input

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

// Runs closures on the UI thread for the command threads and waits for them. It has a queue and
// wake-up descriptor of its own rather than the window's call queue: a message box that waits for
// its answer runs a nested loop, possibly from inside a queued call of that queue, and the
// commands (the answer above all) must still get through then; the box's loop drains this queue
// itself. The closures and their results pass only through this queue's mutex.
class UiCalls {
public:
    UiCalls() {
        if (queue_.WakeFd() >= 0) {
            notifier_ = std::make_unique<QSocketNotifier>(queue_.WakeFd(), QSocketNotifier::Read);
            QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                             [this] { queue_.Drain(); });
        }
    }
    UiCalls(const UiCalls&) = delete;
    UiCalls& operator=(const UiCalls&) = delete;

    // Runs fn on the UI thread and waits; on the UI thread it runs at once. False when the calls
    // were stopped before fn started.
    bool Call(std::function<void()> fn) {
        if (QThread::currentThread() == uiThread_) {
            fn();
            return true;
        }
        if (queue_.WakeFd() < 0) return false;
        return queue_.SendAndWait(std::move(fn));
    }

    // UI thread: runs what is queued, one call at a time (a call may drain again from inside).
    void Drain() { queue_.Drain(); }

    // UI thread, from a nested wait: sleeps until a call arrives or the time passes.
    void AwaitWork(int ms) const {
        pollfd p{queue_.WakeFd(), POLLIN, 0};
        ::poll(&p, 1, ms);
    }

    // Calls that have not started are let go and later ones refused; one that runs finishes.
    void Stop() { queue_.RejectWaitingCalls(); }

private:
    QThread* const uiThread_ = QThread::currentThread();
    CallQueue queue_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

// ------------------------------------------------------------------ the interpreter

struct ControlCommands::Impl {
    // What one running command saw happen: the boxes and dialogs it caused.
    struct Collector {
        std::vector<std::string> boxes;
        std::vector<std::string> dialogs;
    };
    // A message box that waits for its answer in a nested event loop.
    struct OpenBox {
        std::string id;
        std::optional<int> result;
    };
    enum class AutoAnswer { Off, Confirm, Cancel };

    Impl(ui::Window& w, CMainWnd* m) : window(w), main(m) {
        rootWidget = dynamic_cast<QWidget*>(&window);
        InstallBoxResponder();
        InstallDialogResponder();
    }
    ~Impl() {
        window.SetMessageBoxResponder({});
        window.SetFileDialogResponder({});
    }

    // The responders are thin: they call back here, and the fallback to the window's own box
    // removes them for the time the box is open and puts them back afterwards (the removed
    // closure is not touched once it has called us).
    void InstallBoxResponder() {
        window.SetMessageBoxResponder([this](const ui::MessageBoxRequest& r) { return OnMessageBox(r); });
    }
    void InstallDialogResponder() {
        window.SetFileDialogResponder([this](const ui::FileDialogRequest& r) { return OnFileDialog(r); });
    }

    int OnMessageBox(const ui::MessageBoxRequest& request) {
        if (active.empty() && autoAnswer == AutoAnswer::Off) {
            window.SetMessageBoxResponder({});
            const int result = window.ShowMessageBox(request);
            InstallBoxResponder();
            return result;
        }
        const std::string id = ReplyToken(request.textId);
        if (!active.empty()) active.back()->boxes.push_back(id);
        if (autoAnswer != AutoAnswer::Off) {
            return autoAnswer == AutoAnswer::Confirm ? ui::kMessageConfirmed : ui::kMessageDismissed;
        }
        // A timed box closes itself unanswered; nobody needs to wait for it.
        if (request.timed) return ui::kMessageDismissed;
        // The box's own loop: the window keeps running, and the commands are drained here, since
        // the notifier that normally wakes them may be the one this box was opened under.
        OpenBox box{id, std::nullopt};
        openBoxes.push_back(&box);
        while (!box.result && !Closed() && !QCoreApplication::closingDown()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            calls.Drain();
            if (!box.result) calls.AwaitWork(kBoxLoopPollMs);
        }
        openBoxes.erase(std::find(openBoxes.begin(), openBoxes.end(), &box));
        return box.result.value_or(ui::kMessageDismissed);
    }

    std::optional<std::string> OnFileDialog(const ui::FileDialogRequest& request) {
        const char* mode = request.mode == ui::FileDialogMode::Open ? "open" : "save";
        if (!dialogAnswer && active.empty()) {
            window.SetFileDialogResponder({});
            auto result = window.ShowFileDialog(request);
            InstallDialogResponder();
            return result;
        }
        if (!active.empty()) active.back()->dialogs.push_back(mode);
        // Asked with no answer given: cancelled, as a script cannot reach a real dialog.
        if (!dialogAnswer) return std::nullopt;
        std::optional<std::string> path = std::move(*dialogAnswer);
        dialogAnswer.reset();
        if (path && request.mode == ui::FileDialogMode::Save && !request.defaultExtension.empty() &&
            std::filesystem::path(*path).extension().empty()) {
            *path += "." + request.defaultExtension;
        }
        return path;
    }

    // ---- lookups shared by the actions

    bool Shown(ui::Control& c) const {
        auto* w = dynamic_cast<QWidget*>(&c);
        if (!w) return c.IsVisible();
        return rootWidget ? w->isVisibleTo(rootWidget) : !w->isHidden();
    }

    // The control for an action, or the error reply in error.
    ui::Control* Usable(std::string_view name, std::string& error, bool needEnabled = true) {
        ui::Control* c = window.Find(name);
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

    // ---- the commands that run on the UI thread

    std::string Execute(std::string_view line) {
        auto collector = std::make_shared<Collector>();
        active.push_back(collector);
        std::string reply = Dispatch(line);
        Forget(collector);
        if (reply == kOk) {
            if (!collector->boxes.empty()) reply += " boxes=" + Join(collector->boxes);
            if (!collector->dialogs.empty()) reply += " dialogs=" + Join(collector->dialogs);
        }
        return reply;
    }

    void Forget(const std::shared_ptr<Collector>& collector) {
        active.erase(std::find(active.begin(), active.end(), collector));
    }

    static std::string Join(const std::vector<std::string>& parts) {
        std::string out;
        for (const auto& p : parts) out += (out.empty() ? "" : ",") + p;
        return out;
    }

    std::string Dispatch(std::string_view line) {
        const Words w = Split(line);
        if (w.list.empty()) return "error: empty command";
        const std::string verb = ui::ToLower(w.list[0]);
        const std::size_t argc = w.list.size() - 1;
        auto arg = [&](std::size_t i) { return w.list[i]; };

        const CommandSyntax* command = FindCommand(verb);
        if (!command) return "error: unknown command " + Quote(w.list[0]);
        if (main && main->Destroyed()) return std::string(kShuttingDown);
        if (verb == "get") return argc == 1 ? Get(arg(1)) : UsageError(verb);
        if (verb == "devices") return argc == 0 ? Devices() : UsageError(verb);
        if (verb == "boxes") return Boxes(w);
        if (verb == "answer") return argc == 1 ? Answer(arg(1)) : UsageError(verb);
        if (verb == "dialog") {
            if (argc == 0) return UsageError(verb);
            const std::string_view rest = RestAfter(line, w, 0);
            if (argc == 1 && ui::EqualsIgnoreCase(arg(1), "cancel")) dialogAnswer.emplace(std::nullopt);
            else dialogAnswer.emplace(std::string(rest));
            return std::string(kOk);
        }
        if (verb == "quit") {
            if (argc != 0) return UsageError(verb);
            // The close path ends nested loops too, so an open box returns unanswered.
            if (main) main->Destroy();
            else window.Close();
            return std::string(kOk);
        }

        if (!command->action) return "error: unknown command " + Quote(w.list[0]);
        // A modal box is in the way of every action a person could take.
        if (!openBoxes.empty()) return std::string(kBusy);

        if (verb == "click") return argc == 1 ? Click(arg(1)) : UsageError(verb);
        if (verb == "select") {
            if (argc != 2 || (arg(2) != "on" && arg(2) != "off")) return UsageError(verb);
            return Select(arg(1), arg(2) == "on");
        }
        if (verb == "item" || verb == "item-click") {
            const auto index = argc == 2 ? ParseNumber(arg(2)) : std::nullopt;
            if (!index) return UsageError(verb);
            return Item(arg(1), *index, verb == "item-click");
        }
        if (verb == "text") {
            if (argc < 1) return UsageError(verb);
            return Text(arg(1), RestAfter(line, w, 1));
        }
        if (verb == "value") {
            const auto v = argc >= 2 ? ParseNumber(arg(2)) : std::nullopt;
            if (!v || argc > 3 || (argc == 3 && arg(3) != "drag")) return UsageError(verb);
            return Value(arg(1), *v, argc == 3);
        }
        if (verb == "color") {
            const auto rgb = argc == 2 ? ParseRgb(arg(2)) : std::nullopt;
            if (!rgb) return UsageError(verb);
            return Colour(arg(1), *rgb);
        }
        if (verb != "hover") return "error: unknown command " + Quote(w.list[0]);
        if (argc != 2 || (arg(2) != "enter" && arg(2) != "leave")) return UsageError(verb);
        return Hover(arg(1), arg(2) == "enter");
    }

    std::string Get(std::string_view name) {
        ui::Control* c = window.Find(name);
        if (!c) return "error: no control " + Quote(name);
        return "ok " + ControlJson(*c, Shown(*c));
    }

    std::string Devices() {
        if (!main) return "error: no devices here";
        JsonObject all;
        for (device::DeviceKind kind : device::kAllDeviceKinds) {
            const device::DeviceLink& link = main->Link(kind);
            JsonObject o;
            o.Bool("connected", link.IsConnected())
                .Bool("ready", main->ArrivalComplete(kind))
                .Str("vendor", Hex16(link.VendorId()))
                .Str("product", Hex16(link.ProductId()))
                .Str("usagepage", Hex16(link.UsagePage()))
                .Str("usage", Hex16(link.Usage()))
                .Int("banksize", link.BankSize());
            if (main->ArrivalComplete(kind)) {
                const int slot = main->State(kind).Read(
                    [](const device::DeviceImages& images) { return images.activeLighting[device::kActiveSlotOffset]; });
                o.Int("slot", slot);
            } else {
                o.Raw("slot", "null");
            }
            all.Raw(device::DevicePrefix(kind).substr(0, 2), o.Done());
        }
        return "ok " + all.Done();
    }

    std::string Boxes(const Words& w) {
        const std::size_t argc = w.list.size() - 1;
        if (argc == 0) {
            std::vector<std::string> ids;
            for (const OpenBox* b : openBoxes) ids.push_back(b->id);
            const char* mode = autoAnswer == AutoAnswer::Off       ? "off"
                               : autoAnswer == AutoAnswer::Confirm ? "confirm"
                                                                   : "cancel";
            return "ok " + JsonObject().Raw("open", JsonStringArray(ids)).Str("auto", mode).Done();
        }
        if (argc == 2 && w.list[1] == "auto") {
            if (w.list[2] == "confirm") autoAnswer = AutoAnswer::Confirm;
            else if (w.list[2] == "cancel") autoAnswer = AutoAnswer::Cancel;
            else if (w.list[2] == "off") autoAnswer = AutoAnswer::Off;
            else return UsageError("boxes", "auto");
            return std::string(kOk);
        }
        return UsageError("boxes");
    }

    std::string Answer(std::string_view how) {
        int result = 0;
        if (how == "confirm") result = ui::kMessageConfirmed;
        else if (how == "cancel" || how == "close") result = ui::kMessageDismissed;
        else return UsageError("answer");
        // The innermost box: its loop must end before an outer one can.
        auto it = std::find_if(openBoxes.rbegin(), openBoxes.rend(), [](const OpenBox* b) { return !b->result; });
        if (it == openBoxes.rend()) return "error: no message box is open";
        (*it)->result = result;
        return std::string(kOk);
    }

    std::string Click(std::string_view name) {
        std::string error;
        ui::Control* c = Usable(name, error);
        if (!c) return error;
        auto* w = dynamic_cast<QWidget*>(c);
        if (!IsClickable(c->Kind()) || !w) return "error: " + Quote(name) + " is not clickable";
        PressAndRelease(*w);
        return std::string(kOk);
    }

    std::string Select(std::string_view name, bool on) {
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

    std::string Item(std::string_view name, int index, bool press) {
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

    std::string Text(std::string_view name, std::string_view text) {
        std::string error;
        ui::Control* c = Usable(name, error);
        if (!c) return error;
        auto* edit = dynamic_cast<EditWidget*>(c);
        if (!edit) return "error: " + Quote(name) + " is not an edit";
        QLineEdit* line = edit->LineEdit();
        if (line->isReadOnly()) return "error: " + Quote(name) + " is read-only";
        // One edit that replaces everything, as a paste over the whole text.
        line->selectAll();
        if (text.empty()) line->del();
        else line->insert(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        return std::string(kOk);
    }

    std::string Value(std::string_view name, int value, bool drag) {
        std::string error;
        ui::Control* c = Usable(name, error);
        if (!c) return error;
        auto* slider = dynamic_cast<ui::Slider*>(c);
        auto* skin = dynamic_cast<SkinWidget*>(c);
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

    std::string Colour(std::string_view name, ui::Colour rgb) {
        std::string error;
        ui::Control* c = Usable(name, error);
        if (!c) return error;
        auto* palette = dynamic_cast<ui::ColourPalette*>(c);
        auto* skin = dynamic_cast<SkinWidget*>(c);
        if (!palette || !skin) return "error: " + Quote(name) + " is not a palette";
        palette->SetSelectedColour(kOpaque | rgb);
        skin->Context().Notify("colorchanged", c, palette->SelectedColour());
        return std::string(kOk);
    }

    std::string Hover(std::string_view name, bool enter) {
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

    // ---- conditions the waits poll (UI thread)

    bool Connected(device::DeviceKind kind) const { return main && main->ArrivalComplete(kind); }

    bool QuietNow() const {
        if (!openBoxes.empty()) return false;
        return !main || main->IoIdle();
    }

    bool Closed() const { return main && main->Destroyed(); }

    UiCalls calls;
    ui::Window& window;
    CMainWnd* main;
    QWidget* rootWidget = nullptr;
    // UI thread only.
    // The running commands, innermost last; shared so that a wait cut off by the shutdown leaves
    // nothing dangling behind.
    std::vector<std::shared_ptr<Collector>> active;
    std::vector<OpenBox*> openBoxes;
    AutoAnswer autoAnswer = AutoAnswer::Off;
    std::optional<std::optional<std::string>> dialogAnswer;
};

ControlCommands::ControlCommands(ui::Window& window, CMainWnd* main)
    : impl_(std::make_unique<Impl>(window, main)) {}

ControlCommands::~ControlCommands() { Stop(); }

void ControlCommands::Stop() { impl_->calls.Stop(); }

std::string ControlCommands::Handle(std::string_view line) {
    const Words w = Split(line);
    if (!w.list.empty() && ui::EqualsIgnoreCase(w.list[0], "wait")) {
        const std::size_t argc = w.list.size() - 1;
        std::optional<device::DeviceKind> kind;
        std::size_t timeoutAt = 0;
        if (argc >= 2 && w.list[1] == "connected") {
            kind = ParseKind(w.list[2]);
            if (!kind || argc > 3) return UsageError("wait", "connected");
            timeoutAt = 3;
        } else if (argc >= 1 && w.list[1] == "idle") {
            if (argc > 2) return UsageError("wait", "idle");
            timeoutAt = 2;
        } else {
            return UsageError("wait");
        }
        int timeoutMs = kDefaultWaitMs;
        if (argc >= timeoutAt) {
            const auto t = ParseNumber(w.list[timeoutAt]);
            if (!t || *t < 0) return "error: bad timeout";
            timeoutMs = *t;
        }

        // The wait polls the UI thread with short calls, so the window keeps running; boxes that
        // open meanwhile are the wait's to report.
        auto collector = std::make_shared<Impl::Collector>();
        Impl& impl = *impl_;
        if (!impl.calls.Call([&] { impl.active.push_back(collector); })) return std::string(kShuttingDown);
        const std::uint64_t deadline = platform::TickMs() + static_cast<std::uint64_t>(timeoutMs);
        int quietRounds = 0;
        std::string reply;
        for (;;) {
            bool met = false;
            bool closed = false;
            if (!impl.calls.Call([&] {
                    closed = impl.Closed();
                    met = kind ? impl.Connected(*kind) : impl.QuietNow();
                }) ||
                closed) {
                reply = kShuttingDown;
                break;
            }
            quietRounds = met ? quietRounds + 1 : 0;
            if (kind ? met : quietRounds >= kIdleRoundTrips) {
                reply = kOk;
                break;
            }
            if (platform::TickMs() >= deadline) {
                reply = "error: timeout";
                break;
            }
            platform::SleepMs(kWaitPollMs);
        }
        // Read only after the UI thread let go of it.
        if (!impl.calls.Call([&] { impl.Forget(collector); })) return std::string(kShuttingDown);
        if (reply == kOk && !collector->boxes.empty()) reply += " boxes=" + Impl::Join(collector->boxes);
        return reply;
    }

    std::string reply(kShuttingDown);
    if (!impl_->calls.Call([&] { reply = impl_->Execute(line); })) return std::string(kShuttingDown);
    return reply;
}

}  // namespace corvane::shell
