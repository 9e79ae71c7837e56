#include "virtual/virtual_device.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "device/device_images.h"

#include "virtual/memory_files.h"
#include "virtual/virtual_descriptors.h"

namespace corvane::virt {

using device::TransferStatus;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint16_t kVersionNumber = 0x0107;
constexpr std::uint8_t kWrongReportId = 0x05;
// Consumer usages are 16-bit little-endian after the report id.
constexpr std::size_t kConsumerUsageOffset = 1;
// What the device's own buttons announce on its consumer-control collection.
constexpr std::uint16_t kUsageSlotButton = 0x401;
constexpr std::uint16_t kUsageRestoreButton = 0x402;
constexpr std::uint16_t kUsageFlashButton = 0x403;

Clock::time_point DeadlineAfter(Clock::time_point start, int timeoutMs) {
    if (timeoutMs < 0) return Clock::time_point::max();
    return start + std::chrono::milliseconds(timeoutMs);
}

struct FaultNameRow {
    FaultKind kind;
    std::string_view name;
};
constexpr FaultNameRow kFaultNames[] = {
    {FaultKind::NoAnswer, "no-answer"},
    {FaultKind::WriteFails, "write-fail"},
    {FaultKind::StatusError, "status-ff"},
    {FaultKind::StatusBusy, "status-fe"},
    {FaultKind::RemoveDuringTransfer, "unplug-mid-transfer"},
    {FaultKind::ShortAnswer, "short-answer"},
    {FaultKind::WrongReportId, "wrong-id"},
    {FaultKind::GarbageAnswer, "garbage"},
    {FaultKind::LateAnswer, "late-answer"},
};
constexpr std::array<FaultKind, std::size(kFaultNames)> kFaultKinds = [] {
    std::array<FaultKind, std::size(kFaultNames)> kinds{};
    for (std::size_t i = 0; i < kinds.size(); ++i) kinds[i] = kFaultNames[i].kind;
    return kinds;
}();

// A device sends its reports in time order: a report that becomes readable earlier goes before
// one that waits longer (a late answer), whatever the order they were made in.
template <class Queue, class Input>
void InsertInTimeOrder(Queue& inputs, const Input& input) {
    auto at = std::upper_bound(inputs.begin(), inputs.end(), input.readyAt,
                               [](auto readyAt, const Input& queued) { return readyAt < queued.readyAt; });
    inputs.insert(at, input);
}

}  // namespace

std::string_view FaultName(FaultKind kind) {
    for (const FaultNameRow& row : kFaultNames) {
        if (row.kind == kind) return row.name;
    }
    return "?";
}

std::optional<FaultKind> FaultFromName(std::string_view name) {
    for (const FaultNameRow& row : kFaultNames) {
        if (row.name == name) return row.kind;
    }
    return std::nullopt;
}

std::span<const FaultKind> AllFaultKinds() { return kFaultKinds; }

// One open interface of a virtual device. Keeps the device alive as long as it is open.
class VirtualDevice::Handle : public device::HidDevice {
public:
    Handle(std::shared_ptr<VirtualDevice> owner, std::unique_ptr<HandleState> state)
        : owner_(std::move(owner)), state_(std::move(state)) {}
    ~Handle() override { owner_->Release(state_.get()); }

    device::HidAttributes Attributes() const override {
        return {owner_->VendorId(), owner_->ProductId(), kVersionNumber};
    }
    // The whole interface's descriptor; the "colNN" of the path picks the collection in it.
    std::vector<std::uint8_t> ReportDescriptor() const override {
        return InterfaceDescriptor(owner_->HasCollection(Collection::Consumer));
    }
    TransferStatus Read(std::span<std::uint8_t> buffer, int timeoutMs,
                        std::size_t& bytesRead) override {
        return owner_->Read(*state_, buffer, timeoutMs, bytesRead);
    }
    TransferStatus Write(std::span<const std::uint8_t> report, int timeoutMs,
                         std::size_t& bytesWritten) override {
        return owner_->Write(*state_, report, timeoutMs, bytesWritten);
    }
    void Abort() override { owner_->Abort(*state_); }

private:
    std::shared_ptr<VirtualDevice> owner_;
    std::unique_ptr<HandleState> state_;
};

std::shared_ptr<VirtualDevice> VirtualDevice::Create(
    device::DeviceKind kind, unsigned instance, std::optional<std::filesystem::path> memoryFolder) {
    return std::shared_ptr<VirtualDevice>(new VirtualDevice(kind, instance, std::move(memoryFolder)));
}

