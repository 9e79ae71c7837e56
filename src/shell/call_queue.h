#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace corvane::shell {

// Closures handed to the UI thread by other threads. A sender wakes the UI thread through an
// eventfd (the UI thread watches WakeFd()); the queue's own mutex orders the closure's data
// between the threads, so nothing shared passes through the toolkit.
class CallQueue {
public:
    CallQueue();
    ~CallQueue();
    CallQueue(const CallQueue&) = delete;
    CallQueue& operator=(const CallQueue&) = delete;

    int WakeFd() const { return wakeFd_; }

    void Post(std::function<void()> fn);
    // Queues fn and waits until the UI thread has run it. False when the queue stopped taking
    // waiting calls before fn started.
    bool SendAndWait(std::function<void()> fn);
    // Pending and future SendAndWait calls return false; a closure already running finishes.
    void RejectWaitingCalls();
    void AcceptWaitingCalls();

    // On the UI thread: runs everything queued so far, in order.
    void Drain();

private:
    enum class State { Pending, Running, Done, Abandoned };
    struct Ticket {
        State state = State::Pending;
    };
    struct Job {
        std::function<void()> fn;
        std::shared_ptr<Ticket> ticket;  // null for posted closures
    };
    void Wake();

    int wakeFd_ = -1;
    std::mutex mutex_;
    std::condition_variable done_;
    std::deque<Job> jobs_;
    bool acceptWaiting_ = true;
};

}  // namespace corvane::shell
