// Profile lists end to end: selection with its sends, reset, and the keyboard's read-backs.

#include "pages_fixture.h"

#include <cstdlib>

#include "platform/atomic_file.h"
#include "shell/save_failure_notice.h"

namespace corvane::shell::testing {
namespace {

constexpr std::size_t kBrightness = 2;

std::string ThreeNames(const char* count, const char* names, const char* select) {
    return std::string("[") + count + "]\ncount=3\n[" + names + "]\n0=p0\n1=p1\n2=p2\n[" + select + "]\nselect=0\n";
}

TEST_F(PagesTest, SelectingKeyboardLightingProfileTwoAlsoSelectsKeyProfileTwo) {
    WriteIndex(DeviceKind::Keyboard, ThreeNames("PROFILEDENGCOUNT", "PROFILEDENGNAME", "PROFILEDENGSELECT") +
                                         ThreeNames("PROFILECOUNT", "PROFILENAME", "PROFILESELECT"));
    for (int i = 0; i < 3; ++i) {
        const std::string name = "p" + std::to_string(i);
        WriteProfile(ProfileFamily::KbDeng, name, [i](Bytes& p) { p[kBrightness] = static_cast<std::uint8_t>(10 + i); });
        WriteProfile(ProfileFamily::KbKey, name, [i](Bytes& p) { p[0] = static_cast<std::uint8_t>(0x70 + i); });
    }
    Start({DeviceKind::Keyboard});
    ASSERT_EQ(window_->FindCombo("kb_deng_profile_combo")->Count(), 3);

    PickItem("kb_deng_profile_combo", 2);
    Flush();
    EXPECT_EQ(window_->FindCombo("kb_key_profile_combo")->CurSel(), 2);
    EXPECT_EQ(TextOf("kb_deng_profile_name_edit"), "p2");
    EXPECT_EQ(Params(DeviceKind::Keyboard)[kBrightness], 12);
    EXPECT_EQ(Dev(DeviceKind::Keyboard).Memory(virt::MemoryArea::Keys)[0], 0x72);
    EXPECT_EQ(profiles::ReadSelect(ProfileFamily::KbDeng), 2);
    EXPECT_EQ(profiles::ReadSelect(ProfileFamily::KbKey), 2);
    EXPECT_GT(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteKeyBank), 0u);
}

// Picking a profile whose file is missing or damaged says so: what is in effect stays, and the
// next save replaces the file with it.
TEST_F(PagesTest, PickingAProfileWhoseFileCannotBeReadSaysSo) {
    WriteIndex(DeviceKind::Mouse, "[PROFILEDEVICECOUNT]\ncount=3\n[PROFILEDEVICENAME]\n0=a\n1=b\n2=c\n"
                                  "[PROFILEDEVICESELECT]\nselect=0\n");
    WriteProfile(ProfileFamily::MsDevice, "a", [](Bytes&) {});
    std::ofstream(DeviceFolder(DeviceKind::Mouse) / "c.config") << "not a profile";
    Start({DeviceKind::Mouse});
    boxes_.clear();
    PickItem("ms_device_profile_combo", 1);
    PickItem("ms_device_profile_combo", 2);
    EXPECT_EQ(boxes_, (std::vector<std::string>{"message_text_8", "message_text_9"}));
}

TEST_F(PagesTest, MouseDeviceProfileShowsItsPointerValues) {
    WriteIndex(DeviceKind::Mouse, "[PROFILEDEVICECOUNT]\ncount=2\n[PROFILEDEVICENAME]\n0=a\n1=b\n"
                                  "[PROFILEDEVICESELECT]\nselect=0\n");
    WriteProfile(ProfileFamily::MsDevice, "b", [](Bytes& p) {
        p[512 + 23] = 7;  // pointer speed
        p[512 + 24] = 4;  // wheel lines
        p[512 + kBrightness] = 9;
    });
    Start({DeviceKind::Mouse});
    PickItem("ms_device_profile_combo", 1);
    Flush();
    EXPECT_EQ(window_->FindSlider("ms_point_speed_slider")->Value(), 3);
    EXPECT_EQ(TextOf("ms_gunlun_speed_edit"), "4");
    EXPECT_EQ(Params(DeviceKind::Mouse)[kBrightness], 9);
    EXPECT_GE(Dev(DeviceKind::Mouse).RequestCount(device::Command::WriteKeyBank), 1u);
}

TEST_F(PagesTest, ResettingTheMouseKeyProfileWritesTheDefaultBankToFileAndMouse) {
    Start({DeviceKind::Mouse});
    Bytes shipped(512, 0);
    ASSERT_EQ(profiles::ReadProfileFile(profiles::DefaultProfilePath(ProfileFamily::MsKey), shipped), 0);
    // Something else in the mouse's bank 0 first.
    const Bytes other(126, 0x11);
    Dev(DeviceKind::Mouse).SetMemory(virt::MemoryArea::Keys, 0, other);
    main_->State(DeviceKind::Mouse).Update([](device::DeviceImages& i) { i.keyBanks[0].fill(0x11); });

    Click("ms_pro_key_reset_btn");  // asked, and not confirmed: nothing changes
    EXPECT_EQ(Boxes("message_confirm_profile_reset"), 1);
    main_->State(DeviceKind::Mouse).Read([](const device::DeviceImages& i) { EXPECT_EQ(i.keyBanks[0][0], 0x11); });
    boxAnswer_ = ui::kMessageConfirmed;  // the reset asks first
    Click("ms_pro_key_reset_btn");
    Flush();
    const Bytes file = ProfileBytes(ProfileFamily::MsKey, "新配置文件1");
    ASSERT_EQ(file.size(), kHeader + 512);
    EXPECT_TRUE(std::equal(shipped.begin(), shipped.end(), file.begin() + kHeader));
    const Bytes keys = Dev(DeviceKind::Mouse).Memory(virt::MemoryArea::Keys);
    EXPECT_TRUE(std::equal(shipped.begin(), shipped.begin() + 126, keys.begin()));
    EXPECT_GT(Dev(DeviceKind::Mouse).RequestCount(device::Command::WriteKeyBank), 0u);
}

TEST_F(PagesTest, MouseLightingResetSavesTheRunningPointerValuesThenResetsThem) {
    Start({DeviceKind::Mouse});
    Slide("ms_point_speed_slider", 9);  // stores 20
    boxAnswer_ = ui::kMessageConfirmed;  // the reset asks first
    Click("ms_pro_deng_reset_btn");
    EXPECT_EQ(ProfileBytes(ProfileFamily::MsDeng, "新配置文件1")[kHeader + 23], 20);
    EXPECT_EQ(ProfileBytes(ProfileFamily::MsDevice, "新配置文件1")[kHeader + 512 + 23], 20);
    EXPECT_EQ(window_->FindSlider("ms_point_speed_slider")->Value(), 5);
    EXPECT_EQ(TextOf("ms_gunlun_speed_edit"), "1");
    // The next save carries 10 and 1.
    Slide("ms_deng_light_slider", 1);
    const Bytes saved = ProfileBytes(ProfileFamily::MsDeng, "新配置文件1");
    EXPECT_EQ(saved[kHeader + 23], 10);
    EXPECT_EQ(saved[kHeader + 24], 1);
}

TEST_F(PagesTest, RestoreReadBackWithoutKeyDefaultRewritesOnlyLightingProfiles) {
    // A program folder whose defaults lack the keyboard's key table.
    const auto program = home_ / "program";
    std::filesystem::create_directories(program / "defaults");
    for (const auto& entry : std::filesystem::directory_iterator(BinFolder() / "defaults")) {
        if (entry.path().filename() != "kbkeydefault.pro") {
            std::filesystem::copy_file(entry.path(), program / "defaults" / entry.path().filename());
        }
    }
    WriteIndex(DeviceKind::Keyboard, ThreeNames("PROFILEDENGCOUNT", "PROFILEDENGNAME", "PROFILEDENGSELECT") +
                                         ThreeNames("PROFILECOUNT", "PROFILENAME", "PROFILESELECT"));
    for (int i = 0; i < 3; ++i) {
        const std::string name = "p" + std::to_string(i);
        WriteProfile(ProfileFamily::KbDeng, name, [](Bytes& p) { p[kBrightness] = 1; });
        WriteProfile(ProfileFamily::KbKey, name, [i](Bytes& p) { p[0] = static_cast<std::uint8_t>(0x70 + i); });
    }
    setenv("CORVANE_HOME", program.c_str(), 1);
    Start({DeviceKind::Keyboard});
    std::vector<Bytes> keysBefore;
    for (int i = 0; i < 3; ++i) keysBefore.push_back(ProfileBytes(ProfileFamily::KbKey, "p" + std::to_string(i)));

    // The keyboard restored itself to another brightness, then announces it.
    const Bytes brightness{6};
    Dev(DeviceKind::Keyboard).SetMemory(virt::MemoryArea::Params, kBrightness, brightness);
    main_->HandleMessage(WindowMessage::KeyboardRestored, 0, 0);
    ASSERT_TRUE(RunUntil([&] { return ProfileBytes(ProfileFamily::KbDeng, "p2")[kHeader + kBrightness] == 6; }));
    // What the read-back set off (the lists' selections and their sends) has run to its end.
    Flush();
    EXPECT_FALSE(main_->KeyboardRestoreFlag());
    for (int i = 0; i < 3; ++i) {
        const std::string name = "p" + std::to_string(i);
        const Bytes lighting = ProfileBytes(ProfileFamily::KbDeng, name);
        ASSERT_EQ(lighting.size(), 1974u) << name;
        EXPECT_EQ(lighting[kHeader + kBrightness], 6) << name;
        EXPECT_EQ(ProfileBytes(ProfileFamily::KbKey, name), keysBefore[i]) << name;
    }
}

TEST_F(PagesTest, RefreshedKeyDefaultIsKeptInTheUsersFolderAndUsedFromThere) {
    const std::string shipped = (BinFolder() / "defaults" / "kbkeydefault.pro").string();
    const Bytes shippedBefore = ReadFile(shipped);
    Start({DeviceKind::Keyboard});
    Bytes factory(126 * 3, 0);
    for (std::size_t i = 0; i < factory.size(); ++i) factory[i] = static_cast<std::uint8_t>(i * 7);
    Dev(DeviceKind::Keyboard).SetMemory(virt::MemoryArea::FactoryKeys, 0, factory);

    main_->HandleMessage(WindowMessage::KeyboardFactoryTable, 0, 0);
    const auto refreshed = home_ / "Documents" / "Gaming Keyboard" / "kbkeydefault.pro";
    ASSERT_TRUE(RunUntil([&] { return std::filesystem::exists(refreshed); }));
    EXPECT_EQ(ReadFile(shipped), shippedBefore);  // the program folder is never written
    EXPECT_FALSE(std::filesystem::exists(DeviceFolder(DeviceKind::Keyboard) / "kbkeydefault.pro"));

    // A reset of the keyboard's key profile now takes the refreshed table.
    boxAnswer_ = ui::kMessageConfirmed;  // the reset asks first
    Click("kb_pro_key_reset_btn");
    const Bytes file = ProfileBytes(ProfileFamily::KbKey, "Profile 1");
    ASSERT_EQ(file.size(), kHeader + 512);
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), file.begin() + kHeader));
}

