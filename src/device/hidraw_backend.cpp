#include "device/hidraw_backend.h"

#include <fcntl.h>
#include <cerrno>
#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include "device/hid_channel.h"
#include "device/hidraw_io.h"
#include "device/report_descriptor.h"
#include "platform/unique_fd.h"

namespace corvane::device {

namespace {

constexpr int kAlwaysFlags = O_NONBLOCK | O_CLOEXEC;

int AccessFlags(const HidOpenOptions& options) {
    if (options.wantRead && options.wantWrite) return O_RDWR;
    if (options.wantWrite) return O_WRONLY;
    return O_RDONLY;
}

class HidrawDevice : public HidDevice {
public:
    HidrawDevice(platform::UniqueFd fd, HidAttributes attributes, std::vector<std::uint8_t> descriptor,
                 HidrawIo::Options io)
        : attributes_(attributes), descriptor_(std::move(descriptor)), io_(std::move(fd), io) {}

    HidAttributes Attributes() const override { return attributes_; }
    std::vector<std::uint8_t> ReportDescriptor() const override { return descriptor_; }
    TransferStatus Read(std::span<std::uint8_t> buffer, int timeoutMs, std::size_t& bytesRead) override {
        return io_.Read(buffer, timeoutMs, bytesRead);
    }
    TransferStatus Write(std::span<const std::uint8_t> report, int timeoutMs, std::size_t& bytesWritten) override {
        return io_.Write(report, timeoutMs, bytesWritten);
    }
    void Abort() override { io_.Abort(); }

private:
    HidAttributes attributes_;
    std::vector<std::uint8_t> descriptor_;
    HidrawIo io_;
};

bool ReadInfo(int fd, HidAttributes& attributes) {
    hidraw_devinfo info{};
    if (::ioctl(fd, HIDIOCGRAWINFO, &info) != 0) return false;
    attributes.vendorId = static_cast<std::uint16_t>(info.vendor);
    attributes.productId = static_cast<std::uint16_t>(info.product);
    // hidraw does not report the device release number.
    attributes.versionNumber = 0;
    return true;
}

bool ReadDescriptor(int fd, std::vector<std::uint8_t>& descriptor) {
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) != 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) return false;
    hidraw_report_descriptor raw{};
    raw.size = static_cast<__u32>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &raw) != 0) return false;
    descriptor.assign(raw.value, raw.value + raw.size);
    return true;
}

int SystemOpen(const char* path, int flags) { return ::open(path, flags); }

}  // namespace

HidrawBackend::HidrawBackend(std::unique_ptr<HidrawEnumerator> enumerator, OpenFunction open)
    : enumerator_(std::move(enumerator)), open_(open != nullptr ? open : SystemOpen) {}

bool HidrawBackend::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    std::vector<HidrawNode> nodes;
    if (!enumerator_ || !enumerator_->List(nodes)) return false;
    paths = BuildHidrawPaths(std::move(nodes));
    return true;
}

std::unique_ptr<HidDevice> HidrawBackend::Open(const std::string& path, const HidOpenOptions& options) {
    HidOpenFailure failure;
    return OpenWithReason(path, options, failure);
}

std::unique_ptr<HidDevice> HidrawBackend::OpenWithReason(const std::string& path, const HidOpenOptions& options,
                                                         HidOpenFailure& failure) {
    failure = {};
    const std::string devnode = DevnodeFromPath(path);
    platform::UniqueFd fd(open_(devnode.c_str(), AccessFlags(options) | kAlwaysFlags));
    if (!fd) {
        failure.systemError = errno;
        return nullptr;
    }
    HidAttributes attributes;
    std::vector<std::uint8_t> descriptor;
    if (!ReadInfo(fd.Get(), attributes) || !ReadDescriptor(fd.Get(), descriptor)) return nullptr;

    HidrawIo::Options io;
    io.canRead = options.wantRead;
    io.canWrite = options.wantWrite;
    const DescriptorParseResult parsed = ParseReportDescriptor(descriptor);
    io.prependZeroReportId = parsed.descriptor && !parsed.descriptor->collections.empty() &&
                             !parsed.descriptor->collections.front().usesReportIds;
    return std::make_unique<HidrawDevice>(std::move(fd), attributes, std::move(descriptor), io);
}

bool HidrawBackend::StillPresent(const std::string& path) {
    platform::UniqueFd fd(open_(DevnodeFromPath(path).c_str(), O_RDONLY | kAlwaysFlags));
    if (!fd) return false;
    HidAttributes attributes;
    if (!ReadInfo(fd.Get(), attributes)) return true;
    const bool namesIds = VendorIdFromPath(path) != 0 || ProductIdFromPath(path) != 0;
    return !namesIds || (attributes.vendorId == VendorIdFromPath(path) && attributes.productId == ProductIdFromPath(path));
}

HidBackend& SystemHidBackend() {
    static HidrawBackend backend(MakeUdevHidrawEnumerator());
    return backend;
}

}  // namespace corvane::device
