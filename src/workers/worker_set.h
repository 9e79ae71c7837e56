#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/event.h"

namespace corvane::workers {

// Stop-event indexes of the background workers, in the order they are created.
enum class WorkerIndex : std::size_t {
    KeyboardPresence = 0,
    MousePresence = 1,
    MousePadPresence = 2,
    MouseConsumer = 3,
    KeyboardConsumer = 4,
    KeyboardLighting = 5,
    MouseLighting = 6,
    MousePadLighting = 7,
    SyncLighting = 8,
    KbDengProcess = 9,
    KbKeyProcess = 10,
    MsDeviceProcess = 11,
    MsKeyProcess = 12,
    MpDengProcess = 13,
};
inline constexpr std::size_t kWorkerCount = 14;

// What a worker gets: its stop event (manual reset, so it keeps seeing a stop once signalled).
struct WorkerContext {
    platform::Event& stopEvent;

    // Waits up to ms for a stop request; true when the worker should end now.
    bool StopRequested(int ms) const { return stopEvent.Wait(ms); }
};

using WorkerBody = std::function<void(WorkerContext&)>;

enum class ShutdownOutcome { AllEnded, TimedOut, Error };

// The fourteen workers with their stop events. Start() runs a body on its own thread; Shutdown()
// signals every stop event and waits for all of them together, at most the given time.
class WorkerSet {
public:
    WorkerSet();
    ~WorkerSet();
    WorkerSet(const WorkerSet&) = delete;
    WorkerSet& operator=(const WorkerSet&) = delete;

    // interrupt, when given, runs (on the stopping thread) right after the stop events are
    // signalled: it wakes a worker out of a wait that does not watch its stop event.
    bool Start(WorkerIndex index, WorkerBody body, std::function<void()> interrupt = {});
    bool Running(WorkerIndex index) const;

    // Signals every stop event without waiting (Shutdown does it too).
    void RequestStop();
    // Writes the outcome to the debug output with the texts the diagnostics expect.
    ShutdownOutcome Shutdown(int timeoutMs);
    // A shutdown ran out of time with workers still running: they were given up on, and the
    // destructor does not wait for them a second time.
    bool GaveUp() const { return gaveUp_; }

private:
    // Signals every stop event and joins the workers that end within the limit.
    bool StopAndJoin(int timeoutMs);

    static constexpr int kDestructorLimitMs = 10000;
    struct Slot;
    std::array<std::shared_ptr<Slot>, kWorkerCount> slots_;
    bool gaveUp_ = false;
};

// Debug texts of the shutdown outcome.
inline constexpr const char* kShutdownAllEndedText = "所有对象处于激发状态\n";
inline constexpr const char* kShutdownTimedOutText = "所有对象处于非激发状态，超时\n";
inline constexpr const char* kShutdownErrorText = "错误\n";

}  // namespace corvane::workers
