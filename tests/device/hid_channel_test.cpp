#include "device/hid_channel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace corvane::device {
namespace {

using namespace std::chrono_literals;

// Vendor collection 0xFF1C/0x92 with 63-byte input and output reports under id 4.
const std::vector<std::uint8_t> kVendorDescriptor = {
    0x06, 0x1C, 0xFF,  // Usage Page (0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (1)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (1)
    0x91, 0x02,        //   Output (Data, Var, Abs)
    0xC0,              // End Collection
};

// Two top-level collections on one interface: the vendor one, then consumer control.
std::vector<std::uint8_t> TwoCollections() {
    std::vector<std::uint8_t> d = kVendorDescriptor;
    const std::vector<std::uint8_t> consumer = {
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x0F,
        0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, 0x02, 0x81, 0x00, 0xC0,
    };
    d.insert(d.end(), consumer.begin(), consumer.end());
    return d;
}

// A device whose transfers block until data is queued, Abort is called or the limit passes.
class FakeDevice : public HidDevice {
public:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<std::vector<std::uint8_t>> inbound;
        std::vector<std::vector<std::uint8_t>> written;
        int waiting = 0;
        int aborts = 0;
        bool destroyed = false;
        TransferStatus writeStatus = TransferStatus::Ok;
    };

    FakeDevice(std::shared_ptr<Shared> shared, std::vector<std::uint8_t> descriptor, HidAttributes attributes)
        : shared_(std::move(shared)), descriptor_(std::move(descriptor)), attributes_(attributes) {}
    ~FakeDevice() override {
        std::lock_guard lock(shared_->mutex);
        shared_->destroyed = true;
    }

    HidAttributes Attributes() const override { return attributes_; }
    std::vector<std::uint8_t> ReportDescriptor() const override { return descriptor_; }

    TransferStatus Read(std::span<std::uint8_t> buffer, int timeoutMs, std::size_t& bytesRead) override {
        std::unique_lock lock(shared_->mutex);
        const int abortsBefore = shared_->aborts;
        ++shared_->waiting;
        shared_->changed.notify_all();
        const bool woke = shared_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            return !shared_->inbound.empty() || shared_->aborts != abortsBefore;
        });
        --shared_->waiting;
        if (!woke) return TransferStatus::TimedOut;
        if (shared_->aborts != abortsBefore) return TransferStatus::Aborted;
        const std::vector<std::uint8_t> report = shared_->inbound.front();
        shared_->inbound.erase(shared_->inbound.begin());
        bytesRead = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), bytesRead, buffer.begin());
        return TransferStatus::Ok;
    }

    TransferStatus Write(std::span<const std::uint8_t> report, int, std::size_t& bytesWritten) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->writeStatus != TransferStatus::Ok) return shared_->writeStatus;
        shared_->written.emplace_back(report.begin(), report.end());
        bytesWritten = report.size();
        return TransferStatus::Ok;
    }

    void Abort() override {
        std::lock_guard lock(shared_->mutex);
        ++shared_->aborts;
        shared_->changed.notify_all();
    }

private:
    std::shared_ptr<Shared> shared_;
    std::vector<std::uint8_t> descriptor_;
    HidAttributes attributes_;
};

class FakeBackend : public HidBackend {
public:
    bool enumerateOk = true;
    std::vector<std::string> paths;
    std::map<std::string, std::vector<std::uint8_t>> descriptors;
    std::map<std::string, std::shared_ptr<FakeDevice::Shared>> opened;
    HidOpenOptions lastOptions;

    bool Enumerate(std::vector<std::string>& out) override {
        if (!enumerateOk) return false;
        out = paths;
        return true;
    }
    std::unique_ptr<HidDevice> Open(const std::string& path, const HidOpenOptions& options) override {
        lastOptions = options;
        const std::string node = path.substr(0, path.find("&col"));
        auto it = descriptors.find(node);
        if (it == descriptors.end()) return nullptr;
        auto shared = std::make_shared<FakeDevice::Shared>();
        opened[path] = shared;
        return std::make_unique<FakeDevice>(shared, it->second,
                                            HidAttributes{VendorIdFromPath(path), ProductIdFromPath(path), 0x0102});
    }
    bool StillPresent(const std::string& path) override {
        return descriptors.count(path.substr(0, path.find("&col"))) != 0;
    }
};

const std::string kVendorPath = "/dev/hidraw0#vid_1a2c&pid_4c5e";

