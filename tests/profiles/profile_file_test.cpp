#include "profiles/profile_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/atomic_file.h"
#include "platform/debug_out.h"
#include "profiles/profile_family.h"
#include "profiles/profile_index.h"
#include "profiles/profile_payload.h"
#include "test_home.h"

namespace corvane::profiles {
namespace {

using corvane::testing::ReadBytes;
using corvane::testing::TestHome;
using corvane::testing::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

Bytes Header(std::uint8_t kind = 1) {
    Bytes h(kProfileHeaderSize, 0);
    h[0] = 0xAA;
    h[1] = 0x55;
    h[4] = kind;
    return h;
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ProfileFile, ReadResults) {
    TestHome home;
    const std::string path = home.root() + "/p.pro";
    Bytes longPayload(600);
    for (std::size_t i = 0; i < longPayload.size(); ++i) longPayload[i] = static_cast<std::uint8_t>(i);
    struct Case {
        const char* what;
        std::optional<Bytes> file;  // nothing: no file at all
        int result;
        Bytes payloadFront;  // the buffer's first bytes afterwards; the rest stays zero
    };
    const Case cases[] = {
        {"missing", std::nullopt, kProfileMissing, {}},
        {"empty", Bytes{}, kProfileBadFormat, {}},
        {"short header with magic", Bytes{0xAA, 0x55, 0, 0, 1}, kProfileBadFormat, {}},
        {"swapped magic", Concat(Bytes{0x55, 0xAA}, Bytes(14, 0)), kProfileBadFormat, {}},
        {"header only", Header(), kProfileReadOk, {}},
        {"short payload", Concat(Header(), Bytes{1, 2, 3}), kProfileReadOk, {1, 2, 3}},
        {"other device kind", Concat(Header(3), Bytes{9}), kProfileReadOk, {9}},
        {"long payload is cut", Concat(Header(), longPayload), kProfileReadOk,
         Bytes(longPayload.begin(), longPayload.begin() + 512)},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path);
        if (c.file) WriteBytes(path, *c.file);
        Bytes buffer(512, 0);
        EXPECT_EQ(ReadProfileFile(path, buffer), c.result) << c.what;
        Bytes expected = c.payloadFront;
        expected.resize(512, 0);
        EXPECT_EQ(buffer, expected) << c.what;
    }
    Bytes buffer(4, 0);
    EXPECT_EQ(ReadProfileFile(home.root(), buffer), kProfileMissing);  // a folder
    EXPECT_EQ(ReadProfileFile("", buffer), kProfileMissing);
}

TEST(ProfileFile, WriteLayoutCaseAndFailures) {
    TestHome home;
    const std::string path = home.root() + "/Game.led";
    const Bytes payload(kKeyboardLightingPayloadSize, 0x5A);
    ASSERT_TRUE(WriteProfileFile(path, payload, device::DeviceKind::Keyboard));
    const Bytes file = ReadBytes(path);
    ASSERT_EQ(file.size(), 1974u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 16), Header(1));  // reserved bytes zero
    EXPECT_EQ(Bytes(file.begin() + 16, file.end()), payload);

    // Another spelling of the name is the same file.
    Bytes small(4, 0);
    EXPECT_EQ(ReadProfileFile(home.root() + "/GAME.LED", small), kProfileReadOk);
    ASSERT_TRUE(WriteProfileFile(home.root() + "/game.Led", Bytes(2, 7), device::DeviceKind::Mouse));
    EXPECT_EQ(ReadBytes(path).size(), 18u);

    platform::DebugCapture debug;
    EXPECT_FALSE(WriteProfileFile(home.root() + "/no/folder.led", payload, device::DeviceKind::Keyboard));
    EXPECT_TRUE(debug.Contains("文件打开失败"));
    for (const auto fault : {platform::AtomicWriteFault::BeforeRename, platform::AtomicWriteFault::DiskFull}) {
        platform::ScopedAtomicWriteFault scoped(fault);
        EXPECT_FALSE(WriteProfileFile(path, payload, device::DeviceKind::Keyboard));
    }
    EXPECT_EQ(ReadBytes(path).size(), 18u);
    small.assign(4, 0);
    EXPECT_EQ(ReadProfileFile(path, small), kProfileReadOk);
    EXPECT_EQ(small, (Bytes{7, 7, 0, 0}));
}

