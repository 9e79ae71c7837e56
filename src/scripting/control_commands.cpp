#include "scripting/control_commands.h"

#include "widgets/call_queue.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "device/device_kind.h"
#include "platform/tick.h"
#include "scripting/command_text.h"
#include "scripting/command_verbs.h"
#include "scripting/control_actions.h"
#include "scripting/device_button_commands.h"
#include "scripting/script_host.h"
#include "scripting/screenshot_command.h"
#include "scripting/stats_command.h"
#include "scripting/virtual_commands.h"

namespace corvane::scripting {
namespace {

constexpr int kDefaultWaitMs = 10000;
constexpr int kWaitPollMs = 5;
// How long a waiting message box sleeps between looking at the window's events.
constexpr int kBoxLoopPollMs = 2;
// Idle means the condition held on this many round trips through the UI queue in a row.
constexpr int kIdleRoundTrips = 2;

constexpr std::string_view kShuttingDown = "error: shutting down";
constexpr std::string_view kBusy = "error: busy";

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
            queue_.RunHere(fn);
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

    // UI thread, inside a call: who waits for it (empty when the call came from this thread).
    widgets::CallQueue::Sender CurrentSender() { return queue_.CurrentSender(); }

    // Calls that have not started are let go and later ones refused; one that runs finishes.
    void Stop() { queue_.RejectWaitingCalls(); }

private:
    QThread* const uiThread_ = QThread::currentThread();
    widgets::CallQueue queue_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

// ------------------------------------------------------------------ the interpreter

struct ControlCommands::Impl {
    // What one running command saw happen: the boxes and dialogs it caused.
    struct Collector {
        std::vector<std::string> boxes;
        std::vector<std::string> dialogs;
        // Set for a command that replies through Execute: its sender and where its reply goes,
        // so that a box it opens can reply early.
        widgets::CallQueue::Sender sender;
        std::shared_ptr<std::string> reply;
        bool replied = false;
    };
    // A message box that waits for its answer in a nested event loop: the script channel's own,
    // or the window's, shown to the user (a script may answer that one as well).
    struct OpenBox {
        std::string id;
        std::optional<int> result;
        bool shownToUser = false;
    };
    enum class AutoAnswer { Off, Confirm, Cancel };

    Impl(ui::Window& w, ScriptHost* m, virt::VirtualHidBus* bus) : window(w), main(m), actions(w), virtualDevices(bus) {
        actions.Register(verbs);
        AddDeviceButtonVerbs(virtualDevices);
        virtualDevices.Register(verbs);
        RegisterScreenshotVerb(verbs, window);
        RegisterStatsVerb(verbs, main);
        RegisterSessionVerbs();
        InstallBoxResponder();
        InstallDialogResponder();
    }
    ~Impl() {
        window.SetMessageBoxResponder({});
        window.SetFileDialogResponder({});
    }

    // The responders are thin: they call back here. The dialog's fallback to the window's own
    // removes its responder for the time the dialog is open and puts it back afterwards (the
    // removed closure is not touched once it has called us).
    void InstallBoxResponder() {
        window.SetMessageBoxResponder([this](const ui::MessageBoxRequest& r) { return OnMessageBox(r); });
    }
    void InstallDialogResponder() {
        window.SetFileDialogResponder([this](const ui::FileDialogRequest& r) { return OnFileDialog(r); });
    }

