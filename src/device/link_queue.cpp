#include "device/link_queue.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "device/report_packet.h"
#include "platform/thread_name.h"

namespace corvane::device {

LinkQueue::LinkQueue(DeviceLink& link, Poster post, std::string name)
    : link_(link), post_(std::move(post)), shared_(std::make_shared<Shared>()) {
    thread_ = std::thread([this, name = std::move(name)] {
        platform::NameThisThread(name);
        Run();
    });
}

LinkQueue::~LinkQueue() { Stop(); }

std::size_t LinkQueue::DepthLocked() const {
    return shared_->requests.size() + (shared_->frame ? 1 : 0) + (shared_->running ? 1 : 0) +
           (shared_->sendingFrame ? 1 : 0);
}

void LinkQueue::Submit(std::string what, Work work, Done done) {
    Enqueue({std::move(what), std::move(work), std::move(done)});
}

void LinkQueue::SubmitUnbroken(std::string what, Work work, Done done) {
    Enqueue({std::move(what), std::move(work), std::move(done), /*unbroken=*/true});
}

void LinkQueue::Enqueue(Request request) {
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->stopping) return;
        shared_->requests.push_back(std::move(request));
        shared_->stats.maxDepth = std::max(shared_->stats.maxDepth, DepthLocked());
    }
    shared_->wake.notify_all();
}

bool LinkQueue::AwaitUnbroken(int timeoutMs) {
    std::unique_lock lock(shared_->mutex);
    return shared_->wake.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                  [&] {
                                      return !shared_->runningUnbroken &&
                                             std::none_of(shared_->requests.begin(), shared_->requests.end(),
                                                          [](const Request& r) { return r.unbroken; });
                                  });
}

void LinkQueue::SubmitPreview(std::vector<std::uint8_t> colours, FrameGone gone) {
    FrameGone replaced;
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->stopping) {
            replaced = std::move(gone);
        } else {
            if (shared_->frame) ++shared_->stats.framesReplaced;
            replaced = std::exchange(shared_->frameGone, std::move(gone));
            shared_->frame = std::move(colours);
            shared_->stats.maxDepth = std::max(shared_->stats.maxDepth, DepthLocked());
        }
    }
    if (replaced) replaced();
    shared_->wake.notify_all();  // the I/O thread, and anyone in AwaitUnbroken
}

bool LinkQueue::Idle() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->requests.empty() && !shared_->running &&
           (shared_->stopping || shared_->undelivered == 0);
}

bool LinkQueue::Waiting(const std::string& what) const {
    std::lock_guard lock(shared_->mutex);
    return std::any_of(shared_->requests.begin(), shared_->requests.end(),
                       [&](const Request& r) { return r.what == what; });
}

void LinkQueue::Stop() {
    FrameGone dropped;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        shared_->requests.clear();
        shared_->frame.reset();
        dropped = std::exchange(shared_->frameGone, {});
    }
    if (dropped) dropped();
    shared_->wake.notify_all();
    if (thread_.joinable()) thread_.join();
}

LinkQueue::Stats LinkQueue::GetStats() const {
    std::lock_guard lock(shared_->mutex);
    Stats stats = shared_->stats;
    stats.depth = DepthLocked();
    return stats;
}

void LinkQueue::ResetStats() {
    std::lock_guard lock(shared_->mutex);
    shared_->stats = Stats{};
    shared_->stats.maxDepth = DepthLocked();
}

void LinkQueue::Run() {
    for (;;) {
        std::optional<Request> request;
        std::optional<std::vector<std::uint8_t>> frame;
        FrameGone frameGone;
        {
            std::unique_lock lock(shared_->mutex);
            shared_->wake.wait(lock, [&] {
                return shared_->stopping || !shared_->requests.empty() || shared_->frame;
            });
            if (shared_->stopping) return;
            if (!shared_->requests.empty()) {
                request = std::move(shared_->requests.front());
                shared_->requests.pop_front();
            } else {
                frame = std::move(shared_->frame);
                shared_->frame.reset();
                frameGone = std::exchange(shared_->frameGone, {});
            }
            (request ? shared_->running : shared_->sendingFrame) = true;
            shared_->runningUnbroken = request && request->unbroken;
        }
        if (request) {
            int result = kNoAnswer;
            {
                std::lock_guard linkLock(link_.Lock());
                result = request->work ? request->work(link_) : kSuccess;
            }
            Finish(*request, result);
        } else {
            {
                std::lock_guard linkLock(link_.Lock());
                // A frame that does not arrive is made good by the next one; nothing to report.
                static_cast<void>(link_.SendPreviewColors(*frame));
            }
            {
                std::lock_guard lock(shared_->mutex);
                ++shared_->stats.frames;
                shared_->sendingFrame = false;
            }
            if (frameGone) std::exchange(frameGone, {})();
        }
    }
}

void LinkQueue::Finish(Request& request, int result) {
    {
        std::lock_guard lock(shared_->mutex);
        ++shared_->stats.requests;
        if (result < kSuccess) {
            ++shared_->stats.failures;
            shared_->stats.lastFailure = request.what + ": " + std::to_string(result);
        }
        shared_->running = false;
        shared_->runningUnbroken = false;
        // Someone may wait for an unbroken request to end (AwaitUnbroken).
        shared_->wake.notify_all();
        if (!request.done || shared_->stopping) return;
        // Counted until the poster's thread has run it, so Idle() covers the delivery too.
        ++shared_->undelivered;
    }
    post_([shared = shared_, done = std::move(request.done), result] {
        {
            std::lock_guard lock(shared->mutex);
            --shared->undelivered;
            if (shared->stopping) return;
        }
        done(result);
    });
}

}  // namespace corvane::device
