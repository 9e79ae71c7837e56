#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::platform {

// One writer thread for the settings files, so that saving never waits on a disk. Each file is
// replaced whole and atomically (platform/atomic_file), in the order the writes were handed
// over; a file whose earlier write still waits gets only the newest bytes. An existing file
// whose name differs only in letter case is the one replaced. A write that fails is reported
// like every failed save (platform/save_failures.h), on the writer thread.
class SettingsWriter {
public:
    struct Stats {
        std::uint64_t written = 0;    // files replaced
        std::uint64_t collapsed = 0;  // writes that replaced a waiting one of the same file
        std::uint64_t failed = 0;
        std::size_t maxWaiting = 0;
    };

    SettingsWriter();
    // Writes everything still waiting, then ends the thread.
    ~SettingsWriter();
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;

    void Write(std::string path, std::vector<std::uint8_t> bytes);
    // Waits until everything handed over so far is on disk (or failed); false when timeoutMs
    // (negative: no limit) ran out first.
    bool Flush(int timeoutMs = -1);
    // Nothing waits and nothing is being written.
    bool Idle() const;

    Stats GetStats() const;
    void ResetStats();

private:
    struct Pending {
        std::string path;
        std::vector<std::uint8_t> bytes;
    };
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Pending> waiting_;
    bool writing_ = false;
    bool stopping_ = false;
    Stats stats_;
    std::thread thread_;
};

}  // namespace corvane::platform