class HidChannelTest : public ::testing::Test {
protected:
    void SetUp() override { backend.descriptors[kVendorPath] = kVendorDescriptor; }
    FakeBackend backend;
    HidChannel channel{backend};
};

TEST_F(HidChannelTest, EnumerationKeepsOrderAndEndsWithNull) {
    EXPECT_TRUE(channel.EnumerateHidDevices());
    EXPECT_EQ(channel.NextDevicePath(), nullptr);

    for (int i = 0; i < 20; ++i) backend.paths.push_back("/dev/hidraw" + std::to_string(i));
    ASSERT_TRUE(channel.EnumerateHidDevices());
    for (int i = 0; i < 20; ++i) {
        const std::string* p = channel.NextDevicePath();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(*p, "/dev/hidraw" + std::to_string(i));
    }
    EXPECT_EQ(channel.NextDevicePath(), nullptr);

    // A new enumeration starts over; a failed one leaves nothing to walk.
    ASSERT_TRUE(channel.EnumerateHidDevices());
    EXPECT_EQ(*channel.NextDevicePath(), "/dev/hidraw0");
    backend.enumerateOk = false;
    EXPECT_FALSE(channel.EnumerateHidDevices());
    EXPECT_EQ(channel.NextDevicePath(), nullptr);
    channel.FreeDeviceList();
    EXPECT_EQ(channel.NextDevicePath(), nullptr);
}

TEST_F(HidChannelTest, OpenFillsCapsAttributesAndItems) {
    backend.paths = {kVendorPath};
    ASSERT_TRUE(channel.EnumerateHidDevices());
    ASSERT_TRUE(channel.OpenDevice(*channel.NextDevicePath(), true, true, true, false));
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_TRUE(backend.lastOptions.wantRead && backend.lastOptions.wantWrite && backend.lastOptions.wantOverlapped);
    EXPECT_FALSE(backend.lastOptions.shareReadOnly);
    EXPECT_EQ(channel.DevicePath(), kVendorPath);
    EXPECT_EQ(channel.Attributes().vendorId, 0x1A2C);
    EXPECT_EQ(channel.Attributes().productId, 0x4C5E);
    EXPECT_EQ(channel.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(channel.Caps().usage, 0x92);
    EXPECT_EQ(channel.Caps().inputReportByteLength, 64);
    EXPECT_EQ(channel.Caps().outputReportByteLength, 64);
    EXPECT_EQ(channel.InputReportBuffer(), std::vector<std::uint8_t>(64, 0));
    ASSERT_EQ(channel.InputItems().size(), 1u);
    EXPECT_FALSE(channel.InputItems()[0].isButton);
    EXPECT_EQ(channel.InputItems()[0].reportId, 4u);

    // The list goes, the device stays; a new enumeration does not close it either.
    channel.FreeDeviceList();
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_TRUE(channel.EnumerateHidDevices());
    EXPECT_TRUE(channel.IsOpen());

    channel.CloseDevice();
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_TRUE(channel.InputItems().empty());
    EXPECT_TRUE(backend.opened[kVendorPath]->destroyed);
}

TEST_F(HidChannelTest, OpenWithoutAccessStillSucceeds) {
    EXPECT_TRUE(channel.OpenDevice(kVendorPath, false, false, false, false));
    EXPECT_FALSE(backend.lastOptions.wantRead || backend.lastOptions.wantWrite);
}

TEST_F(HidChannelTest, FailedOpenLeavesChannelClosed) {
    ASSERT_TRUE(channel.OpenDevice(kVendorPath, true, true, true, false));
    auto first = backend.opened[kVendorPath];

    // Reopening closes the previous device first, even when the new path fails.
    EXPECT_FALSE(channel.OpenDevice("/dev/hidraw9#vid_1a2c&pid_0001", true, true, true, false));
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_TRUE(first->destroyed);
    EXPECT_EQ(channel.DevicePath(), "/dev/hidraw9#vid_1a2c&pid_0001");

    // A descriptor the parser rejects (collection never closed).
    const std::string broken = "/dev/hidraw1#vid_1a2c&pid_4c5e";
    backend.descriptors[broken] = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01};
    EXPECT_FALSE(channel.OpenDevice(broken, true, true, true, false));
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_TRUE(backend.opened[broken]->destroyed);
    std::size_t n = 7;
    std::uint8_t b[4] = {};
    EXPECT_EQ(channel.ReadReport(sizeof b, b, 0, n), 0);
    EXPECT_EQ(n, 0u);
}