TEST(ProfilePayload, KeyboardLightingFromAShortFile) {
    TestHome home;
    Bytes slot(64);
    for (std::size_t i = 0; i < slot.size(); ++i) slot[i] = static_cast<std::uint8_t>(i + 1);
    WriteBytes(home.root() + "/short.led", Concat(Header(), slot));
    Bytes payload(kKeyboardLightingPayloadSize, 0);
    ASSERT_EQ(ReadProfileFile(home.root() + "/short.led", payload), kProfileReadOk);

    device::DeviceImages kb;
    device::CustomColourStateImage state;
    device::KeyColourTableImage colours;
    state.fill(0xEE);
    colours.fill(0xEE);
    const SettingBlocks blocks{.keyboard = &kb, .customColourState = &state, .keyColourTable = &colours};
    ASSERT_TRUE(LoadPayload(ProfileFamily::KbDeng, payload, blocks));
    EXPECT_TRUE(std::equal(slot.begin(), slot.end(), kb.lightingSlots[0].begin()));
    EXPECT_TRUE(std::equal(slot.begin(), slot.begin() + 41, kb.activeLighting.begin()));
    EXPECT_EQ(state, device::CustomColourStateImage{});
    EXPECT_EQ(colours, device::KeyColourTableImage{});

    // Saving writes the active record into slot 0 first and yields the full 1958 bytes.
    kb.activeLighting[3] = 0x99;
    colours[1889] = 0x42;
    const auto built = AssemblePayload(ProfileFamily::KbDeng, blocks);
    ASSERT_TRUE(built);
    ASSERT_EQ(built->size(), kKeyboardLightingPayloadSize);
    EXPECT_EQ((*built)[3], 0x99);
    EXPECT_EQ((*built)[50], slot[50]);
    EXPECT_EQ(built->back(), 0x42);
    EXPECT_FALSE(LoadPayload(ProfileFamily::KbDeng, Bytes(64), blocks));  // wrong size
    EXPECT_FALSE(AssemblePayload(ProfileFamily::KbDeng, SettingBlocks{.keyboard = &kb}));
}

TEST(ProfilePayload, MouseDeviceFileReadAsOtherKindsAndSpeedRules) {
    TestHome home;
    Bytes devicePayload(kMouseDevicePayloadSize);
    for (std::size_t i = 0; i < devicePayload.size(); ++i) devicePayload[i] = static_cast<std::uint8_t>(i * 7);
    devicePayload[512 + 23] = 0;  // pointer speed
    devicePayload[512 + 24] = 0;  // wheel speed
    const std::string path = home.root() + "/m.config";
    WriteBytes(path, Concat(Header(2), devicePayload));

    Bytes asKeys(kKeyPayloadSize, 0), asLighting(kLightingPayloadSize, 0);
    ASSERT_EQ(ReadProfileFile(path, asKeys), kProfileReadOk);
    ASSERT_EQ(ReadProfileFile(path, asLighting), kProfileReadOk);
    EXPECT_TRUE(std::equal(asKeys.begin(), asKeys.end(), devicePayload.begin()));
    EXPECT_TRUE(std::equal(asLighting.begin(), asLighting.end(), devicePayload.begin()));

    device::DeviceImages ms;
    std::uint8_t pointer = 9, wheel = 9;
    const SettingBlocks blocks{.mouse = &ms, .pointerSpeed = &pointer, .wheelSpeed = &wheel};
    ASSERT_TRUE(LoadPayload(ProfileFamily::MsDevice, devicePayload, blocks));
    EXPECT_TRUE(std::equal(ms.keyBanks[0].begin(), ms.keyBanks[0].end(), devicePayload.begin()));
    EXPECT_TRUE(std::equal(ms.lightingSlots[0].begin(), ms.lightingSlots[0].end(), devicePayload.begin() + 512));
    EXPECT_TRUE(std::equal(ms.activeLighting.begin(), ms.activeLighting.begin() + 23, devicePayload.begin() + 512));
    EXPECT_EQ(pointer, 1);
    EXPECT_EQ(wheel, 1);

    pointer = 14;
    wheel = 3;
    const auto lighting = AssemblePayload(ProfileFamily::MsDeng, blocks);
    ASSERT_TRUE(lighting);
    EXPECT_EQ(lighting->size(), kLightingPayloadSize);
    EXPECT_EQ((*lighting)[23], 14);
    EXPECT_EQ((*lighting)[24], 3);
    const auto all = AssemblePayload(ProfileFamily::MsDevice, blocks);
    ASSERT_TRUE(all);
    EXPECT_TRUE(std::equal(lighting->begin(), lighting->end(), all->begin() + 512));

    device::DeviceImages pad;
    pad.activeLighting.fill(0x11);
    const auto padPayload = AssemblePayload(ProfileFamily::MpDeng, SettingBlocks{.pad = &pad});
    ASSERT_TRUE(padPayload);
    EXPECT_EQ((*padPayload)[20], 0x11);
    EXPECT_EQ((*padPayload)[21], 0x00);  // beyond the pad's 21-byte record
}

}  // namespace
}  // namespace corvane::profiles
