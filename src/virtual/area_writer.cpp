#include "virtual/area_writer.h"

#include "platform/thread_name.h"
#include "virtual/memory_files.h"

namespace corvane::virt {

AreaWriter::AreaWriter(std::filesystem::path folder, Snapshot snapshot)
    : folder_(std::move(folder)), snapshot_(std::move(snapshot)), thread_([this] {
          platform::NameThisThread("cv-dev-memory");
          Run();
      }) {}

AreaWriter::~AreaWriter() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void AreaWriter::Queue(AreaMask areas) {
    if (areas == 0) return;
    {
        std::lock_guard guard(mutex_);
        queued_ |= areas;
        ++queuedSeq_;
    }
    wake_.notify_all();
}

void AreaWriter::Flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = queuedSeq_;
    written_.wait(lock, [&] { return writtenSeq_ >= target; });
}

void AreaWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return queued_ != 0 || stopping_; });
        if (queued_ == 0 && stopping_) return;
        const AreaMask areas = queued_;
        const std::uint64_t seq = queuedSeq_;
        queued_ = 0;
        lock.unlock();
        for (MemoryArea area : kPersistentAreas) {
            if ((areas & MaskOf(area)) == 0) continue;
            // Taken now, so the file gets the newest contents even if the queueing was earlier.
            const std::vector<std::uint8_t> bytes = snapshot_(area);
            if (!bytes.empty()) StoreArea(folder_, area, bytes);
        }
        lock.lock();
        writtenSeq_ = seq;
        written_.notify_all();
    }
}

}  // namespace corvane::virt
