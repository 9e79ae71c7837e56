#pragma once

#include <chrono>
#include <condition_variable>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <string>
#include <vector>

#include "device/device_kind.h"
#include "device/hid_backend.h"
#include "device/report_packet.h"
#include "virtual/area_writer.h"
#include "virtual/device_memory.h"
#include "virtual/firmware.h"

namespace corvane::virt {

// The two HID collections of a device, each its own interface path.
enum class Collection : std::uint8_t { Vendor, Consumer };

enum class FaultKind : std::uint8_t {
    NoAnswer,              // the request is lost: not executed, never answered
    WriteFails,            // the write itself fails
    StatusError,           // executed, answered with status 0xFF
    StatusBusy,            // executed, answered with status 0xFE
    RemoveDuringTransfer,  // executed, then the device is unplugged before it answers
    ShortAnswer,           // executed, the answer arrives truncated to kShortAnswerLength bytes
    WrongReportId,         // executed, the answer carries another report id
    GarbageAnswer,         // executed, the answer's bytes after the id are noise
    LateAnswer,            // executed, answered kLateAnswerDelay after the request: too late
};

// Short names for scripts and logs ("no-answer", "late-answer", ...), and back.
std::string_view FaultName(FaultKind kind);
std::optional<FaultKind> FaultFromName(std::string_view name);
// Every fault kind, in declaration order.
std::span<const FaultKind> AllFaultKinds();

// A fault hits `count` consecutive request packets starting with packet `atPacket` (1 = the first
// packet written after the last ResetPacketCount); kEveryPacket makes it permanent from there.
struct Fault {
    FaultKind kind = FaultKind::NoAnswer;
    std::size_t atPacket = 1;
    std::size_t count = 1;
};
inline constexpr std::size_t kEveryPacket = 0;
inline constexpr std::size_t kShortAnswerLength = 6;
// Added to an answer's way back: it arrives 40 ms after the 300 ms a link waits for it, as late
// answers of real devices do (25 to 50 ms past the limit).
inline constexpr std::chrono::milliseconds kLateAnswerDelay{340};
// The request record keeps the most recent requests only, so a long run does not grow it.
inline constexpr std::size_t kRequestLogLimit = 8192;

// One virtual peripheral: firmware, memory, the HID collections it exposes, plug state, latency
// model, fault injection and a record of what it received. Any thread may call anything.
class VirtualDevice : public std::enable_shared_from_this<VirtualDevice> {
public:
    static std::shared_ptr<VirtualDevice> Create(
        device::DeviceKind kind, unsigned instance = 0,
        std::optional<std::filesystem::path> memoryFolder = std::nullopt);
    ~VirtualDevice();
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    device::DeviceKind Kind() const { return kind_; }
    std::uint16_t VendorId() const { return device::kVendorId; }
    std::uint16_t ProductId() const { return device::ProductIdOf(kind_); }
    bool HasCollection(Collection collection) const;
    // e.g. "virtual/keyboard/0#vid_1a2c&pid_4c5e&col01"
    std::string Path(Collection collection) const;
    // The device's interface paths, vendor collection first; empty while unplugged.
    std::vector<std::string> Paths() const;

    // Unplugging ends every transfer waiting on it with Gone; handles opened before stay dead
    // even after the device is plugged in again, as with a real device.
    void Plug();
    void Unplug();
    bool IsPlugged() const;

    // Each report takes `latency` to cross: the firmware sees a request `latency` after it was
    // written and its answer becomes readable `latency` after that. As with hidraw, the write
    // returns at once; whoever waits for the answer waits for both crossings. Answers leave in
    // the order their requests came, so a late answer holds back every answer after it.
    void SetLatency(std::chrono::nanoseconds latency);
    std::chrono::nanoseconds Latency() const;

    void InjectFault(const Fault& fault);
    // A fault that hits `count` requests (kEveryPacket: all) starting with the nth written from
    // now on (1 = the next one).
    void InjectFaultFromNow(FaultKind kind, std::size_t nth, std::size_t count);
    void ClearFaults();
    void ResetPacketCount();
    std::size_t PacketCount() const;  // packets written since the last reset

    // Whether an answer repeats its request's command, length and offset (the default). Without
    // it the command and offset bytes of every answer are 0, as on a device that fills in only
    // the status and the data; a read's length is still given.
    void SetEchoesRequests(bool echoes);

    // As hidraw has it: the device's collections are one node, every report the device sends
    // reaches every open handle of either collection, and any handle may write a request.
    // Without it each collection is an interface of its own, as the platform's HID stack
    // presents them elsewhere: answers go to the vendor handles, events to the consumer ones.
    void SetSharedNode(bool shared);

    // Queues a press and a release of `usage` on every open consumer-control handle (every open
    // handle on a shared node); returns the number of handles that will see it (0 when nobody
    // listens or the device has no such collection).
    std::size_t RaiseConsumerEvent(std::uint16_t usage);
    // Waits until every request written so far has been answered and every report queued for the
    // open handles has become readable (the latency model and late answers delay them).
    void SettleInputs();