TEST_F(HidChannelTest, CollectionSuffixSelectsCollection) {
    const std::string node = "/dev/hidraw2#vid_1a2c&pid_4c5e";
    backend.descriptors[node] = TwoCollections();
    ASSERT_TRUE(channel.OpenDevice(node + "&col02", true, false, true, false));
    EXPECT_EQ(channel.Caps().usagePage, 0x0C);
    EXPECT_EQ(channel.Caps().usage, 0x01);
    EXPECT_EQ(channel.Caps().inputReportByteLength, 5);
    ASSERT_TRUE(channel.OpenDevice(node + "&col01", true, false, true, false));
    EXPECT_EQ(channel.Caps().usagePage, 0xFF1C);
    EXPECT_FALSE(channel.OpenDevice(node + "&col03", true, false, true, false));
    EXPECT_FALSE(channel.IsOpen());
}

TEST_F(HidChannelTest, TransfersReportCountsOnlyOnSuccess) {
    ASSERT_TRUE(channel.OpenDevice(kVendorPath, true, true, true, false));
    auto dev = backend.opened[kVendorPath];
    std::vector<std::uint8_t> out(64, 0);
    out[0] = 4;
    std::size_t n = 0;
    EXPECT_NE(channel.WriteReport(out.size(), out.data(), 1000, n), 0);
    EXPECT_EQ(n, 64u);
    dev->writeStatus = TransferStatus::Gone;
    EXPECT_EQ(channel.WriteReport(out.size(), out.data(), 1000, n), 0);
    EXPECT_EQ(n, 0u);

    dev->inbound.push_back({4, 1, 2, 3});
    auto& buffer = channel.InputReportBuffer();
    EXPECT_NE(channel.ReadReport(buffer.size(), buffer.data(), 1000, n), 0);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(buffer[3], 3);
    EXPECT_EQ(channel.ReadReport(buffer.size(), buffer.data(), 1, n), 0);  // nothing queued
    EXPECT_EQ(n, 0u);
}

TEST_F(HidChannelTest, CloseFromAnotherThreadEndsPendingRead) {
    ASSERT_TRUE(channel.OpenDevice(kVendorPath, true, true, true, false));
    auto dev = backend.opened[kVendorPath];
    std::size_t n = 99;
    int result = -1;
    const auto start = std::chrono::steady_clock::now();
    std::thread reader([&] {
        auto& buffer = channel.InputReportBuffer();
        result = channel.ReadReport(buffer.size(), buffer.data(), 30000, n);
    });
    {
        std::unique_lock lock(dev->mutex);
        dev->changed.wait(lock, [&] { return dev->waiting > 0; });
    }
    channel.CloseDevice();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(n, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_TRUE(dev->destroyed);
}

TEST(HidPathTest, IdsFromPath) {
    struct Case {
        const char* path;
        std::uint16_t vid;
        std::uint16_t pid;
    };
    const Case cases[] = {
        {"/dev/hidraw3#vid_1a2c&pid_4c5e", 0x1A2C, 0x4C5E},
        {"\\\\?\\HID#VID_1A2C&PID_4C5E&MI_01#7&1", 0x1A2C, 0x4C5E},
        {"/dev/hidraw3", 0, 0},
        {"vid_&pid_zz", 0, 0},
        {"vid_0x12&pid_ 7f", 0x12, 0x7F},
        {"vid_123456&pid_-1", 0x3456, 0xFFFF},
        {"vid_", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VendorIdFromPath(c.path), c.vid) << c.path;
        EXPECT_EQ(ProductIdFromPath(c.path), c.pid) << c.path;
    }
    EXPECT_EQ(CollectionIndexFromPath("/dev/hidraw1#vid_1&pid_2"), 0u);
    EXPECT_EQ(CollectionIndexFromPath("/dev/hidraw1#vid_1&pid_2&col02"), 1u);
    EXPECT_EQ(CollectionIndexFromPath("/dev/hidraw1#vid_1&pid_2&col00"), SIZE_MAX);

    FakeBackend backend;
    backend.descriptors[kVendorPath] = kVendorDescriptor;
    EXPECT_TRUE(DeviceStillPresent(backend, kVendorPath));
    EXPECT_FALSE(DeviceStillPresent(backend, "/dev/hidraw7#vid_1a2c&pid_4c5e"));
}

}  // namespace
}  // namespace corvane::device
