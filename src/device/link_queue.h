#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/device_link.h"

namespace corvane::device {

// One I/O thread per DeviceLink with an ordered queue, so that the UI thread only enqueues and
// never waits on a device. Each request runs with the link's lock held from its first report to
// its last, so it never interleaves with another thread's transfers on the same device (the
// presence watcher holds the same lock for its whole pass).
//
// Results go back through the poster (the UI thread's queue) in the order the requests were
// made. User requests and the lighting flush run first-in first-out; preview frames run only
// when no user request waits, and at most one frame waits: a newer frame replaces it.
class LinkQueue {
public:
    using Work = std::function<int(DeviceLink&)>;  // I/O thread, link lock held
    using Done = std::function<void(int result)>;  // the poster's thread, in request order
    using Poster = std::function<void(std::function<void()>)>;

    struct Stats {
        std::size_t depth = 0;      // waiting or running now
        std::size_t maxDepth = 0;   // the most that waited or ran at once
        std::uint64_t requests = 0;  // user requests run
        std::uint64_t failures = 0;  // of which failed (result below kSuccess)
        std::uint64_t frames = 0;    // preview frames sent
        std::uint64_t framesReplaced = 0;  // frames dropped for a newer one before they went out
        std::string lastFailure;     // what failed last, with its code
    };

    // name: the I/O thread's name for top and perf.
    LinkQueue(DeviceLink& link, Poster post, std::string name = "cv-link");
    // Stops the thread (see Stop).
    ~LinkQueue();
    LinkQueue(const LinkQueue&) = delete;
    LinkQueue& operator=(const LinkQueue&) = delete;

    // User requests and the lighting flush: first in, first out, always before preview frames.
    // `what` names the request in logs and statistics.
    void Submit(std::string what, Work work, Done done = {});
    // The same for a request that must not be cut short (an upload: half of it would leave the
    // device's memory half written). See AwaitUnbroken.
    void SubmitUnbroken(std::string what, Work work, Done done = {});
    // A preview frame (command 18 colours); at most one waits, a newer one replaces it. `gone`,
    // when given, runs once the frame has been sent, replaced by a newer one or dropped (on the
    // I/O thread, or on the caller's for a frame refused at once), so a sender can pace itself by
    // its frames as it would by sending them itself.
    using FrameGone = std::function<void()>;
    void SubmitPreview(std::vector<std::uint8_t> colours, FrameGone gone = {});

    // No user request waits or runs and every result has been delivered. Preview frames do not
    // count: while an effect plays they stream without end.
    bool Idle() const;
    // Whether a request with this name waits (not yet started).
    bool Waiting(const std::string& what) const;

    // For the end of the program, before the link's transfers are aborted: while an unbroken
    // request runs or waits, lets the queue run on until it has ended, at most timeoutMs. True
    // when none is left.
    bool AwaitUnbroken(int timeoutMs);

    // Refuses new requests, drops the waiting ones (their results are not delivered) and joins
    // the thread once the running request has ended. Aborting the transfer of a running request
    // is the link's business (DeviceLink::Abort). Idempotent.
    void Stop();

    Stats GetStats() const;
    void ResetStats();

private:
    struct Request {
        std::string what;
        Work work;
        Done done;
        bool unbroken = false;
    };
    // Shared with the closures handed to the poster, which may run after the queue is gone.
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<Request> requests;
        std::optional<std::vector<std::uint8_t>> frame;
        FrameGone frameGone;        // of the frame that waits
        bool running = false;       // a user request
        bool runningUnbroken = false;
        bool sendingFrame = false;
        bool stopping = false;
        std::size_t undelivered = 0;
        Stats stats;
    };

    void Enqueue(Request request);
    void Run();
    void Finish(Request& request, int result);
    std::size_t DepthLocked() const;

    DeviceLink& link_;
    Poster post_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace corvane::device
