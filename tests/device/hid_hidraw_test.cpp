#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "device/hid_channel.h"
#include "device/hidraw_backend.h"
#include "device/hidraw_io.h"

namespace corvane::device {
namespace {

using namespace std::chrono_literals;
using platform::UniqueFd;

// One end stands in for /dev/hidrawN, the other plays the device.
struct FdPair {
    UniqueFd node;
    UniqueFd device;
    FdPair() {
        int fds[2] = {-1, -1};
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        node.Reset(fds[0]);
        device.Reset(fds[1]);
    }
};

std::chrono::steady_clock::duration Elapsed(std::chrono::steady_clock::time_point start) {
    return std::chrono::steady_clock::now() - start;
}

TEST(HidrawIoTest, ReadsOneReportPerCall) {
    FdPair pair;
    const std::uint8_t first[] = {4, 1, 2, 3};
    const std::uint8_t second[] = {4, 9};
    ASSERT_EQ(::write(pair.device.Get(), first, sizeof first), 4);
    ASSERT_EQ(::write(pair.device.Get(), second, sizeof second), 2);
    HidrawIo io(std::move(pair.node), {});
    ASSERT_TRUE(io.Valid());
    std::uint8_t buffer[64] = {};
    std::size_t n = 0;
    EXPECT_EQ(io.Read(buffer, 1000, n), TransferStatus::Ok);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(buffer[3], 3);
    EXPECT_EQ(io.Read(buffer, 1000, n), TransferStatus::Ok);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(buffer[1], 9);
}

TEST(HidrawIoTest, UnnumberedReportsGetZeroIdInFront) {
    FdPair pair;
    const std::uint8_t data[] = {0xAA, 0xBB};
    ASSERT_EQ(::write(pair.device.Get(), data, sizeof data), 2);
    HidrawIo io(std::move(pair.node), {.prependZeroReportId = true});
    std::uint8_t buffer[8] = {0xFF, 0xFF, 0xFF};
    std::size_t n = 0;
    ASSERT_EQ(io.Read(buffer, 1000, n), TransferStatus::Ok);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0xAA);
    EXPECT_EQ(buffer[2], 0xBB);
}

TEST(HidrawIoTest, ReadTimesOutWithNothing) {
    FdPair pair;
    const int device = pair.device.Get();
    HidrawIo io(std::move(pair.node), {});
    std::uint8_t buffer[64];
    std::size_t n = 77;
    EXPECT_EQ(io.Read(buffer, 20, n), TransferStatus::TimedOut);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(io.Read(buffer, 0, n), TransferStatus::TimedOut);
    // A zero limit still takes what already waits: how an exchange drains a shared node.
    const std::uint8_t waiting[] = {3, 1, 4};
    ASSERT_EQ(::write(device, waiting, sizeof waiting), 3);
    EXPECT_EQ(io.Read(buffer, 0, n), TransferStatus::Ok);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(io.Read(buffer, 0, n), TransferStatus::TimedOut);
}

TEST(HidrawIoTest, AbortEndsWaitAtOnceAndStays) {
    FdPair pair;
    HidrawIo io(std::move(pair.node), {});
    const auto start = std::chrono::steady_clock::now();
    TransferStatus status = TransferStatus::Ok;
    std::thread reader([&] {
        std::uint8_t buffer[64];
        std::size_t n = 0;
        status = io.Read(buffer, 30000, n);
    });
    io.Abort();
    reader.join();
    EXPECT_EQ(status, TransferStatus::Aborted);
    EXPECT_LT(Elapsed(start), 10s);
    // A transfer that starts after the abort ends at once as well.
    std::uint8_t report[2] = {4, 0};
    std::size_t n = 0;
    EXPECT_EQ(io.Write(report, 30000, n), TransferStatus::Aborted);
    EXPECT_LT(Elapsed(start), 10s);
}

TEST(HidrawIoTest, WriteSendsWholeReport) {
    FdPair pair;
    HidrawIo io(std::move(pair.node), {});
    std::vector<std::uint8_t> report(64, 0x5A);
    report[0] = 4;
    std::size_t n = 0;
    ASSERT_EQ(io.Write(report, 1000, n), TransferStatus::Ok);
    EXPECT_EQ(n, 64u);
    std::uint8_t received[128];
    ASSERT_EQ(::read(pair.device.Get(), received, sizeof received), 64);
    EXPECT_TRUE(std::equal(report.begin(), report.end(), received));
}

TEST(HidrawIoTest, AccessAndHangUp) {
    {
        FdPair pair;
        HidrawIo io(std::move(pair.node), {.canRead = false, .canWrite = false});
        std::uint8_t buffer[4] = {4};
        std::size_t n = 0;
        EXPECT_EQ(io.Read(buffer, 10, n), TransferStatus::Failed);
        EXPECT_EQ(io.Write(buffer, 10, n), TransferStatus::Failed);
    }
    FdPair pair;
    HidrawIo io(std::move(pair.node), {});
    pair.device.Reset();
    std::uint8_t buffer[4] = {4};
    std::size_t n = 5;
    EXPECT_EQ(io.Read(buffer, 30000, n), TransferStatus::Gone);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(io.Write(buffer, 30000, n), TransferStatus::Gone);
}

class FixedEnumerator : public HidrawEnumerator {
public:
    bool ok = true;
    std::vector<HidrawNode> nodes;
    bool List(std::vector<HidrawNode>& out) override {
        out = nodes;
        return ok;
    }
};

// Vendor collection plus consumer-control collection on one node.
const std::vector<std::uint8_t> kTwoCollections = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0xC0,
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x0F, 0x19, 0x00,
    0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, 0x02, 0x81, 0x00, 0xC0,
};

