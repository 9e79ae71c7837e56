#include "macros/macro_upload.h"

#include <gtest/gtest.h>

#include <optional>

#include "device/device_link.h"
#include "macros/cursor_scripts.h"
#include "macros/macro_files.h"
#include "macros/macro_image.h"
#include "macros/macro_list.h"
#include "profiles/profile_file.h"
#include "profiles/profile_index.h"
#include "test_home.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::macros {
namespace {

using corvane::testing::ReadBytes;
using corvane::testing::ReadText;
using corvane::testing::TestHome;
using corvane::testing::WriteText;
using device::Command;
using device::DeviceKind;
using Bytes = std::vector<std::uint8_t>;

// A virtual device with a connected link to it, as after arrival.
struct Linked {
    explicit Linked(DeviceKind kind) : kind(kind), link(bus) {
        link.SetIdentity(device::kVendorId, device::ProductIdOf(kind), device::kVendorUsage,
                         device::kVendorUsagePage);
        link.connected = device::OpenMatchingDevice(link) == device::OpenMatchResult::Opened;
        Device().ClearRequests();
    }
    virt::VirtualDevice& Device() { return bus.Device(kind); }
    std::vector<std::uint8_t> Commands() {
        std::vector<std::uint8_t> commands;
        for (const auto& r : Device().Requests()) {
            if (commands.empty() || commands.back() != r.CommandByte()) commands.push_back(r.CommandByte());
        }
        return commands;
    }

    DeviceKind kind;
    virt::VirtualHidBus bus;
    device::DeviceLink link;
};

constexpr std::uint8_t C(Command c) { return static_cast<std::uint8_t>(c); }

void WriteMacroFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string text = "[MACROACTIONCOUNT]\ncount=" + std::to_string(lines.size()) + "\n[MACROACTION]\n";
    for (std::size_t j = 0; j < lines.size(); ++j) text += std::to_string(j) + "=" + lines[j] + "\n";
    WriteText(path, text);
}

TEST(MacroImage, LayoutOfOneAndTwoMacros) {
    TestHome home;
    MacroList list(DeviceKind::Keyboard);
    list.Load();
    list.NewMacro();
    WriteMacroFile(home.kb() + "name_1.mac", {"5,0,138,4,1,a", "300,1,10,4,0,b", "1,2,3"});
    const Bytes one = BuildImage(ReadImageSteps(MacroImageFiles(DeviceKind::Keyboard)));
    const Bytes expectedOne = {0xAA, 0x55, 34, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // header
                               18,   0,                                                  // offset
                               3,    0,    0,  0,                                        // record
                               5,    0,    138, 4,                                       // step 0
                               44,   1,    10, 4,                                        // 300 -> 44
                               0,    0,    0,  0};  // a line that is not a step: four zeros
    EXPECT_EQ(one, expectedOne);

    list.NewMacro();  // name_2: the first record now; name_1 has no file
    ASSERT_EQ(list.Rename(0, "empty", {}), MacroList::RenameResult::Renamed);
    std::filesystem::remove(home.kb() + "empty.mac");
    WriteMacroFile(home.kb() + "name_2.mac", {"1,0,129,1,1,x", "2,0,1,1,0,y"});
    const Bytes two = BuildImage(ReadImageSteps(MacroImageFiles(DeviceKind::Keyboard)));
    ASSERT_EQ(two.size(), 36u);
    EXPECT_EQ(two[2], 36);
    EXPECT_EQ(two[4], 2);
    EXPECT_EQ(Bytes(two.begin() + 16, two.begin() + 20), (Bytes{20, 0, 24, 0}));
    EXPECT_EQ(Bytes(two.begin() + 20, two.begin() + 24), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Bytes(two.begin() + 24, two.end()), (Bytes{2, 0, 0, 0, 1, 0, 129, 1, 2, 0, 1, 1}));

    EXPECT_TRUE(BuildImage({}).empty());
    EXPECT_EQ(ExcessSteps(265, 256), 3u);
    EXPECT_EQ(ExcessSteps(257, 256), 1u);
    EXPECT_EQ(ExcessSteps(256, 256), 0u);
}

TEST(MacroImage, ParseRejectsRecordsOutsideTheImage) {
    Bytes image = {0xAA, 0x55, 28, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 18, 0, 2, 0, 0, 0,
                   1,    0,    0x84, 3, 0, 0, 0x05, 12};
    image[2] = static_cast<std::uint8_t>(image.size());
    const auto parsed = ParseImage(image);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->size(), 1u);
    EXPECT_EQ((*parsed)[0][0], (MacroAction{1, 0, 0x84, 3, 1, ""}));
    image[18] = 3;  // three steps claimed, two present
    EXPECT_FALSE(ParseImage(image));
    image[18] = 2;
    image[16] = 200;  // record offset past the end
    EXPECT_FALSE(ParseImage(image));
    EXPECT_FALSE(ParseImage(Bytes{0x55, 0xAA, 16, 0}));
}

