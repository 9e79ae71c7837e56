#include "widgets/call_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "platform/tick.h"

namespace corvane::widgets {

CallQueue::CallQueue() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CallQueue::~CallQueue() {
    RejectWaitingCalls();
    if (wakeFd_ >= 0) close(wakeFd_);
}

void CallQueue::Wake() {
    const std::uint64_t one = 1;
    // A full counter still wakes the reader; nothing to do on failure.
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
}

void CallQueue::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(Job{std::move(fn), nullptr, platform::TickMs()});
    }
    Wake();
}

bool CallQueue::SendAndWait(std::function<void()> fn) {
    auto ticket = std::make_shared<Ticket>();
    std::unique_lock lock(mutex_);
    if (!acceptWaiting_) return false;
    jobs_.push_back(Job{std::move(fn), ticket, platform::TickMs()});
    lock.unlock();
    Wake();
    lock.lock();
    done_.wait(lock, [&] { return ticket->state != State::Pending && ticket->state != State::Running; });
    return ticket->state != State::Abandoned;
}

void CallQueue::RejectWaitingCalls() {
    std::lock_guard lock(mutex_);
    acceptWaiting_ = false;
    for (auto& job : jobs_) {
        if (job.ticket && job.ticket->state == State::Pending) job.ticket->state = State::Abandoned;
    }
    done_.notify_all();
}

void CallQueue::AcceptWaitingCalls() {
    std::lock_guard lock(mutex_);
    acceptWaiting_ = true;
}

void CallQueue::Drain() {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read_ = read(wakeFd_, &count, sizeof count);
    while (true) {
        Job job;
        {
            std::lock_guard lock(mutex_);
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            if (job.ticket) {
                if (job.ticket->state == State::Abandoned) continue;
                job.ticket->state = State::Running;
            }
        }
        if (observer_) observer_(static_cast<std::int64_t>(platform::TickMs() - job.queuedMs));
        running_.push_back(job.ticket);
        job.fn();
        running_.pop_back();
        if (job.ticket) {
            std::lock_guard lock(mutex_);
            job.ticket->state = State::Done;
            done_.notify_all();
        }
    }
}

void CallQueue::RunHere(const std::function<void()>& fn) {
    running_.push_back(nullptr);
    fn();
    running_.pop_back();
}

CallQueue::Sender CallQueue::CurrentSender() {
    if (running_.empty() || !running_.back()) return {};
    return Sender(this, running_.back());
}

void CallQueue::Sender::Release() {
    if (!ticket_) return;
    std::lock_guard lock(queue_->mutex_);
    if (ticket_->state != State::Running) return;
    ticket_->state = State::Released;
    queue_->done_.notify_all();
}

}  // namespace corvane::widgets
