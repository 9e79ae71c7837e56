#include "device/hid_channel.h"

#include <cctype>
#include <chrono>
#include <limits>
#include <span>
#include <utility>

namespace corvane::device {

namespace {

// How often CloseDevice repeats its abort while a transfer has not yet left: a transfer that
// was between taking the device and starting its wait misses the first one.
constexpr std::chrono::milliseconds kAbortRepeat{10};

constexpr std::string_view kVendorMarker = "vid_";
constexpr std::string_view kProductMarker = "pid_";
constexpr std::string_view kCollectionMarker = "&col";
constexpr unsigned kHexBase = 16;
constexpr unsigned kDecimalBase = 10;

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::size_t FindNoCase(std::string_view text, std::string_view marker) {
    if (marker.size() > text.size()) return std::string_view::npos;
    for (std::size_t i = 0; i + marker.size() <= text.size(); ++i) {
        bool same = true;
        for (std::size_t j = 0; j < marker.size() && same; ++j) same = Lower(text[i + j]) == Lower(marker[j]);
        if (same) return i;
    }
    return std::string_view::npos;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = Lower(c);
    if (l >= 'a' && l <= 'f') return l - 'a' + static_cast<int>(kDecimalBase);
    return -1;
}

// Reads a number the way "%x" does: leading white space, an optional sign, an optional "0x".
// Wraps instead of overflowing; only the low 16 bits are used anyway.
std::uint16_t ScanHex(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i + 2 < text.size() && text[i] == '0' && Lower(text[i + 1]) == 'x' && HexDigit(text[i + 2]) >= 0) {
        i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = value * kHexBase + static_cast<std::uint32_t>(HexDigit(text[i]));
    }
    if (negative) value = 0u - value;
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}

std::uint16_t IdAfterMarker(std::string_view path, std::string_view marker) {
    const std::size_t at = FindNoCase(path, marker);
    if (at == std::string_view::npos) return 0;
    return ScanHex(path.substr(at + marker.size()));
}

}  // namespace

HidChannel::HidChannel(HidBackend& backend) : backend_(backend) {}

HidChannel::~HidChannel() { CloseDevice(); }

bool HidChannel::EnumerateHidDevices() {
    pathCursor_ = 0;
    std::vector<std::string> paths;
    if (!backend_.Enumerate(paths)) {
        pathList_.clear();
        havePathList_ = false;
        return false;
    }
    pathList_ = std::move(paths);
    havePathList_ = true;
    return true;
}

const std::string* HidChannel::NextDevicePath() {
    if (!havePathList_ || pathCursor_ >= pathList_.size()) return nullptr;
    return &pathList_[pathCursor_++];
}

void HidChannel::FreeDeviceList() {
    pathList_.clear();
    pathList_.shrink_to_fit();
    havePathList_ = false;
    pathCursor_ = 0;
}

bool HidChannel::OpenDevice(std::string_view path, bool wantRead, bool wantWrite, bool wantOverlapped,
                            bool shareReadOnly) {
    // Copy first: the view may point into the path list or at devicePath_ itself.
    std::string pathCopy(path);
    options_ = HidOpenOptions{wantRead, wantWrite, wantOverlapped, shareReadOnly};
    CloseDevice();
    devicePath_ = std::move(pathCopy);

    std::unique_ptr<HidDevice> device = backend_.OpenWithReason(devicePath_, options_, openFailure_);
    if (!device) return false;

    const HidAttributes attributes = device->Attributes();
    const std::vector<std::uint8_t> descriptor = device->ReportDescriptor();
    DescriptorParseResult parsed = ParseReportDescriptor(descriptor);
    if (!parsed.descriptor) return false;
    const std::size_t index = CollectionIndexFromPath(devicePath_);
    if (index >= parsed.descriptor->collections.size()) return false;

    collection_ = std::move(parsed.descriptor->collections[index]);
    attributes_ = attributes;
    inputReportBuffer_.assign(collection_.caps.inputReportByteLength, 0);
    inputItems_ = BuildInputItems(collection_);

    // Published last, so a transfer never sees a half-opened channel.
    std::lock_guard lock(deviceMutex_);
    device_ = std::shared_ptr<HidDevice>(std::move(device));
    return true;
}