VirtualDevice::VirtualDevice(device::DeviceKind kind, unsigned instance,
                             std::optional<std::filesystem::path> memoryFolder)
    : kind_(kind),
      instance_(instance),
      folder_(memoryFolder ? std::optional(DeviceFolder(*memoryFolder, kind)) : std::nullopt),
      firmware_(kind, folder_ ? LoadDeviceMemory(kind, *folder_) : FactoryMemory(kind)) {
    if (folder_) {
        writer_ = std::make_unique<AreaWriter>(*folder_, [this](MemoryArea area) {
            std::lock_guard guard(mutex_);
            return firmware_.Memory().Area(area);
        });
    }
}

VirtualDevice::~VirtualDevice() {
    Persist();
    writer_.reset();
}

bool VirtualDevice::HasCollection(Collection collection) const {
    return collection == Collection::Vendor || kind_ != device::DeviceKind::MousePad;
}

std::string VirtualDevice::Path(Collection collection) const {
    char ids[48];
    std::snprintf(ids, sizeof ids, "#vid_%04x&pid_%04x&col%02d", VendorId(), ProductId(),
                  collection == Collection::Vendor ? 1 : 2);
    return "virtual/" + std::string(KindFolderName(kind_)) + "/" + std::to_string(instance_) + ids;
}

std::vector<std::string> VirtualDevice::Paths() const {
    std::vector<std::string> paths;
    if (!IsPlugged()) return paths;
    for (Collection c : {Collection::Vendor, Collection::Consumer}) {
        if (HasCollection(c)) paths.push_back(Path(c));
    }
    return paths;
}

void VirtualDevice::Plug() {
    std::lock_guard guard(mutex_);
    plugged_ = true;
}

void VirtualDevice::Unplug() {
    {
        std::lock_guard guard(mutex_);
        UnplugLocked();
    }
    Persist();
}

void VirtualDevice::UnplugLocked() {
    if (!plugged_) return;
    // What the device has already seen it does before it loses power.
    CatchUpLocked();
    // What it has not seen yet is lost with the power.
    for (const InFlight& flight : inFlight_) {
        if (flight.origin) --flight.origin->requestsInFlight;
    }
    inFlight_.clear();
    lastAnswerAt_ = {};
    plugged_ = false;
    ++generation_;
    firmware_.PowerLoss();
    changed_.notify_all();
    for (HandleState* handle : handles_) handle->readable.notify_all();
}

bool VirtualDevice::IsPlugged() const {
    std::lock_guard guard(mutex_);
    return plugged_;
}

void VirtualDevice::SetLatency(std::chrono::nanoseconds latency) {
    std::lock_guard guard(mutex_);
    latency_ = latency;
}

std::chrono::nanoseconds VirtualDevice::Latency() const {
    std::lock_guard guard(mutex_);
    return latency_;
}

void VirtualDevice::InjectFault(const Fault& fault) {
    std::lock_guard guard(mutex_);
    faults_.push_back(fault);
}

void VirtualDevice::InjectFaultFromNow(FaultKind kind, std::size_t nth, std::size_t count) {
    std::lock_guard guard(mutex_);
    faults_.push_back(Fault{kind, packetCount_ + std::max<std::size_t>(nth, 1), count});
}

void VirtualDevice::SetEchoesRequests(bool echoes) {
    std::lock_guard guard(mutex_);
    echoesRequests_ = echoes;
}

void VirtualDevice::SetSharedNode(bool shared) {
    std::lock_guard guard(mutex_);
    sharedNode_ = shared;
}

void VirtualDevice::ClearFaults() {
    std::lock_guard guard(mutex_);
    faults_.clear();
}

void VirtualDevice::ResetPacketCount() {
    std::lock_guard guard(mutex_);
    packetCount_ = 0;
}

std::size_t VirtualDevice::PacketCount() const {
    std::lock_guard guard(mutex_);
    return packetCount_;
}

std::optional<FaultKind> VirtualDevice::FaultAtLocked(std::size_t packet) const {
    for (const Fault& fault : faults_) {
        if (packet < fault.atPacket) continue;
        if (fault.count == kEveryPacket || packet < fault.atPacket + fault.count) return fault.kind;
    }
    return std::nullopt;
}