TEST(HidrawBackendTest, EnumerationOrdersNodesAndSplitsCollections) {
    auto enumerator = std::make_unique<FixedEnumerator>();
    FixedEnumerator& fixed = *enumerator;
    for (int i = 0; i < 12; ++i) {
        fixed.nodes.push_back({"/dev/hidraw" + std::to_string(i), 0x1A2C, static_cast<std::uint16_t>(0x100 + i), {}});
    }
    fixed.nodes[3].reportDescriptor = kTwoCollections;
    fixed.nodes[5].reportDescriptor = {0xA1, 0x01};  // unreadable: one path, no suffix
    std::shuffle(fixed.nodes.begin(), fixed.nodes.end(), std::mt19937(7));
    HidrawBackend backend(std::move(enumerator));

    std::vector<std::string> paths;
    ASSERT_TRUE(backend.Enumerate(paths));
    std::vector<std::string> expected;
    for (int i = 0; i < 12; ++i) {
        char ids[32];
        std::snprintf(ids, sizeof ids, "#vid_1a2c&pid_%04x", 0x100 + i);
        const std::string base = "/dev/hidraw" + std::to_string(i) + ids;
        if (i == 3) {
            expected.push_back(base + "&col01");
            expected.push_back(base + "&col02");
        } else {
            expected.push_back(base);
        }
    }
    EXPECT_EQ(paths, expected);

    // Through a channel: every path in member order, ids readable from each.
    HidChannel channel(backend);
    ASSERT_TRUE(channel.EnumerateHidDevices());
    std::size_t count = 0;
    while (const std::string* p = channel.NextDevicePath()) {
        EXPECT_EQ(VendorIdFromPath(*p), 0x1A2C);
        ++count;
    }
    EXPECT_EQ(count, 13u);

    fixed.ok = false;
    EXPECT_FALSE(backend.Enumerate(paths));
    EXPECT_TRUE(paths.empty());
}

TEST(HidrawBackendTest, PresenceProbeOpensTheNode) {
    HidrawBackend backend(std::make_unique<FixedEnumerator>());
    char name[] = "/tmp/corvane-hidraw-XXXXXX";
    UniqueFd file(::mkstemp(name));
    ASSERT_TRUE(file);
    const std::string path = std::string(name) + "#vid_1a2c&pid_4c5e";
    // A plain file opens but answers no hidraw ioctl: present, yet not a device to open.
    EXPECT_TRUE(DeviceStillPresent(backend, path));
    EXPECT_EQ(backend.Open(path, {.wantRead = true}), nullptr);
    ::unlink(name);
    EXPECT_FALSE(DeviceStillPresent(backend, path));
    EXPECT_EQ(backend.Open(path, {}), nullptr);
}

}  // namespace
}  // namespace corvane::device
