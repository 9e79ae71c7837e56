#pragma once

#include <cstdint>

#include "device/device_kind.h"
#include "device/device_link.h"
#include "device/link_queue.h"
#include "platform/settings_writer.h"

namespace corvane::scripting {

// What the script channel needs of the program's window: the devices it reports on, whether the
// program is idle or closing, the figures of "stats", and the close path. The window implements
// it; the channel sees nothing else of the program. Every call is made on the UI thread.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // The close path has run (commands are refused from then on) / runs it now.
    virtual bool Destroyed() const = 0;
    virtual void Destroy() = 0;

    virtual const device::DeviceLink& Link(device::DeviceKind kind) const = 0;
    // The device's arrival has run to its end since it was last connected.
    virtual bool ArrivalComplete(device::DeviceKind kind) const = 0;
    // The slot the device's images say is active (only meaningful once its arrival is complete).
    virtual int ActiveSlot(device::DeviceKind kind) const = 0;
    // No lighting record waits, every link queue is empty and every settings file is on disk.
    virtual bool IoIdle() const = 0;

    // The figures of "stats": how late the UI thread has been, each link's queue, the writer.
    struct UiStalls {
        std::int64_t maxStallMs = 0;
        std::uint64_t stallsOver50ms = 0;
    };
    virtual UiStalls Stalls() const = 0;
    virtual device::LinkQueue::Stats QueueStats(device::DeviceKind kind) const = 0;
    virtual platform::SettingsWriter::Stats WriterStats() const = 0;
    virtual void ResetStats() = 0;
};

}  // namespace corvane::scripting