TEST(MacroUpload, SendsImageThenActiveBankAndSavesTheKeyProfile) {
    TestHome home;
    Linked kb(DeviceKind::Keyboard);
    MacroList list(DeviceKind::Keyboard);
    list.Load();
    list.NewMacro();
    WriteMacroFile(home.kb() + "name_1.mac", {"5,0,138,4,1,a", "5,0,10,4,0,a", "9,0,137,2,1,s"});
    profiles::WriteProfileName(profiles::ProfileFamily::KbKey, 0, "Profile 1");

    device::DeviceImages images;
    images.info[device::kInfoMacroCapacity] = 2;  // 256 bytes
    images.info[device::kInfoKeyCount] = 104;
    images.activeLighting[0] = 3;
    images.keyBanks[3][0] = 0x70;
    images.keyBanks[0][511] = 0x5A;
    std::vector<std::pair<std::string, int>> messages;
    const MessageHook hook = [&](std::string_view id, int n) { messages.emplace_back(id, n); };
    const profiles::SettingBlocks blocks{.keyboard = &images};

    EXPECT_EQ(UploadMacros(kb.link, DeviceKind::Keyboard, blocks, hook), 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(kb.Commands(), (std::vector<std::uint8_t>{C(Command::EnterSettingMode), C(Command::WriteMacroData),
                                                        C(Command::ExitSettingMode), C(Command::EnterSettingMode),
                                                        C(Command::WriteKeyBank), C(Command::ExitSettingMode)}));
    const Bytes memory = kb.Device().Memory(virt::MemoryArea::Macros);
    const Bytes expected = BuildImage(ReadImageSteps(MacroImageFiles(DeviceKind::Keyboard)));
    ASSERT_EQ(expected.size(), 34u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
    EXPECT_EQ(kb.Device().RequestCount(Command::WriteKeyBank), 6u);  // 104 keys x 3 bytes
    const Bytes keys = kb.Device().Memory(virt::MemoryArea::Keys);
    EXPECT_EQ(keys[3 * device::DeviceLink::kBankStride], 0x70);  // bank 3 went to bank 3
    Bytes payload(512, 0);
    ASSERT_EQ(profiles::ReadProfileFile(home.kb() + "Profile 1.pro", payload), profiles::kProfileReadOk);
    EXPECT_EQ(payload[511], 0x5A);

    // Too large: the number of steps to drop, and nothing sent or saved.
    WriteMacroFile(home.kb() + "name_1.mac", std::vector<std::string>(60, "1,0,138,4,1,a"));
    std::filesystem::remove(home.kb() + "Profile 1.pro");
    kb.Device().ClearRequests();
    EXPECT_EQ(UploadMacros(kb.link, DeviceKind::Keyboard, blocks, hook), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (std::pair<std::string, int>{"message_text_16", (262 - 256) / 4 + 1}));
    EXPECT_TRUE(kb.Device().Requests().empty());
    EXPECT_FALSE(std::filesystem::exists(home.kb() + "Profile 1.pro"));
}

// What the device refused is said, while the profile is saved all the same.
TEST(MacroUpload, SaysWhichTransferTheDeviceRefused) {
    struct Case {
        std::optional<virt::FaultKind> fault;
        bool ok;
    };
    for (const Case& c : {Case{std::nullopt, true}, Case{virt::FaultKind::StatusError, false},
                          Case{virt::FaultKind::StatusBusy, false}, Case{virt::FaultKind::WriteFails, false}}) {
        SCOPED_TRACE(c.fault ? std::string(virt::FaultName(*c.fault)) : "none");
        TestHome home;
        Linked ms(DeviceKind::Mouse);
        profiles::WriteProfileName(profiles::ProfileFamily::MsDevice, 0, "P");
        device::DeviceImages images;
        std::uint8_t pointer = 10, wheel = 3;
        const profiles::SettingBlocks blocks{.mouse = &images, .pointerSpeed = &pointer, .wheelSpeed = &wheel};
        if (c.fault) ms.Device().InjectFaultFromNow(*c.fault, 2, virt::kEveryPacket);  // past entering
        int result = 0;
        EXPECT_EQ(UploadMacros(ms.link, DeviceKind::Mouse, blocks, nullptr, nullptr, &result), 1);
        EXPECT_EQ(result == device::kSuccess, c.ok) << result;
        EXPECT_TRUE(std::filesystem::exists(home.ms() + "P.config"));
    }
}

TEST(MacroUpload, NoMacrosStillSendsTheBankAndSaves) {
    TestHome home;
    Linked ms(DeviceKind::Mouse);
    profiles::WriteProfileName(profiles::ProfileFamily::MsDevice, 0, "新配置文件1");
    device::DeviceImages images;
    std::uint8_t pointer = 10, wheel = 3;
    const profiles::SettingBlocks blocks{.mouse = &images, .pointerSpeed = &pointer, .wheelSpeed = &wheel};
    EXPECT_EQ(UploadMacros(ms.link, DeviceKind::Mouse, blocks, nullptr), 1);
    EXPECT_EQ(ms.Commands(), (std::vector<std::uint8_t>{C(Command::EnterSettingMode), C(Command::WriteKeyBank),
                                                        C(Command::ExitSettingMode)}));
    EXPECT_EQ(ms.Device().RequestCount(Command::WriteKeyBank), 3u);  // 126 bytes in 56-byte chunks
    EXPECT_EQ(ReadBytes(home.ms() + "新配置文件1.config").size(), 16u + 576u);

    // The device may be gone: the upload still completes and saves.
    ms.Device().Unplug();
    ms.link.connected = false;
    std::filesystem::remove(home.ms() + "新配置文件1.config");
    EXPECT_EQ(UploadMacros(ms.link, DeviceKind::Mouse, blocks, nullptr), 1);
    EXPECT_TRUE(std::filesystem::exists(home.ms() + "新配置文件1.config"));
}

TEST(CursorScripts, UploadLimitAndReadBack) {
    TestHome home;
    Linked ms(DeviceKind::Mouse);
    EXPECT_EQ(UploadCursorScripts(ms.link), 1);  // nothing to send
    EXPECT_TRUE(ms.Device().Requests().empty());

    EnsureCursorSection();
    WriteMacroFile(home.ms() + "name_1.cur", {"8,0,4,3,0,x", "0,0,132,3,1,y", "1,0,5,12,0,z"});
    WriteMacroFile(home.ms() + "name_2.cur", {"0,0,138,4,1,k", "0,0,137,2,1,m", "0,0,129,16,1,b", "0,0,99,1,0,q"});
    WriteMacroFile(home.ms() + "name_3.cur", {"1,0,5,1,0,keep"});
    EXPECT_EQ(UploadCursorScripts(ms.link), 1);
    EXPECT_EQ(ms.Commands(), (std::vector<std::uint8_t>{C(Command::EnterSettingMode), C(Command::WriteScriptData),
                                                        C(Command::ExitSettingMode)}));
    const Bytes sent = BuildImage(ReadImageSteps(ScriptImageFiles()));
    const Bytes scripts = ms.Device().Memory(virt::MemoryArea::Scripts);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), scripts.begin()));

    // An image with two scripts rewrites name_1 and name_2 only, labels from the step kinds.
    MacroList list(DeviceKind::Mouse);
    const std::vector<StepBytesList> two = ReadImageSteps({home.ms() + "name_1.cur", home.ms() + "name_2.cur"});
    const Bytes image = BuildImage(two);
    ASSERT_TRUE(ms.Device().SetMemory(virt::MemoryArea::Scripts, 0, image));
    WriteMacroFile(home.ms() + "name_1.cur", std::vector<std::string>(7, "0,0,0,0,0,stale"));
    ms.Device().ClearRequests();
    ASSERT_TRUE(ReadScriptsFromMouse(ms.link));
    EXPECT_EQ(ReadText(home.ms() + "name_1.cur"),
              "[MACROACTIONCOUNT]\ncount=3\n[MACROACTION]\n0=8,0,4,3,0,mouse_move_to_right_text\n"
              "1=0,0,132,3,1,mouse_move_to_left_text\n2=1,0,5,12,0,mouse_move_to_down_text\n");
    const auto second = ReadSteps(home.ms() + "name_2.cur");
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(second[0].label, "keyboard_key_A");
    EXPECT_EQ(second[1].label, "keyboard_key_LShift");
    EXPECT_EQ(second[2].label, "mouse_key_forward");
    EXPECT_EQ(second[3].label, std::string(kUnknownStepLabel));
    EXPECT_EQ(ReadSteps(home.ms() + "name_3.cur")[0].label, "keep");
    EXPECT_FALSE(ms.Device().InSettingMode());

    // No mark: the files stay.
    ASSERT_TRUE(ms.Device().SetMemory(virt::MemoryArea::Scripts, 0, Bytes{0x55, 0xAA}));
    EXPECT_FALSE(ReadScriptsFromMouse(ms.link));
    EXPECT_EQ(ReadSteps(home.ms() + "name_1.cur").size(), 3u);
    EXPECT_FALSE(ms.Device().InSettingMode());

    // Larger than the script memory: nothing is sent.
    WriteMacroFile(home.ms() + "name_4.cur", std::vector<std::string>(800, "1,0,4,1,0,x"));
    ms.Device().ClearRequests();
    EXPECT_EQ(UploadCursorScripts(ms.link), 0);
    EXPECT_TRUE(ms.Device().Requests().empty());
}

}  // namespace
}  // namespace corvane::macros
