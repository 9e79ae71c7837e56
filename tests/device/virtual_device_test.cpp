#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "device/device_link.h"
#include "device/hid_channel.h"
#include "device/report_descriptor.h"
#include "keys/key_code_tables.h"
#include "link_fixture.h"
#include "virtual/virtual_descriptors.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::virt {
namespace {

using device::DeviceKind;
using testing::LinkedDevice;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-virt-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

TEST(VirtualDeviceTest, DescriptorsParseToTheExpectedCollections) {
    const auto parsed = device::ParseReportDescriptor(InterfaceDescriptor(true));
    ASSERT_TRUE(parsed.descriptor) << parsed.error.reason;
    const auto& collections = parsed.descriptor->collections;
    ASSERT_EQ(collections.size(), 2u);
    EXPECT_EQ(collections[0].caps.usagePage, device::kVendorUsagePage);
    EXPECT_EQ(collections[0].caps.usage, device::kVendorUsage);
    EXPECT_EQ(collections[0].caps.inputReportByteLength, 64);
    EXPECT_EQ(collections[0].caps.outputReportByteLength, 64);
    EXPECT_EQ(collections[1].caps.usagePage, device::kConsumerUsagePage);
    EXPECT_EQ(collections[1].caps.usage, device::kConsumerUsage);
    EXPECT_EQ(collections[1].caps.inputReportByteLength, kConsumerReportSize);
    ASSERT_EQ(collections[1].inputButtonCaps.size(), 1u);
    EXPECT_EQ(collections[1].inputButtonCaps[0].usageMax, 0x0FFF);
}

TEST(VirtualDeviceTest, BusListsPlugsAndUnplugsDevices) {
    VirtualHidBus bus;
    std::vector<std::string> paths;
    ASSERT_TRUE(bus.Enumerate(paths));
    ASSERT_EQ(paths.size(), 5u);  // keyboard and mouse have two collections, the pad one
    EXPECT_EQ(paths[0], "virtual/keyboard/0#vid_1a2c&pid_4c5e&col01");
    EXPECT_EQ(device::ProductIdFromPath(paths[2]), device::kMouseProductId);

    bus.Mouse().Unplug();
    ASSERT_TRUE(bus.Enumerate(paths));
    EXPECT_EQ(paths.size(), 3u);
    EXPECT_FALSE(bus.StillPresent(bus.Mouse().Path(Collection::Vendor)));
    EXPECT_EQ(bus.Open(bus.Mouse().Path(Collection::Vendor), {true, true, true, false}), nullptr);
    bus.Mouse().Plug();
    EXPECT_TRUE(bus.StillPresent(bus.Mouse().Path(Collection::Vendor)));
}

TEST(VirtualDeviceTest, UnplugAndCloseEndPendingReadsAtOnce) {
    VirtualHidBus bus;
    auto handle = bus.Open(bus.Keyboard().Path(Collection::Consumer), {true, false, true, false});
    ASSERT_NE(handle, nullptr);
    std::array<std::uint8_t, 3> report{};
    std::size_t got = 0;
    device::TransferStatus status = device::TransferStatus::Ok;
    const auto start = std::chrono::steady_clock::now();
    // Whether the read is already waiting or not, the unplug ends it with Gone.
    std::thread reader([&] { status = handle->Read(report, 10000, got); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bus.Keyboard().Unplug();
    reader.join();
    EXPECT_EQ(status, device::TransferStatus::Gone);
    // Plugged in again, the old handle stays dead.
    bus.Keyboard().Plug();
    EXPECT_EQ(handle->Read(report, 0, got), device::TransferStatus::Gone);

    // Closing the channel from another thread ends a consumer read as well.
    device::HidChannel channel(bus);
    ASSERT_TRUE(channel.OpenDevice(bus.Keyboard().Path(Collection::Consumer), true, false, true, false));
    int result = 1;
    std::thread listener([&] {
        std::array<std::uint8_t, 3> local{};
        std::size_t count = 0;
        result = channel.ReadReport(local.size(), local.data(), 10000, count);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    channel.CloseDevice();
    listener.join();
    EXPECT_EQ(result, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(VirtualDeviceTest, ConsumerEventsArriveAsUsagesOnTheConsumerChannel) {
    VirtualHidBus bus;
    device::HidChannel channel(bus);
    ASSERT_TRUE(channel.OpenDevice(bus.Mouse().Path(Collection::Consumer), true, false, true, false));
    EXPECT_EQ(channel.Caps().usagePage, device::kConsumerUsagePage);
    EXPECT_EQ(bus.Mouse().RaiseConsumerEvent(0x403), 1u);
    auto& buffer = channel.InputReportBuffer();
    std::size_t got = 0;
    ASSERT_NE(channel.ReadReport(buffer.size(), buffer.data(), 500, got), 0);
    ASSERT_TRUE(device::UnpackReport(channel.InputItems(), std::span(buffer.data(), got),
                                     device::ReportType::Input, channel.Collection()));
    ASSERT_FALSE(channel.InputItems().empty());
    EXPECT_EQ(channel.InputItems()[0].usages.at(0), 0x403);
    EXPECT_EQ(bus.MousePad().RaiseConsumerEvent(0x401), 0u);  // the pad has no such collection
}

TEST(VirtualDeviceTest, FactoryContentsAreConsistent) {
    VirtualHidBus bus;
    const auto table = bus.Keyboard().Memory(MemoryArea::FactoryKeys);
    for (std::size_t i = 0; i < keys::ScreenKeyDefaults.size(); ++i) {
        const auto& entry = keys::ScreenKeyDefaults[i];
        ASSERT_EQ(table[3 * i], keys::KindByte(entry.kind)) << i;
        ASSERT_EQ(table[3 * i + 1], entry.param1) << i;
        ASSERT_EQ(table[3 * i + 2], entry.param2) << i;
    }
    const auto keyboardInfo = bus.Keyboard().Memory(MemoryArea::Info);
    EXPECT_EQ(keyboardInfo[5], 126);
    EXPECT_EQ(bus.Keyboard().Memory(MemoryArea::Macros).size(), keyboardInfo[6] * 128u);
    const auto mouseInfo = bus.Mouse().Memory(MemoryArea::Info);
    EXPECT_EQ(mouseInfo[9] | mouseInfo[10] << 8, 0x3360);
    const auto scripts = bus.Mouse().Memory(MemoryArea::Scripts);
    EXPECT_EQ(scripts[0] | scripts[1] << 8, 0x55AA);
    EXPECT_LE(static_cast<std::size_t>(scripts[2] | scripts[3] << 8), scripts.size());
    EXPECT_TRUE(bus.MousePad().Memory(MemoryArea::Keys).empty());
}

TEST(VirtualDeviceTest, LatencyModelDelaysEachReport) {
    LinkedDevice d(DeviceKind::MousePad);
    d.Device().SetLatency(std::chrono::milliseconds(2));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(d.link.EnterSettingMode(), device::kSuccess);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(4));  // request and answer each cross once
    EXPECT_LT(took, std::chrono::milliseconds(250));
}

// The raw handle of a device's vendor collection, as a link has it.
std::unique_ptr<device::HidDevice> OpenVendor(VirtualDevice& device) {
    return device.Open(Collection::Vendor, {true, true, true, false});
}

device::ReportPacket ReadParamRequest(std::uint16_t offset) {
    return device::ReportPacket::Request(device::Command::ReadParamRecord, 1, offset);
}

TEST(VirtualDeviceTest, WritesReturnAtOnceAndAnswersFollowInRequestOrder) {
    // As with hidraw: a write does not wait for the device; the answer comes two crossings after
    // the write, and a late answer holds back the answers of the requests written after it.
    constexpr auto kLatency = std::chrono::milliseconds(60);
    auto device = VirtualDevice::Create(DeviceKind::MousePad);
    device->SetLatency(kLatency);
    device->InjectFault({FaultKind::LateAnswer, 1, 1});
    auto handle = OpenVendor(*device);
    ASSERT_NE(handle, nullptr);
    const auto start = std::chrono::steady_clock::now();
    std::size_t written = 0;
    ASSERT_EQ(handle->Write(ReadParamRequest(0).Bytes(), 1000, written), device::TransferStatus::Ok);
    ASSERT_EQ(handle->Write(ReadParamRequest(64).Bytes(), 1000, written), device::TransferStatus::Ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kLatency);

    std::array<std::uint8_t, device::kReportSize> answer{};
    std::size_t got = 0;
    ASSERT_EQ(handle->Read(answer, 5000, got), device::TransferStatus::Ok);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2 * kLatency + kLateAnswerDelay);
    EXPECT_EQ(device::ReportPacket(answer).Offset(), 0);  // the late one first
    ASSERT_EQ(handle->Read(answer, 5000, got), device::TransferStatus::Ok);
    EXPECT_EQ(device::ReportPacket(answer).Offset(), 64);
}

TEST(VirtualDeviceTest, AnUnplugLosesTheRequestsTheDeviceHasNotSeen) {
    // The device sees a request one latency after it was written. An unplug before that loses
    // the request; one after it finds the request done. An abort only ends a read: a request
    // on its way is done all the same.
    constexpr auto kLatency = std::chrono::milliseconds(300);
    struct Case {
        const char* name;
        bool unplug;
        std::chrono::milliseconds after;
        std::size_t requests;
    };
    const Case cases[] = {
        {"abort before", false, std::chrono::milliseconds(30), 1},
        {"unplug before", true, std::chrono::milliseconds(30), 0},
        {"unplug after", true, std::chrono::milliseconds(450), 1},
    };
    const auto request = device::ReportPacket::Request(device::Command::EnterSettingMode, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto device = VirtualDevice::Create(DeviceKind::MousePad);
        device->SetLatency(kLatency);
        auto handle = OpenVendor(*device);
        ASSERT_NE(handle, nullptr);
        std::size_t written = 0;
        ASSERT_EQ(handle->Write(request.Bytes(), 5000, written), device::TransferStatus::Ok);
        std::thread interrupt([&] {
            std::this_thread::sleep_for(c.after);
            if (c.unplug) {
                device->Unplug();
            } else {
                handle->Abort();
            }
        });
        std::array<std::uint8_t, device::kReportSize> answer{};
        std::size_t got = 0;
        const auto status = handle->Read(answer, 5000, got);
        interrupt.join();
        EXPECT_EQ(status, c.unplug ? device::TransferStatus::Gone : device::TransferStatus::Aborted);
        if (!c.unplug) device->SettleInputs();
        EXPECT_EQ(device->Requests().size(), c.requests);
    }
}

TEST(VirtualDeviceTest, MemorySurvivesARestartInItsFolder) {
    TempFolder folder;
    const std::vector<std::uint8_t> macro{0xAA, 0x55, 20, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 18, 0, 0, 0};
    const std::array<std::uint8_t, 1> slot{4};
    std::vector<std::uint8_t> bank(126, 0x20);
    {
        VirtualHidBus bus(folder.path());
        device::DeviceLink link(bus);
        link.SetIdentity(device::kVendorId, device::kMouseProductId, device::kVendorUsage,
                         device::kVendorUsagePage);
        ASSERT_EQ(device::OpenMatchingDevice(link), device::OpenMatchResult::Opened);
        link.connected = true;
        ASSERT_EQ(link.WriteParamRecord(slot, 0), device::kSuccess);
        ASSERT_EQ(link.WriteKeyBank(bank, 1, bank.size()), device::kSuccess);
        ASSERT_EQ(link.EnterSettingMode(), device::kSuccess);
        ASSERT_EQ(link.WriteMacroData(macro), device::kSuccess);
        ASSERT_EQ(link.ExitSettingMode(), device::kSuccess);
        // Written when the settings changed, not only at shutdown.
        bus.Mouse().WaitForWrites();
        EXPECT_TRUE(std::filesystem::exists(folder.path() / "mouse" / "macros.bin"));
        EXPECT_TRUE(std::filesystem::exists(folder.path() / "mouse" / "keys.bin"));
    }
    VirtualHidBus again(folder.path());
    EXPECT_EQ(again.Mouse().Memory(MemoryArea::Params)[0], 4);
    const auto keysBack = again.Mouse().Memory(MemoryArea::Keys);
    EXPECT_TRUE(std::equal(bank.begin(), bank.end(), keysBack.begin() + 126));
    const auto macrosBack = again.Mouse().Memory(MemoryArea::Macros);
    EXPECT_TRUE(std::equal(macro.begin(), macro.end(), macrosBack.begin()));
    EXPECT_EQ(again.Keyboard().Memory(MemoryArea::Params), FactoryArea(DeviceKind::Keyboard, MemoryArea::Params));

    // A file of the wrong size is ignored: factory contents instead.
    std::ofstream(folder.path() / "mouse" / "params.bin", std::ios::binary | std::ios::trunc) << "short";
    VirtualHidBus third(folder.path());
    EXPECT_EQ(third.Mouse().Memory(MemoryArea::Params), FactoryArea(DeviceKind::Mouse, MemoryArea::Params));
}

TEST(VirtualDeviceTest, ConcurrentLinksAndEventsStayConsistent) {
    // Several threads share one link, as the UI thread, a lighting thread and a watcher do.
    LinkedDevice d(DeviceKind::Keyboard);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            std::array<std::uint8_t, 56> record{};
            record.fill(static_cast<std::uint8_t>(t));
            for (int i = 0; i < 50; ++i) {
                if (t == 0) {
                    std::array<std::uint8_t, 33> info{};
                    if (d.link.ReadDeviceInfo(info) != device::kSuccess) ++failures;
                } else if (d.link.SendPreviewColors(record) != device::kSuccess) {
                    ++failures;
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    // Every exchange gets an answer (that it is its own is the link's tests' concern).
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace corvane::virt
