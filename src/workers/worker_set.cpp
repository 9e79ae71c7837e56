#include "workers/worker_set.h"

#include "platform/debug_out.h"
#include "platform/thread_name.h"
#include "platform/tick.h"

namespace corvane::workers {
namespace {

// Thread names for top and perf, by worker index.
constexpr const char* kWorkerThreadNames[kWorkerCount] = {
    "cv-presence-kb", "cv-presence-ms", "cv-presence-mp", "cv-consumer-ms", "cv-consumer-kb",
    "cv-light-kb",    "cv-light-ms",    "cv-light-mp",    "cv-light-sync",  "cv-proc-kb-deng",
    "cv-proc-kb-key", "cv-proc-ms-dev", "cv-proc-ms-key", "cv-proc-mp-deng",
};

}  // namespace

// A slot lives as long as its thread may: a worker that outlives a timed-out shutdown still owns
// a reference to its own events.
struct WorkerSet::Slot {
    platform::Event stop{platform::Event::Reset::Manual};
    platform::Event ended{platform::Event::Reset::Manual};
    std::thread thread;
    std::function<void()> interrupt;
};

WorkerSet::WorkerSet() {
    for (auto& s : slots_) s = std::make_shared<Slot>();
}

WorkerSet::~WorkerSet() {
    // Workers still running are stopped and waited for as a shutdown would, unless a shutdown
    // has waited for them already; one that does not end in time is left to finish on its own,
    // holding its own slot.
    if (!StopAndJoin(gaveUp_ ? 0 : kDestructorLimitMs)) {
        for (auto& s : slots_) {
            if (s->thread.joinable()) s->thread.detach();
        }
    }
}

void WorkerSet::RequestStop() {
    for (auto& s : slots_) s->stop.Set();
}

bool WorkerSet::StopAndJoin(int timeoutMs) {
    RequestStop();
    for (auto& s : slots_) {
        if (s->interrupt && s->thread.joinable()) s->interrupt();
    }
    const std::uint64_t deadline = platform::TickMs() + static_cast<std::uint64_t>(timeoutMs);
    bool allEnded = true;
    for (auto& s : slots_) {
        if (!s->thread.joinable()) continue;
        const std::uint64_t now = platform::TickMs();
        const int left = now >= deadline ? 0 : static_cast<int>(deadline - now);
        if (!s->ended.Wait(left)) {
            allEnded = false;
            continue;
        }
        s->thread.join();
    }
    return allEnded;
}

bool WorkerSet::Start(WorkerIndex index, WorkerBody body, std::function<void()> interrupt) {
    auto& slot = slots_[static_cast<std::size_t>(index)];
    if (slot->thread.joinable()) return false;
    slot->interrupt = std::move(interrupt);
    slot->stop.ResetEvent();
    slot->ended.ResetEvent();
    slot->thread = std::thread([keep = slot, body = std::move(body), name = kWorkerThreadNames[static_cast<std::size_t>(index)]] {
        platform::NameThisThread(name);
        WorkerContext context{keep->stop};
        body(context);
        keep->ended.Set();
    });
    return true;
}

bool WorkerSet::Running(WorkerIndex index) const {
    const auto& slot = slots_[static_cast<std::size_t>(index)];
    return slot->thread.joinable() && !slot->ended.IsSet();
}

ShutdownOutcome WorkerSet::Shutdown(int timeoutMs) {
    const bool allEnded = StopAndJoin(timeoutMs);
    gaveUp_ = !allEnded;
    platform::debugOut(allEnded ? kShutdownAllEndedText : kShutdownTimedOutText);
    return allEnded ? ShutdownOutcome::AllEnded : ShutdownOutcome::TimedOut;
}

}  // namespace corvane::workers
