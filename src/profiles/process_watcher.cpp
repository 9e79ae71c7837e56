#include "profiles/process_watcher.h"

#include "platform/debug_out.h"
#include "platform/files.h"

namespace corvane::profiles {
namespace {

using workers::WorkerIndex;

struct WatcherRow {
    WorkerIndex index;
    ProfileFamily family;
    std::string_view exitText;
};
constexpr WatcherRow kWatchers[] = {
    {WorkerIndex::KbDengProcess, ProfileFamily::KbDeng, "键盘灯光进程侦测线程设定退出"},
    {WorkerIndex::KbKeyProcess, ProfileFamily::KbKey, "键盘按键进程侦测线程设定退出"},
    {WorkerIndex::MsDeviceProcess, ProfileFamily::MsDevice, "鼠标灯光进程侦测线程设定退出"},
    {WorkerIndex::MsKeyProcess, ProfileFamily::MsKey, "鼠标按键进程线程设定退出"},
    {WorkerIndex::MpDengProcess, ProfileFamily::MpDeng, "鼠标垫灯光进程侦测线程设定退出"},
};
// A first look right after start, then the pause of the family.
constexpr int kStopCheckMs = 1;

std::string_view ExitText(ProfileFamily family) {
    for (const WatcherRow& row : kWatchers) {
        if (row.family == family) return row.exitText;
    }
    return {};
}

}  // namespace

std::optional<int> LinkedProfileFor(const FamilyIndex& index, std::string_view exe) {
    if (exe.empty()) return std::nullopt;
    for (int j = 0; j < index.count; ++j) {
        if (index.linked[j] && platform::EqualsIgnoreCase(index.programs[j], exe)) return j;
    }
    return std::nullopt;
}

std::optional<ProfileFamily> WatcherFamily(WorkerIndex index) {
    for (const WatcherRow& row : kWatchers) {
        if (row.index == index) return row.family;
    }
    return std::nullopt;
}

bool ProcessWatcherPass(ProfileFamily family, platform::ForegroundProcess& foreground, WatcherHost& host) {
    const platform::ForegroundApp app = foreground.Current();
    if (app.status == platform::ForegroundApp::Status::Failed) platform::debugOut(kForegroundFailedText);
    if (Family(family).watcher != WatcherMode::Switches) return true;
    std::optional<int> linked;
    if (app.status == platform::ForegroundApp::Status::Found) linked = LinkedProfileFor(ReadFamilyIndex(family), app.path);
    return host.ApplyWatcherChoice(family, linked);
}

void RunProcessWatcher(ProfileFamily family, platform::ForegroundProcess& foreground, WatcherHost& host,
                       const workers::WorkerContext& context, WatcherTiming timing) {
    const int pauseMs = Family(family).watcher == WatcherMode::Switches ? timing.passMs : timing.pollOnlyMs;
    for (;;) {
        if (context.StopRequested(kStopCheckMs)) break;
        // A host that is gone ends the watcher; at shutdown that is the stop about to come.
        if (!ProcessWatcherPass(family, foreground, host) && !context.StopRequested(0)) return;
        if (context.StopRequested(pauseMs)) break;
    }
    platform::debugOut(ExitText(family));
}

}  // namespace corvane::profiles
