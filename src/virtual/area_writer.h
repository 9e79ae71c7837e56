#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "virtual/device_memory.h"
#include "virtual/firmware.h"

namespace corvane::virt {

// Writes a device's memory areas to its folder on a thread of its own, so a transfer never waits
// for the disk. Areas queued while a write is under way are written once more afterwards with
// their newest contents.
class AreaWriter {
public:
    using Snapshot = std::function<std::vector<std::uint8_t>(MemoryArea)>;

    AreaWriter(std::filesystem::path folder, Snapshot snapshot);
    ~AreaWriter();  // writes whatever is queued, then stops
    AreaWriter(const AreaWriter&) = delete;
    AreaWriter& operator=(const AreaWriter&) = delete;

    void Queue(AreaMask areas);
    // Returns once everything queued before the call is on disk.
    void Flush();

private:
    void Run();

    const std::filesystem::path folder_;
    const Snapshot snapshot_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable written_;
    AreaMask queued_ = 0;
    std::uint64_t queuedSeq_ = 0;
    std::uint64_t writtenSeq_ = 0;
    bool stopping_ = false;
    std::thread thread_;  // last: starts after everything it uses
};

}  // namespace corvane::virt
