#include "platform/settings_writer.h"

#include <algorithm>
#include <chrono>
#include <span>

#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/thread_name.h"

namespace corvane::platform {

SettingsWriter::SettingsWriter() {
    thread_ = std::thread([this] {
        NameThisThread("cv-settings");
        Run();
    });
}

SettingsWriter::~SettingsWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SettingsWriter::Write(std::string path, std::vector<std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        // A waiting write of the same file is superseded; the newest goes to the back, so the
        // files are written in the order of their latest saves.
        const auto same = std::find_if(waiting_.begin(), waiting_.end(),
                                       [&](const Pending& p) { return p.path == path; });
        if (same != waiting_.end()) {
            waiting_.erase(same);
            ++stats_.collapsed;
        }
        waiting_.push_back({std::move(path), std::move(bytes)});
        stats_.maxWaiting = std::max(stats_.maxWaiting, waiting_.size());
    }
    wake_.notify_one();
}

bool SettingsWriter::Flush(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto drained = [&] { return waiting_.empty() && !writing_; };
    if (timeoutMs < 0) {
        done_.wait(lock, drained);
        return true;
    }
    return done_.wait_for(lock, std::chrono::milliseconds(timeoutMs), drained);
}

bool SettingsWriter::Idle() const {
    std::lock_guard lock(mutex_);
    return waiting_.empty() && !writing_;
}

SettingsWriter::Stats SettingsWriter::GetStats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

void SettingsWriter::ResetStats() {
    std::lock_guard lock(mutex_);
    stats_ = Stats{};
}

void SettingsWriter::Run() {
    for (;;) {
        Pending next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
            // Stopping still writes what was handed over: a save is never dropped.
            if (waiting_.empty()) return;
            next = std::move(waiting_.front());
            waiting_.pop_front();
            writing_ = true;
        }
        // An existing file of another spelling is the same file to the user; replace that one.
        const std::string target = ResolveCaseInsensitive(next.path).value_or(next.path);
        const bool ok = WriteFileAtomically(target, std::span<const std::uint8_t>(next.bytes));
        {
            std::lock_guard lock(mutex_);
            ++(ok ? stats_.written : stats_.failed);
        }
        {
            std::lock_guard lock(mutex_);
            writing_ = false;
        }
        done_.notify_all();
    }
}

}  // namespace corvane::platform