    // The buttons on the device, as a person presses them. The slot button makes slot (0..4)
    // the active one and announces it (usage 0x401); the restore button brings back the factory
    // settings and announces it (0x402); the mouse's flash button announces 0x403. False when
    // the device has no such button, is unplugged or the slot is out of range.
    bool PressSlotButton(std::uint8_t slot);
    bool PressRestoreButton();
    bool PressFlashButton();

    // Preview frames received since the device was made, and the last colours, 3 bytes per zone.
    std::uint64_t PreviewFrames() const;
    std::vector<std::uint8_t> PreviewColours() const;

    // Requests that reached the device (lost ones included, failed writes not), oldest first;
    // at most the last kRequestLogLimit.
    std::vector<device::ReportPacket> Requests() const;
    std::size_t RequestCount(device::Command command) const;
    void ClearRequests();
    std::size_t WriteAttempts() const;  // every write, failed ones included

    std::vector<std::uint8_t> Memory(MemoryArea area) const;
    // The on-device slot the device plays (byte 0 of its parameter area).
    int ActiveSlot() const;
    // False when the bytes do not fit the area.
    bool SetMemory(MemoryArea area, std::size_t offset, std::span<const std::uint8_t> bytes);
    void RestoreFactory();
    bool InSettingMode() const;
    // Writes every changed area to the memory folder and waits for it (no-op without one).
    void Persist();
    // Waits until the areas already due to be written are on disk.
    void WaitForWrites();

    // Backend side: null while unplugged or for a collection the device does not have.
    std::unique_ptr<device::HidDevice> Open(Collection collection,
                                            const device::HidOpenOptions& options);

private:
    struct PendingInput {
        std::array<std::uint8_t, device::kReportSize> bytes{};
        std::size_t size = 0;
        std::chrono::steady_clock::time_point readyAt;
    };
    struct HandleState {
        Collection collection;
        device::HidOpenOptions options;
        std::uint64_t generation = 0;
        std::uint64_t abortEpoch = 0;
        // Its last request gets no (further) answer: a read with nothing queued need not wait.
        bool expectNoAnswer = false;
        // Requests written on this handle that the device has not acted on yet.
        std::size_t requestsInFlight = 0;
        std::deque<PendingInput> inputs;
        // A read waits here: only what concerns this handle wakes it (its input, its abort, the
        // device going), not every transfer of the device.
        std::condition_variable readable;
    };
    // A request on its way: the device acts on it once it has been seen (see Write).
    struct InFlight {
        device::ReportPacket request;
        std::optional<FaultKind> fault;
        std::chrono::steady_clock::time_point seenAt;
        std::chrono::steady_clock::time_point answerAt;
        HandleState* origin = nullptr;  // null once that handle is closed
    };
    class Handle;

    VirtualDevice(device::DeviceKind kind, unsigned instance,
                  std::optional<std::filesystem::path> memoryFolder);

    device::TransferStatus Write(HandleState& handle, std::span<const std::uint8_t> report,
                                 int timeoutMs, std::size_t& bytesWritten);
    device::TransferStatus Read(HandleState& handle, std::span<std::uint8_t> buffer,
                                int timeoutMs, std::size_t& bytesRead);
    void Abort(HandleState& handle);
    void Release(HandleState* handle);

    bool AliveLocked(const HandleState& handle) const;
    // Whether a handle of this collection gets reports meant for `collection`.
    bool ReceivesLocked(const HandleState& handle, Collection collection) const;
    // Queues a report on every live handle that receives `collection`; the handle count.
    std::size_t DeliverLocked(Collection collection, const PendingInput& input);
    void UnplugLocked();
    // Acts on every request in flight that the device has seen by now, so that whatever looks at
    // or changes the device finds them done, in the order they arrived.
    // Const for the readers: what the device has done by now is part of what they read.
    void CatchUpLocked() const;
    void ExecuteLocked(const InFlight& flight);
    // When the earliest request in flight is seen; max() when none is.
    std::chrono::steady_clock::time_point NextSeenLocked() const;
    // Wakes the readers that get answers, so they wait for a request written after they began.
    void NotifyAnswerReadersLocked();
    std::optional<FaultKind> FaultAtLocked(std::size_t packet) const;
    void QueueWrite(AreaMask areas);

    const device::DeviceKind kind_;
    const unsigned instance_;
    const std::optional<std::filesystem::path> folder_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Firmware firmware_;
    bool plugged_ = true;
    std::uint64_t generation_ = 1;
    std::chrono::nanoseconds latency_{0};
    bool sharedNode_ = false;
    bool echoesRequests_ = true;
    // Requests in the order the device sees them, and when the last answer leaves.
    std::deque<InFlight> inFlight_;
    std::chrono::steady_clock::time_point lastAnswerAt_{};
    std::vector<Fault> faults_;
    std::size_t packetCount_ = 0;
    std::size_t writeAttempts_ = 0;
    std::deque<device::ReportPacket> requests_;
    std::vector<HandleState*> handles_;

    // Present with a memory folder; declared last so it stops before the memory it reads.
    std::unique_ptr<AreaWriter> writer_;
};

}  // namespace corvane::virt