std::size_t VirtualDevice::RaiseConsumerEvent(std::uint16_t usage) {
    std::lock_guard guard(mutex_);
    if (!plugged_ || !HasCollection(Collection::Consumer)) return 0;
    const auto readyAt = Clock::now() + latency_;
    PendingInput press{{kConsumerReportId, static_cast<std::uint8_t>(usage & 0xFF),
                        static_cast<std::uint8_t>(usage >> 8)},
                       kConsumerReportSize,
                       readyAt};
    PendingInput release{{kConsumerReportId, 0, 0}, kConsumerReportSize, readyAt};
    const std::size_t listeners = DeliverLocked(Collection::Consumer, press);
    DeliverLocked(Collection::Consumer, release);
    return listeners;
}

bool VirtualDevice::ReceivesLocked(const HandleState& handle, Collection collection) const {
    return AliveLocked(handle) && (sharedNode_ || handle.collection == collection);
}

std::size_t VirtualDevice::DeliverLocked(Collection collection, const PendingInput& input) {
    std::size_t receivers = 0;
    for (HandleState* handle : handles_) {
        if (!ReceivesLocked(*handle, collection)) continue;
        InsertInTimeOrder(handle->inputs, input);
        handle->readable.notify_all();
        ++receivers;
    }
    return receivers;
}

void VirtualDevice::SettleInputs() {
    std::unique_lock lock(mutex_);
    for (;;) {
        CatchUpLocked();
        auto last = Clock::time_point::min();
        for (const InFlight& flight : inFlight_) last = std::max(last, flight.answerAt);
        for (const HandleState* handle : handles_) {
            if (!handle->inputs.empty()) last = std::max(last, handle->inputs.back().readyAt);
        }
        if (last <= Clock::now()) return;
        changed_.wait_until(lock, last);
    }
}

bool VirtualDevice::PressSlotButton(std::uint8_t slot) {
    if (!HasCollection(Collection::Consumer) || !IsPlugged()) return false;
    AreaMask persist = 0;
    {
        std::lock_guard guard(mutex_);
        CatchUpLocked();
        if (!firmware_.SwitchActiveSlot(slot)) return false;
        persist = firmware_.TakeAreasToPersist();
    }
    QueueWrite(persist);
    RaiseConsumerEvent(kUsageSlotButton);
    return true;
}

bool VirtualDevice::PressRestoreButton() {
    if (!HasCollection(Collection::Consumer) || !IsPlugged()) return false;
    RestoreFactory();
    RaiseConsumerEvent(kUsageRestoreButton);
    return true;
}

bool VirtualDevice::PressFlashButton() {
    if (kind_ != device::DeviceKind::Mouse || !IsPlugged()) return false;
    RaiseConsumerEvent(kUsageFlashButton);
    return true;
}

std::uint64_t VirtualDevice::PreviewFrames() const {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    return firmware_.PreviewFrames();
}

std::vector<std::uint8_t> VirtualDevice::PreviewColours() const {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    return firmware_.PreviewColours();
}

std::vector<device::ReportPacket> VirtualDevice::Requests() const {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    return {requests_.begin(), requests_.end()};
}

std::size_t VirtualDevice::RequestCount(device::Command command) const {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    return static_cast<std::size_t>(
        std::count_if(requests_.begin(), requests_.end(), [&](const device::ReportPacket& p) {
            return p.CommandByte() == static_cast<std::uint8_t>(command);
        }));
}

void VirtualDevice::ClearRequests() {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    requests_.clear();
    writeAttempts_ = 0;
}

std::size_t VirtualDevice::WriteAttempts() const {
    std::lock_guard guard(mutex_);
    return writeAttempts_;
}

std::vector<std::uint8_t> VirtualDevice::Memory(MemoryArea area) const {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    return firmware_.Memory().Area(area);
}

int VirtualDevice::ActiveSlot() const {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    const auto& params = firmware_.Memory().Area(MemoryArea::Params);
    return params.empty() ? 0 : params[device::kActiveSlotOffset];
}