    int OnMessageBox(const ui::MessageBoxRequest& request) {
        if (active.empty() && autoAnswer == AutoAnswer::Off) {
            // The user answers, or a script: the box is listed like the script channel's own,
            // and boxes asked for while it is open come here as well.
            OpenBox box{ReplyToken(request.textId), std::nullopt, /*shownToUser=*/true};
            openBoxes.push_back(&box);
            const int result = window.ShowOwnMessageBox(request);
            openBoxes.erase(std::find(openBoxes.begin(), openBoxes.end(), &box));
            return result;
        }
        const std::string id = ReplyToken(request.textId);
        if (!active.empty()) active.back()->boxes.push_back(id);
        if (autoAnswer != AutoAnswer::Off) {
            return autoAnswer == AutoAnswer::Confirm ? ui::kMessageConfirmed : ui::kMessageDismissed;
        }
        // A timed box closes itself unanswered; nobody needs to wait for it.
        if (request.timed) return ui::kMessageDismissed;
        ReplyWhileBoxWaits(id);
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

    // The command that opened a box waiting for its answer replies now, with the box's id, and
    // its sender goes on: the script that sent it can answer the box itself. The command runs
    // on inside the box's loop; what it does after the answer is no longer in its reply.
    void ReplyWhileBoxWaits(const std::string& id) {
        if (active.empty()) return;
        Collector& command = *active.back();
        if (!command.reply || command.replied || !command.sender) return;
        *command.reply = WithEvents(std::string(kOk), command) + " open=" + id;
        command.replied = true;
        command.sender.Release();
    }

    // ---- the commands that run on the UI thread

    // Runs the command and puts its reply into reply, unless a box has replied for it already.
    void Execute(std::string_view line, const std::shared_ptr<std::string>& reply) {
        auto collector = std::make_shared<Collector>();
        collector->sender = calls.CurrentSender();
        collector->reply = reply;
        active.push_back(collector);
        std::string result = Dispatch(line);
        Forget(collector);
        if (!collector->replied) *reply = WithEvents(std::move(result), *collector);
    }

    // "ok" with the boxes and dialogs the command caused; an error as it is.
    static std::string WithEvents(std::string reply, const Collector& collector) {
        if (reply != kOk) return reply;
        if (!collector.boxes.empty()) reply += " boxes=" + Join(collector.boxes);
        if (!collector.dialogs.empty()) reply += " dialogs=" + Join(collector.dialogs);
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
        const CommandArgs args = SplitCommand(line);
        if (args.words.empty()) return "error: empty command";
        if (main && main->Destroyed()) return std::string(kShuttingDown);
        const Verb* verb = verbs.Find(args[0]);
        if (!verb || verb->kind == VerbKind::Caller) return "error: unknown command " + Quote(args[0]);
        // A modal box is in the way of every action a person could take.
        if (verb->kind == VerbKind::Action && !openBoxes.empty()) return std::string(kBusy);
        return verb->run(args);
    }

    // The verbs of this file: message boxes, file dialogs, the devices, waits and quitting.
    void RegisterSessionVerbs() {
        verbs.Add("devices", VerbKind::Query, [this](const CommandArgs& a) {
            return a.Count() == 0 ? Devices() : UsageError("devices");
        });
        verbs.Add("boxes", VerbKind::Query, [this](const CommandArgs& a) { return Boxes(a); });
        verbs.Add("answer", VerbKind::Query, [this](const CommandArgs& a) {
            return a.Count() == 1 ? Answer(a[1]) : UsageError("answer");
        });
        verbs.Add("dialog", VerbKind::Query, [this](const CommandArgs& a) {
            if (a.Count() == 0) return UsageError("dialog");
            if (a.Count() == 1 && ui::EqualsIgnoreCase(a[1], "cancel")) dialogAnswer.emplace(std::nullopt);
            else dialogAnswer.emplace(std::string(a.RestAfter(0)));
            return std::string(kOk);
        });
        verbs.Add("quit", VerbKind::Query, [this](const CommandArgs& a) {
            if (a.Count() != 0) return UsageError("quit");
            // The close path ends nested loops too, so an open box returns unanswered.
            if (main) main->Destroy();
            else window.Close();
            return std::string(kOk);
        });
        verbs.Add("wait", VerbKind::Caller, [this](const CommandArgs& a) { return Wait(a); });
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
                o.Int("slot", main->ActiveSlot(kind));
            } else {
                o.Raw("slot", "null");
            }
            all.Raw(KindWord(kind), o.Done());
        }
        return "ok " + all.Done();
    }

