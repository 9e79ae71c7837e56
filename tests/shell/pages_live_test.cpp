// Live lighting end to end: synchronised effects streamed to the three virtual devices and shown
// on the device pictures, and the devices' own buttons.

#include "lighting/colour.h"
#include "pages_fixture.h"

namespace corvane::shell::testing {
namespace {

constexpr std::size_t kMode = 1;

class LiveTest : public PagesTest {
protected:
    void SetUp() override {
        PagesTest::SetUp();
        options_.liveTiming.lighting.startDelayMs = 0;
    }
    void StartAll() {
        Start({DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad});
        window_->Show();
    }
    // A device's page in view: only pictures in view are repainted.
    void ShowTab(const std::string& tab) {
        auto* option = window_->FindOption(tab);
        ASSERT_NE(option, nullptr) << tab;
        option->SetSelected(true, true);
        QCoreApplication::processEvents();
    }
    std::uint64_t Frames(DeviceKind kind) { return Dev(kind).PreviewFrames(); }
    // Runs the event loop until every device got `more` frames beyond `since`.
    bool FramesArrive(const std::array<std::uint64_t, 3>& since, std::uint64_t more = 3) {
        return RunUntil([&] {
            for (DeviceKind k : device::kAllDeviceKinds) {
                if (Frames(k) < since[device::KindIndex(k)] + more) return false;
            }
            return true;
        });
    }
    // The consumer watchers hear a device's buttons once they listen to it.
    void WaitListening(DeviceKind kind) {
        ASSERT_TRUE(RunUntil([&] { return Dev(kind).RaiseConsumerEvent(0) > 0; }));
    }
    std::array<std::uint64_t, 3> AllFrames() {
        return {Frames(DeviceKind::Keyboard), Frames(DeviceKind::Mouse), Frames(DeviceKind::MousePad)};
    }
};

TEST_F(LiveTest, ASynchronisedWaveFromTheMouseHoldsUntilOneDevicesNextWrite) {
    StartAll();
    PickItem("ms_deng_combo_modeSelect1", 0);  // wave
    Slide("ms_deng_speed_slider", 14);          // fastest
    Slide("ms_deng_light_slider", 0);
    PickColour("ms_deng_Color_Pallet", 0xFF4080C0);
    Flush();
    for (DeviceKind kind : device::kAllDeviceKinds) Dev(kind).ClearRequests();
    Click("ms_deng_same_mode");
    // Many flush ticks and frames later all three are still driven together, and the records
    // same-mode copied were never sent (a parameter write would have ended the synchronisation).
    ASSERT_TRUE(FramesArrive({0, 0, 0}, 5));
    const auto before = AllFrames();
    ASSERT_TRUE(FramesArrive(before, 5));
    for (DeviceKind kind : device::kAllDeviceKinds) {
        EXPECT_TRUE(main_->Link(kind).syncLighting);
        EXPECT_EQ(Dev(kind).RequestCount(device::Command::WriteParamRecord), 0u);
        EXPECT_EQ(Record(kind)[kMode], 0);
    }
    // The wave moves: two frames of the pad differ.
    const Bytes first = Dev(DeviceKind::MousePad).PreviewColours();
    ASSERT_TRUE(RunUntil([&] { return Dev(DeviceKind::MousePad).PreviewColours() != first; }));

    Slide("mp_deng_light_slider", 2);
    Flush();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main_->Link(DeviceKind::Keyboard).syncLighting);
    EXPECT_TRUE(main_->Link(DeviceKind::Mouse).syncLighting);
    EXPECT_FALSE(main_->Link(DeviceKind::MousePad).syncLighting);
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteParamRecord), 0u);
    EXPECT_EQ(Dev(DeviceKind::Mouse).RequestCount(device::Command::WriteParamRecord), 0u);
    // The pad runs its own wave now, the other two stay synchronised.
    ASSERT_TRUE(FramesArrive(AllFrames()));
}

TEST_F(LiveTest, AStaticSynchronisedColourReachesEveryZoneAndOverlay) {
    StartAll();
    PickItem("ms_deng_combo_modeSelect1", 3);  // static
    Slide("ms_deng_light_slider", 0);           // full brightness
    const lighting::Rgb colour{0x40, 0x80, 0xC0};
    PickColour("ms_deng_Color_Pallet", lighting::ToArgb(colour));
    Flush();
    Click("ms_deng_same_mode");
    ASSERT_TRUE(FramesArrive(AllFrames()));
    ASSERT_TRUE(FramesArrive(AllFrames(), 1));  // frames computed after the click only
    struct Picture {
        DeviceKind kind;
        const char* tab;
        const char* prefix;
        int zones;
    };
    for (const Picture& p : {Picture{DeviceKind::Keyboard, "kb_tab", "kb_dkey_", 126},
                             Picture{DeviceKind::Mouse, "ms_tab", "ms_dkey_", 20},
                             Picture{DeviceKind::MousePad, "mp_tab", "mp_dkey_", 15}}) {
        ShowTab(p.tab);
        const Bytes preview = Dev(p.kind).PreviewColours();
        ASSERT_EQ(preview.size(), static_cast<std::size_t>(p.zones) * 3);
        for (int z = 0; z < p.zones; ++z) {
            const auto at = static_cast<std::size_t>(z) * 3;
            EXPECT_EQ((lighting::Rgb{preview[at], preview[at + 1], preview[at + 2]}), colour) << p.prefix << z;
        }
        // A frame of the device's own effect may still land before the synchronised ones; the
        // synchronised frames light every zone again and the picture follows.
        ASSERT_TRUE(RunUntil([&] {
            auto* first = window_->Find(std::string(p.prefix) + "0");
            return first->OverlayAlpha() == 255 && first->OverlayColour() == lighting::ToArgb(colour);
        }));
        for (int z = 0; z < p.zones; ++z) {
            auto* zone = Find(p.prefix + std::to_string(z));
            EXPECT_EQ(zone->OverlayColour(), lighting::ToArgb(colour)) << p.prefix << z;
            EXPECT_EQ(zone->OverlayAlpha(), 255) << p.prefix << z;
        }
    }
}