TEST_F(PagesTest, AChangeRightBeforeTheQuitIsInItsProfileFile) {
    Start({DeviceKind::Keyboard});
    for (int level = 1; level <= 4; ++level) Slide("kb_deng_light_slider", level);
    main_->Destroy();
    EXPECT_EQ(ProfileBytes(ProfileFamily::KbDeng, "Profile 1")[kHeader + kBrightness], 4);
}

TEST_F(PagesTest, AFailedSaveIsShownOnceAndALaterOneStillReachesTheFile) {
    Start({DeviceKind::Keyboard});
    const SaveFailureNotice notice(*window_);
    const auto failingSlides = [&](int from) {
        platform::ScopedAtomicWriteFault fault(platform::AtomicWriteFault::DiskFull);
        for (int level = from; level < from + 3; ++level) Slide("kb_deng_light_slider", level);
        Flush();
    };
    failingSlides(1);
    ASSERT_TRUE(RunUntil([&] { return Boxes("message_save_disk_full") == 1; }));
    EXPECT_NE(ProfileBytes(ProfileFamily::KbDeng, "Profile 1")[kHeader + kBrightness], 3);
    Slide("kb_deng_light_slider", 0);  // the disk has room again
    Flush();
    EXPECT_EQ(ProfileBytes(ProfileFamily::KbDeng, "Profile 1")[kHeader + kBrightness], 0);
    failingSlides(2);
    RunUntil([] { return false; }, 50);
    EXPECT_EQ(Boxes("message_save_disk_full"), 1);  // once per cause and run
}

TEST_F(PagesTest, FirstRunBuildsEveryListWithItsFirstProfile) {
    Start({});
    for (ProfileFamily family : profiles::kAllFamilies) {
        const auto& f = profiles::Family(family);
        auto* combo = window_->FindCombo(f.listControl);
        ASSERT_NE(combo, nullptr) << f.id;
        ASSERT_EQ(combo->Count(), 1) << f.id;
        EXPECT_EQ(combo->ItemAt(0)->UserData(), std::string(f.firstRunName));
        EXPECT_EQ(ProfileBytes(family, std::string(f.firstRunName)).size(), kHeader + f.payloadSize) << f.id;
    }
}

}  // namespace
}  // namespace corvane::shell::testing