bool VirtualDevice::SetMemory(MemoryArea area, std::size_t offset,
                              std::span<const std::uint8_t> bytes) {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    auto& memory = firmware_.Memory().Area(area);
    if (offset > memory.size() || bytes.size() > memory.size() - offset) return false;
    std::copy(bytes.begin(), bytes.end(), memory.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

void VirtualDevice::RestoreFactory() {
    AreaMask areas = 0;
    {
        std::lock_guard guard(mutex_);
        CatchUpLocked();
        firmware_.RestoreFactory();
        areas = firmware_.TakeAreasToPersist();
    }
    QueueWrite(areas);
}

bool VirtualDevice::InSettingMode() const {
    std::lock_guard guard(mutex_);
    CatchUpLocked();
    return firmware_.InSettingMode();
}

void VirtualDevice::Persist() {
    AreaMask areas = 0;
    {
        std::lock_guard guard(mutex_);
        CatchUpLocked();
        areas = firmware_.TakeDirtyAreas();
    }
    QueueWrite(areas);
    WaitForWrites();
}

void VirtualDevice::WaitForWrites() {
    if (writer_) writer_->Flush();
}

void VirtualDevice::QueueWrite(AreaMask areas) {
    if (writer_) writer_->Queue(areas);
}

std::unique_ptr<device::HidDevice> VirtualDevice::Open(Collection collection,
                                                       const device::HidOpenOptions& options) {
    if (!HasCollection(collection)) return nullptr;
    auto state = std::make_unique<HandleState>();
    state->collection = collection;
    state->options = options;
    {
        std::lock_guard guard(mutex_);
        if (!plugged_) return nullptr;
        state->generation = generation_;
        handles_.push_back(state.get());
    }
    return std::make_unique<Handle>(shared_from_this(), std::move(state));
}

void VirtualDevice::Release(HandleState* handle) {
    std::lock_guard guard(mutex_);
    std::erase(handles_, handle);
    // Its requests are on their way all the same; only their record in the handle goes.
    for (InFlight& flight : inFlight_) {
        if (flight.origin == handle) flight.origin = nullptr;
    }
}

bool VirtualDevice::AliveLocked(const HandleState& handle) const {
    return plugged_ && handle.generation == generation_;
}

void VirtualDevice::Abort(HandleState& handle) {
    std::lock_guard guard(mutex_);
    ++handle.abortEpoch;
    changed_.notify_all();
    handle.readable.notify_all();
}

void VirtualDevice::ExecuteLocked(const InFlight& flight) {
    if (requests_.size() == kRequestLogLimit) requests_.pop_front();
    requests_.push_back(flight.request);
    HandleState* origin = flight.origin;
    if (origin) {
        --origin->requestsInFlight;
        origin->expectNoAnswer = false;
    }
    const auto fault = flight.fault;
    auto expectNoAnswer = [origin] {
        if (origin) origin->expectNoAnswer = true;
    };
    if (fault == FaultKind::NoAnswer) {
        expectNoAnswer();
        // Nothing more will come for this handle: a reader waiting for it may stop now.
        if (origin) origin->readable.notify_all();
        return;
    }
    device::ReportPacket answer = firmware_.Handle(flight.request);
    QueueWrite(firmware_.TakeAreasToPersist());
    if (!echoesRequests_) {
        answer.Bytes()[device::kCommandOffset] = 0;
        answer.SetOffset(0);
    }
    PendingInput input{answer.Bytes(), device::kReportSize, flight.answerAt};
    auto& bytes = input.bytes;
    switch (fault.value_or(FaultKind::NoAnswer)) {
        case FaultKind::StatusError: bytes[device::kStatusOffset] = device::kStatusDeviceError; break;
        case FaultKind::StatusBusy: bytes[device::kStatusOffset] = device::kStatusDeviceBusy; break;
        // The broken report is all the device sends for this request.
        case FaultKind::ShortAnswer:
            input.size = kShortAnswerLength;
            expectNoAnswer();
            break;
        case FaultKind::WrongReportId:
            bytes[device::kReportIdOffset] = kWrongReportId;
            expectNoAnswer();
            break;
        case FaultKind::GarbageAnswer:
            // A fixed pattern, so a test sees the same noise on every run.
            for (std::size_t i = 1; i < bytes.size(); ++i) {
                bytes[i] = static_cast<std::uint8_t>(0xA5 ^ (i * 37));
            }
            break;
        // A late answer's delay is in its answerAt (see Write).
        default: break;
    }
    if (fault == FaultKind::RemoveDuringTransfer) {
        UnplugLocked();
    } else {
        DeliverLocked(Collection::Vendor, input);
    }
}

void VirtualDevice::CatchUpLocked() const {
    auto& self = const_cast<VirtualDevice&>(*this);
    const auto now = Clock::now();
    // The device takes requests in the order it saw them; the queue is kept in that order.
    while (!self.inFlight_.empty() && self.inFlight_.front().seenAt <= now) {
        const InFlight flight = self.inFlight_.front();
        self.inFlight_.pop_front();
        self.ExecuteLocked(flight);
    }
}

Clock::time_point VirtualDevice::NextSeenLocked() const {
    return inFlight_.empty() ? Clock::time_point::max() : inFlight_.front().seenAt;
}

void VirtualDevice::NotifyAnswerReadersLocked() {
    for (HandleState* handle : handles_) {
        if (ReceivesLocked(*handle, Collection::Vendor)) handle->readable.notify_all();
    }
}

TransferStatus VirtualDevice::Write(HandleState& handle, std::span<const std::uint8_t> report,
                                    int /*timeoutMs*/, std::size_t& bytesWritten) {
    bytesWritten = 0;
    std::lock_guard lock(mutex_);
    if (!AliveLocked(handle)) return TransferStatus::Gone;
    ++writeAttempts_;
    // Only the vendor collection has an output report: 64 bytes with id 4. On a shared node
    // the report reaches the device whichever handle it was written on.
    const bool vendorWrite = handle.collection == Collection::Vendor || sharedNode_;
    if (!vendorWrite || !handle.options.wantWrite ||
        report.size() != device::kReportSize || report[0] != device::kCommandReportId) {
        return TransferStatus::Failed;
    }
    const std::size_t packet = ++packetCount_;
    const auto fault = FaultAtLocked(packet);
    if (fault == FaultKind::WriteFails) return TransferStatus::Failed;

    // Requests seen before this one was written go first.
    CatchUpLocked();
    InFlight flight;
    std::copy(report.begin(), report.end(), flight.request.Bytes().begin());
    flight.fault = fault;
    flight.origin = &handle;
    flight.seenAt = Clock::now() + latency_;
    flight.answerAt = flight.seenAt + latency_;
    if (fault == FaultKind::LateAnswer) flight.answerAt += kLateAnswerDelay;
    // One answer after the other: none overtakes a late one, and the next leaves one crossing
    // after it, as from a device that was busy with the late one.
    if (lastAnswerAt_ != Clock::time_point{}) {
        flight.answerAt = std::max(flight.answerAt, lastAnswerAt_ + latency_);
    }
    lastAnswerAt_ = flight.answerAt;
    // Kept in the order the device sees them (a shorter latency set meanwhile sees it sooner).
    auto at = std::upper_bound(inFlight_.begin(), inFlight_.end(), flight.seenAt,
                               [](auto seenAt, const InFlight& queued) { return seenAt < queued.seenAt; });
    inFlight_.insert(at, flight);
    ++handle.requestsInFlight;
    NotifyAnswerReadersLocked();
    // As with hidraw, the write is done once the report is on its way; the answer comes later.
    bytesWritten = report.size();
    return TransferStatus::Ok;
}

TransferStatus VirtualDevice::Read(HandleState& handle, std::span<std::uint8_t> buffer,
                                   int timeoutMs, std::size_t& bytesRead) {
    bytesRead = 0;
    std::unique_lock lock(mutex_);
    if (!handle.options.wantRead) return TransferStatus::Failed;
    const auto deadline = DeadlineAfter(Clock::now(), timeoutMs);
    const std::uint64_t epoch = handle.abortEpoch;
    for (;;) {
        if (!AliveLocked(handle)) return TransferStatus::Gone;
        if (handle.abortEpoch != epoch) return TransferStatus::Aborted;
        // Whatever the device has seen by now it has answered (or not).
        CatchUpLocked();
        if (!AliveLocked(handle)) return TransferStatus::Gone;
        const auto now = Clock::now();
        if (!handle.inputs.empty() && handle.inputs.front().readyAt <= now) {
            const PendingInput& input = handle.inputs.front();
            bytesRead = std::min(buffer.size(), input.size);
            std::copy_n(input.bytes.begin(), bytesRead, buffer.begin());
            handle.inputs.pop_front();
            return TransferStatus::Ok;
        }
        // A lost request will never be answered: no point in waiting out the time limit.
        if (handle.inputs.empty() && handle.expectNoAnswer && handle.requestsInFlight == 0) {
            return TransferStatus::TimedOut;
        }
        if (now >= deadline) return TransferStatus::TimedOut;
        auto wakeAt = std::min(deadline, NextSeenLocked());
        if (!handle.inputs.empty()) wakeAt = std::min(wakeAt, handle.inputs.front().readyAt);
        handle.readable.wait_until(lock, wakeAt);
    }
}

}  // namespace corvane::virt