// Overlay work follows what can be seen: a picture out of view or a hidden window repaints
// nothing, and a picture coming back into view shows what its frames left meanwhile.
TEST_F(LiveTest, OnlyPicturesInViewDoOverlayWork) {
    StartAll();
    ShowTab("mp_tab");
    PickItem("mp_deng_combo_modeSelect", 0);
    Flush();
    ASSERT_TRUE(RunUntil([&] { return main_->Live().BatchesApplied(DeviceKind::MousePad) > 2; }));
    const auto mouseBatches = main_->Live().BatchesApplied(DeviceKind::Mouse);
    window_->Hide();
    QCoreApplication::processEvents();
    const auto batches = main_->Live().BatchesApplied(DeviceKind::MousePad);
    const auto frames = Frames(DeviceKind::MousePad);
    ASSERT_TRUE(RunUntil([&] { return Frames(DeviceKind::MousePad) > frames + 5; }));
    EXPECT_EQ(main_->Live().BatchesApplied(DeviceKind::MousePad), batches);
    EXPECT_EQ(main_->Live().BatchesApplied(DeviceKind::Mouse), mouseBatches);  // never in view
    window_->Show();
    ASSERT_TRUE(RunUntil([&] { return main_->Live().BatchesApplied(DeviceKind::MousePad) > batches; }));
}

TEST_F(LiveTest, TheDevicesOwnButtonsReachTheWindow) {
    StartAll();
    // The keyboard's slot button: the keyboard brings slot 3 into its working record and the
    // window reads it.
    WaitListening(DeviceKind::Keyboard);
    WaitListening(DeviceKind::Mouse);
    const Bytes slot3Mode{6};
    ASSERT_TRUE(Dev(DeviceKind::Keyboard).SetMemory(virt::MemoryArea::Params, 3 * 64 + kMode, slot3Mode));
    ASSERT_TRUE(Dev(DeviceKind::Keyboard).PressSlotButton(3));
    ASSERT_TRUE(RunUntil([&] { return Record(DeviceKind::Keyboard)[kMode] == 6; }));
    EXPECT_EQ(Params(DeviceKind::Keyboard)[0], 3);
    // A lighting change made after that is written to the keyboard, which stays on slot 3.
    Dev(DeviceKind::Keyboard).ClearRequests();
    PickItem("kb_deng_combo_modeSelect", 2);
    Flush();
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteParamRecord), 1u);
    EXPECT_NE(Params(DeviceKind::Keyboard)[kMode], 6);
    EXPECT_EQ(Params(DeviceKind::Keyboard)[0], 3);
    // The mouse's restore button: factory settings are read back.
    PickItem("ms_deng_combo_modeSelect1", 4);
    Flush();
    ASSERT_NE(Params(DeviceKind::Mouse)[kMode], virt::FactoryArea(DeviceKind::Mouse, virt::MemoryArea::Params)[kMode]);
    ASSERT_TRUE(Dev(DeviceKind::Mouse).PressRestoreButton());
    ASSERT_TRUE(RunUntil([&] {
        return Record(DeviceKind::Mouse)[kMode] == virt::FactoryArea(DeviceKind::Mouse, virt::MemoryArea::Params)[kMode];
    }));
}

TEST_F(LiveTest, ThePenColourOfThePerKeyModeIsNotSentToTheKeyboard) {
    StartAll();
    PickItem("kb_deng_combo_modeSelect", 8);
    Flush();
    Dev(DeviceKind::Keyboard).ClearRequests();
    PickColour("kb_deng_Color_Pallet", 0xFF112233);
    EXPECT_FALSE(main_->LightingPending(DeviceKind::Keyboard));
    QCoreApplication::processEvents();
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteParamRecord), 0u);
}

// A batch of overlays made for a mode the keyboard has left (the synchronised wave's, computed
// just before the user picked per-key colours) is dropped; one of the mode it shows is applied.
TEST_F(LiveTest, OverlaysOfAModeTheDeviceHasLeftAreDropped) {
    StartAll();
    ShowTab("kb_tab");
    PickItem("kb_deng_combo_modeSelect", lighting::kPerKeyColourMode);  // no frames of its own
    Flush();
    const lighting::Rgb stale{1, 2, 3};
    lighting::DeviceFrame frame;
    frame.SetOverlay(0, stale, 255);
    auto* key = Find("kb_dkey_0");
    main_->Live().ShowOverlays(DeviceKind::Keyboard, frame, 0);  // the wave's mode
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_NE(key->OverlayColour(), lighting::ToArgb(stale));

    main_->Live().ShowOverlays(DeviceKind::Keyboard, frame, lighting::kPerKeyColourMode);
    EXPECT_TRUE(RunUntil([&] { return key->OverlayColour() == lighting::ToArgb(stale); }));
}

}  // namespace
}  // namespace corvane::shell::testing
