#pragma once

#include <optional>
#include <string_view>

#include "platform/foreground_process.h"
#include "profiles/profile_family.h"
#include "profiles/profile_index.h"
#include "workers/worker_set.h"

namespace corvane::profiles {

// The first profile of the family linked to exe: full paths compared without regard to case.
std::optional<int> LinkedProfileFor(const FamilyIndex& index, std::string_view exe);

// Where a watcher's choice goes: the UI thread, which selects as the user would.
class WatcherHost {
public:
    virtual ~WatcherHost() = default;
    // Selects profile `linked`, or the user's saved one when there is none, and leaves "select"
    // at the user's choice. Waits until done. False when the window no longer takes calls or
    // the family's list is missing: the watcher then ends.
    virtual bool ApplyWatcherChoice(ProfileFamily family, std::optional<int> linked) = 0;
};

struct WatcherTiming {
    int passMs = 2000;      // switching watchers
    int pollOnlyMs = 5000;  // the keyboard's watchers only look
};

// The family a process watcher of this worker index serves; none for other workers.
std::optional<ProfileFamily> WatcherFamily(workers::WorkerIndex index);

// The body of a process watcher: every pass asks which program is in front and, for the
// switching families, hands the linked (or saved) profile to the host. Ends on its stop event
// with the family's exit text.
void RunProcessWatcher(ProfileFamily family, platform::ForegroundProcess& foreground, WatcherHost& host,
                       const workers::WorkerContext& context, WatcherTiming timing = {});

// One look at the foreground and, for a switching family, the choice handed to the host.
// False when the host is gone.
bool ProcessWatcherPass(ProfileFamily family, platform::ForegroundProcess& foreground, WatcherHost& host);

inline constexpr std::string_view kForegroundFailedText = "文件名字访问失败";

}  // namespace corvane::profiles
