#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "device/device_kind.h"
#include "device/hid_backend.h"
#include "device/hid_channel.h"
#include "workers/worker_set.h"

namespace corvane::workers {

// What a device announces on its consumer-control collection, and what the window does with it.
// A row with message 0 sends nothing: it raises the pad's flash request instead.
struct ConsumerUsageRow {
    device::DeviceKind kind;
    std::uint16_t usage;
    std::uint32_t message;  // window message sent, and waited for, on the UI thread
};
inline constexpr std::uint16_t kUsageSlotSwitched = 0x401;
inline constexpr std::uint16_t kUsageRestored = 0x402;
inline constexpr std::uint16_t kUsagePadFlash = 0x403;
inline constexpr std::uint32_t kNoMessage = 0;
inline constexpr ConsumerUsageRow kConsumerUsages[] = {
    {device::DeviceKind::Keyboard, kUsageSlotSwitched, 0xB02},
    {device::DeviceKind::Keyboard, kUsageRestored, 0xB01},
    {device::DeviceKind::Mouse, kUsageSlotSwitched, 0x902},
    {device::DeviceKind::Mouse, kUsageRestored, 0x901},
    {device::DeviceKind::Mouse, kUsagePadFlash, kNoMessage},
};

// The row for a usage a device reported; none for a usage the device does not announce.
std::optional<ConsumerUsageRow> FindConsumerUsage(device::DeviceKind kind, std::uint16_t usage);

// What a consumer watcher asks of the window. Called from the watcher's thread.
class ConsumerHost {
public:
    virtual ~ConsumerHost() = default;
    // Runs the message's handler on the UI thread and waits for it; false when the window no
    // longer takes calls (shutting down).
    virtual bool SendMessage(std::uint32_t message) = 0;
    virtual void RaisePadFlash() = 0;
};

struct ConsumerTiming {
    int stopPollMs = 1;
    int readTimeoutMs = 500;
    int foundPauseMs = 100;
    int searchPauseMs = 1000;
};

// The first usage of the first input item when `report` (as read) is one of the collection's own
// input reports; none for a report of another collection or a field that was not in it. The items
// are unpacked from the report.
std::optional<std::uint16_t> ConsumerUsageOf(std::span<const std::uint8_t> report,
                                             device::HidChannel& channel);

// Listens for the device's own events (keyboard or mouse) on a channel of its own that lives as
// long as the watcher. Run is the thread body: it ends when the stop event is signalled or when
// enumeration fails.
class ConsumerWatcher {
public:
    ConsumerWatcher(device::DeviceKind kind, device::HidBackend& backend, ConsumerHost& host,
                    ConsumerTiming timing = {});
    ConsumerWatcher(const ConsumerWatcher&) = delete;
    ConsumerWatcher& operator=(const ConsumerWatcher&) = delete;

    void Run(WorkerContext& context);
    // Any thread, after the stop event was signalled: ends a read in progress.
    void Interrupt() { channel_.AbortTransfers(); }

private:
    enum class Search { Found, NotFound, EnumerationFailed };
    Search FindDevice();
    // Reads until the device goes or a stop is requested; true when a stop ended it.
    bool Listen(WorkerContext& context);
    void Act(std::uint16_t usage);

    const device::DeviceKind kind_;
    device::HidBackend& backend_;
    ConsumerHost& host_;
    const ConsumerTiming timing_;
    device::HidChannel channel_;
    bool found_ = false;
};

const char* ConsumerExitText(device::DeviceKind kind);

}  // namespace corvane::workers