void HidChannel::CloseDevice() {
    std::shared_ptr<HidDevice> device;
    {
        std::unique_lock lock(deviceMutex_);
        device = std::move(device_);
        device_.reset();
        if (device) {
            device->Abort();
            while (activeTransfers_ > 0) {
                if (!transfersDone_.wait_for(lock, kAbortRepeat, [this] { return activeTransfers_ == 0; })) {
                    device->Abort();
                }
            }
        }
    }
    // No transfer uses the buffers any more; the device itself goes with the last reference.
    collection_ = ParsedCollection{};
    attributes_ = HidAttributes{};
    inputReportBuffer_.clear();
    inputItems_.clear();
}

void HidChannel::AbortTransfers() {
    std::lock_guard lock(deviceMutex_);
    if (device_) device_->Abort();
}

bool HidChannel::IsOpen() const {
    std::lock_guard lock(deviceMutex_);
    return device_ != nullptr;
}

std::shared_ptr<HidDevice> HidChannel::BeginTransfer() {
    std::lock_guard lock(deviceMutex_);
    if (!device_) return nullptr;
    ++activeTransfers_;
    return device_;
}

void HidChannel::EndTransfer() {
    {
        std::lock_guard lock(deviceMutex_);
        --activeTransfers_;
    }
    transfersDone_.notify_all();
}

int HidChannel::ReadReport(std::size_t length, std::uint8_t* buffer, int timeoutMs, std::size_t& bytesRead) {
    bytesRead = 0;
    if (buffer == nullptr && length != 0) return 0;
    return ReceiveReport(std::span<std::uint8_t>(buffer, length), timeoutMs, bytesRead) == TransferStatus::Ok ? 1 : 0;
}

TransferStatus HidChannel::ReceiveReport(std::span<std::uint8_t> buffer, int timeoutMs, std::size_t& bytesRead) {
    bytesRead = 0;
    std::shared_ptr<HidDevice> device = BeginTransfer();
    if (!device) return TransferStatus::Gone;
    readPending_ = true;
    std::size_t count = 0;
    const TransferStatus status = device->Read(buffer, timeoutMs, count);
    readPending_ = false;
    EndTransfer();
    if (status == TransferStatus::Ok) bytesRead = count;
    return status;
}

int HidChannel::WriteReport(std::size_t length, const std::uint8_t* buffer, int timeoutMs,
                            std::size_t& bytesWritten) {
    bytesWritten = 0;
    if (buffer == nullptr && length != 0) return 0;
    std::shared_ptr<HidDevice> device = BeginTransfer();
    if (!device) return 0;
    writePending_ = true;
    std::size_t count = 0;
    const TransferStatus status = device->Write(std::span<const std::uint8_t>(buffer, length), timeoutMs, count);
    writePending_ = false;
    EndTransfer();
    if (status != TransferStatus::Ok) return 0;
    bytesWritten = count;
    return 1;
}

std::uint16_t VendorIdFromPath(std::string_view path) { return IdAfterMarker(path, kVendorMarker); }

std::uint16_t ProductIdFromPath(std::string_view path) { return IdAfterMarker(path, kProductMarker); }

std::size_t CollectionIndexFromPath(std::string_view path) {
    const std::size_t at = FindNoCase(path, kCollectionMarker);
    if (at == std::string_view::npos) return 0;
    std::size_t number = 0;
    std::size_t digits = 0;
    constexpr std::size_t kMaxDigits = 4;
    for (std::size_t i = at + kCollectionMarker.size(); i < path.size() && digits < kMaxDigits; ++i, ++digits) {
        const char c = path[i];
        if (c < '0' || c > '9') break;
        number = number * kDecimalBase + static_cast<std::size_t>(c - '0');
    }
    if (digits == 0 || number == 0) return std::numeric_limits<std::size_t>::max();
    return number - 1;
}

bool DeviceStillPresent(HidBackend& backend, std::string_view path) {
    return backend.StillPresent(std::string(path));
}

}  // namespace corvane::device