    std::string Boxes(const CommandArgs& a) {
        const std::size_t argc = a.Count();
        if (argc == 0) {
            std::vector<std::string> ids;
            for (const OpenBox* b : openBoxes) ids.push_back(b->id);
            const char* mode = autoAnswer == AutoAnswer::Off       ? "off"
                               : autoAnswer == AutoAnswer::Confirm ? "confirm"
                                                                   : "cancel";
            return "ok " + JsonObject().Raw("open", JsonStringArray(ids)).Str("auto", mode).Done();
        }
        if (argc == 2 && a[1] == "auto") {
            if (a[2] == "confirm") autoAnswer = AutoAnswer::Confirm;
            else if (a[2] == "cancel") autoAnswer = AutoAnswer::Cancel;
            else if (a[2] == "off") autoAnswer = AutoAnswer::Off;
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
        if ((*it)->shownToUser && !window.AnswerOwnMessageBox(result)) return "error: the message box has closed";
        return std::string(kOk);
    }

    // Runs on the calling thread: it polls the UI thread with short calls, so the window keeps
    // running; boxes that open meanwhile are the wait's to report.
    std::string Wait(const CommandArgs& a) {
        const std::size_t argc = a.Count();
        std::optional<device::DeviceKind> kind;
        std::size_t timeoutAt = 0;
        if (argc >= 2 && a[1] == "connected") {
            kind = ParseKind(a[2]);
            if (!kind || argc > 3) return UsageError("wait", "connected");
            timeoutAt = 3;
        } else if (argc >= 1 && a[1] == "idle") {
            if (argc > 2) return UsageError("wait", "idle");
            timeoutAt = 2;
        } else {
            return UsageError("wait");
        }
        int timeoutMs = kDefaultWaitMs;
        if (argc >= timeoutAt) {
            const auto t = ParseNumber(a[timeoutAt]);
            if (!t || *t < 0) return "error: bad timeout";
            timeoutMs = *t;
        }

        auto collector = std::make_shared<Collector>();
        if (!calls.Call([&] { active.push_back(collector); })) return std::string(kShuttingDown);
        const std::uint64_t deadline = platform::TickMs() + static_cast<std::uint64_t>(timeoutMs);
        int quietRounds = 0;
        std::string reply;
        for (;;) {
            bool met = false;
            bool closed = false;
            if (!calls.Call([&] {
                    closed = Closed();
                    met = kind ? Connected(*kind) : QuietNow();
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
        if (!calls.Call([&] { Forget(collector); })) return std::string(kShuttingDown);
        return WithEvents(std::move(reply), *collector);
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
    ScriptHost* main;
    ControlActions actions;
    VirtualCommands virtualDevices;
    // Filled at construction, read only afterwards (by every connection thread).
    VerbTable verbs;
    std::atomic<bool> stopped{false};
    // UI thread only.
    // The running commands, innermost last; shared so that a wait cut off by the shutdown leaves
    // nothing dangling behind.
    std::vector<std::shared_ptr<Collector>> active;
    std::vector<OpenBox*> openBoxes;
    AutoAnswer autoAnswer = AutoAnswer::Off;
    std::optional<std::optional<std::string>> dialogAnswer;
};

ControlCommands::ControlCommands(ui::Window& window, ScriptHost* main, virt::VirtualHidBus* bus)
    : impl_(std::make_unique<Impl>(window, main, bus)) {}

ControlCommands::~ControlCommands() { Stop(); }

void ControlCommands::Stop() {
    impl_->stopped = true;
    impl_->calls.Stop();
}

std::string ControlCommands::Handle(std::string_view line) {
    const CommandArgs args = SplitCommand(line);
    const Verb* verb = args.words.empty() ? nullptr : impl_->verbs.Find(args[0]);
    if (verb && verb->kind == VerbKind::Caller) {
        if (impl_->stopped) return std::string(kShuttingDown);
        return verb->run(args);
    }
    // The reply is shared rather than on this stack: a box the command opens lets this thread go
    // before the command ends (see ReplyWhileBoxWaits).
    auto reply = std::make_shared<std::string>(kShuttingDown);
    if (!impl_->calls.Call([impl = impl_.get(), line = std::string(line), reply] { impl->Execute(line, reply); })) {
        return std::string(kShuttingDown);
    }
    return *reply;
}

}  // namespace corvane::scripting
