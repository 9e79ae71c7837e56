#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane::widgets {

// Closures handed to the UI thread by other threads. A sender wakes the UI thread through an
// eventfd (the UI thread watches WakeFd()); the queue's own mutex orders the closure's data
// between the threads, so nothing shared passes through the toolkit.
class CallQueue {
    struct Ticket;

public:
    // The thread waiting in SendAndWait for one call, which that call may let go before it ends.
    class Sender {
    public:
        Sender() = default;
        // The sender's SendAndWait returns true now; the call runs on, and from here on must not
        // touch anything of the sender's (its stack is gone). Once only; later calls do nothing.
        void Release();
        explicit operator bool() const { return ticket_ != nullptr; }

    private:
        friend class CallQueue;
        Sender(CallQueue* queue, std::shared_ptr<Ticket> ticket) : queue_(queue), ticket_(std::move(ticket)) {}
        CallQueue* queue_ = nullptr;
        std::shared_ptr<Ticket> ticket_;
    };

    CallQueue();
    ~CallQueue();
    CallQueue(const CallQueue&) = delete;
    CallQueue& operator=(const CallQueue&) = delete;

    int WakeFd() const { return wakeFd_; }
    // Told on the UI thread, before each call runs, how long it waited (ms). Set before any drain.
    void SetLatencyObserver(std::function<void(std::int64_t)> observer) { observer_ = std::move(observer); }

    void Post(std::function<void()> fn);
    // Queues fn and waits until the UI thread has run it. False when the queue stopped taking
    // waiting calls before fn started.
    bool SendAndWait(std::function<void()> fn);
    // Pending and future SendAndWait calls return false; a closure already running finishes.
    void RejectWaitingCalls();
    void AcceptWaitingCalls();

    // On the UI thread: runs everything queued so far, in order.
    void Drain();
    // On the UI thread: runs fn at once, as a call nobody waits for.
    void RunHere(const std::function<void()>& fn);
    // On the UI thread, inside a call: the sender of the innermost call that runs now; empty for
    // a posted call or outside any call.
    Sender CurrentSender();

private:
    enum class State { Pending, Running, Released, Done, Abandoned };
    struct Ticket {
        State state = State::Pending;
    };
    struct Job {
        std::function<void()> fn;
        std::shared_ptr<Ticket> ticket;  // null for posted closures
        std::uint64_t queuedMs = 0;
    };
    void Wake();

    int wakeFd_ = -1;
    std::mutex mutex_;
    std::condition_variable done_;
    std::deque<Job> jobs_;
    bool acceptWaiting_ = true;
    // The calls running on the UI thread, innermost last (a call may drain again); UI thread only.
    std::vector<std::shared_ptr<Ticket>> running_;
    std::function<void(std::int64_t)> observer_;  // UI thread only
};

}  // namespace corvane::widgets
