#include "virtual/firmware.h"

#include <algorithm>

#include "device/device_images.h"

namespace corvane::virt {

using device::Command;
using device::kPayloadSize;
using device::ReportPacket;

namespace {

constexpr std::uint8_t kDeviceInfoLength = 33;
constexpr AreaMask kAllPersistent = MaskOf(MemoryArea::Info) | MaskOf(MemoryArea::Params) |
                                    MaskOf(MemoryArea::Keys) | MaskOf(MemoryArea::Macros) |
                                    MaskOf(MemoryArea::Scripts);

bool Fits(const std::vector<std::uint8_t>& area, std::size_t offset, std::size_t length) {
    return offset <= area.size() && length <= area.size() - offset;
}

}  // namespace

std::size_t PreviewZones(device::DeviceKind kind) {
    switch (kind) {
        case device::DeviceKind::Keyboard: return kKeyboardPreviewZones;
        case device::DeviceKind::Mouse: return kMousePreviewZones;
        case device::DeviceKind::MousePad: return kPadPreviewZones;
    }
    return 0;
}

Firmware::Firmware(device::DeviceKind kind) : Firmware(kind, FactoryMemory(kind)) {}

Firmware::Firmware(device::DeviceKind kind, DeviceMemory memory)
    : kind_(kind), memory_(std::move(memory)) {}

std::uint8_t Firmware::ReadArea(MemoryArea area, const ReportPacket& request,
                                ReportPacket& answer) const {
    const auto& bytes = memory_.Area(area);
    if (request.Length() > kPayloadSize || !Fits(bytes, request.Offset(), request.Length())) {
        return device::kStatusDeviceError;
    }
    std::copy_n(bytes.begin() + request.Offset(), request.Length(), answer.Payload().begin());
    return device::kStatusOk;
}

std::uint8_t Firmware::WriteArea(MemoryArea area, const ReportPacket& request) {
    auto& bytes = memory_.Area(area);
    if (request.Length() > kPayloadSize || !Fits(bytes, request.Offset(), request.Length())) {
        return device::kStatusDeviceError;
    }
    std::copy_n(request.Payload().begin(), request.Length(), bytes.begin() + request.Offset());
    dirty_ |= MaskOf(area);
    // Outside setting mode nobody says when a transfer ends; its last packet is the short one.
    if (area == MemoryArea::Params || (!settingMode_ && request.Length() < kPayloadSize)) {
        persistNow_ |= MaskOf(area);
    }
    return device::kStatusOk;
}

ReportPacket Firmware::Handle(const ReportPacket& request) {
    ReportPacket answer;
    answer.SetReportId(device::kCommandReportId);
    answer.Bytes()[device::kCommandOffset] = request.CommandByte();
    answer.SetLength(request.Length());
    answer.SetOffset(request.Offset());

    const auto command = static_cast<Command>(request.CommandByte());
    std::uint8_t status = device::kStatusOk;
    // The reset request is the one sent without a checksum.
    if (command != Command::ResetDevice && request.StoredChecksum() != request.ComputeChecksum()) {
        status = device::kStatusDeviceError;
    } else {
        switch (command) {
            case Command::EnterSettingMode: settingMode_ = true; break;
            case Command::ExitSettingMode:
                settingMode_ = false;
                persistNow_ |= dirty_;
                break;
            case Command::ReadDeviceInfo:
                if (request.Length() != kDeviceInfoLength) {
                    status = device::kStatusDeviceError;
                } else {
                    status = ReadArea(MemoryArea::Info, request, answer);
                }
                break;
            case Command::ReadParamRecord: status = ReadArea(MemoryArea::Params, request, answer); break;
            case Command::WriteParamRecord: status = WriteArea(MemoryArea::Params, request); break;
            case Command::ReadDefaultKeyTable:
                status = ReadArea(MemoryArea::FactoryKeys, request, answer);
                break;
            case Command::ReadKeyBank: status = ReadArea(MemoryArea::Keys, request, answer); break;
            case Command::WriteKeyBank: status = WriteArea(MemoryArea::Keys, request); break;
            case Command::ResetDevice: RestoreFactory(); break;
            case Command::SendPreviewColors: {
                // Preview frames are not settings: kept, never persisted.
                auto& preview = memory_.preview;
                if (request.Length() > kPayloadSize ||
                    !Fits(preview, request.Offset(), request.Length())) {
                    status = device::kStatusDeviceError;
                } else {
                    std::copy_n(request.Payload().begin(), request.Length(),
                                preview.begin() + request.Offset());
                    if (request.Offset() == 0) ++previewFrames_;
                }
                break;
            }
            case Command::WriteMacroData: status = WriteArea(MemoryArea::Macros, request); break;
            case Command::ReadScriptData: status = ReadArea(MemoryArea::Scripts, request, answer); break;
            case Command::WriteScriptData: status = WriteArea(MemoryArea::Scripts, request); break;
            default: status = device::kStatusDeviceError; break;
        }
    }
    answer.SetStatus(status);
    answer.Seal();
    return answer;
}

void Firmware::RestoreFactory() {
    const auto preview = memory_.preview;
    memory_ = FactoryMemory(kind_);
    memory_.preview = preview;
    settingMode_ = false;
    dirty_ |= kAllPersistent;
    persistNow_ |= kAllPersistent;
}

bool Firmware::SwitchActiveSlot(std::uint8_t slot) {
    if (slot >= kSlotCount) return false;
    auto& params = memory_.params;
    // Keyboard and mouse work from record 0: it holds the active slot's settings while the
    // active slot's own place holds slot 0's. A switch puts the old slot back, then brings the
    // new one in, so no slot loses its settings.
    if (kind_ != device::DeviceKind::MousePad) {
        auto swapWithWorking = [&](std::uint8_t s) {
            if (s == 0 || s >= kSlotCount) return;
            const auto record = params.begin() + static_cast<std::ptrdiff_t>(s * device::kLightingBlockSize);
            std::swap_ranges(params.begin() + 1, params.begin() + device::kLightingBlockSize, record + 1);
        };
        swapWithWorking(params[kActiveSlotOffset]);
        swapWithWorking(slot);
    }
    params[kActiveSlotOffset] = slot;
    dirty_ |= MaskOf(MemoryArea::Params);
    persistNow_ |= MaskOf(MemoryArea::Params);
    return true;
}

std::vector<std::uint8_t> Firmware::PreviewColours() const {
    const std::size_t length = std::min(PreviewZones(kind_) * kPreviewZoneBytes, memory_.preview.size());
    return {memory_.preview.begin(), memory_.preview.begin() + static_cast<std::ptrdiff_t>(length)};
}

void Firmware::PowerLoss() {
    settingMode_ = false;
    persistNow_ |= dirty_;
}

AreaMask Firmware::TakeAreasToPersist() {
    const AreaMask now = persistNow_;
    persistNow_ = 0;
    dirty_ &= ~now;
    return now;
}

AreaMask Firmware::TakeDirtyAreas() {
    const AreaMask all = dirty_ | persistNow_;
    dirty_ = 0;
    persistNow_ = 0;
    return all;
}

}  // namespace corvane::virt
