#include <gtest/gtest.h>
#include <stdlib.h>

#include "keys/key_entry.h"
#include "macros/macro_files.h"
#include "macros/macro_list.h"
#include "profiles/profile_file.h"
#include "profiles/profile_index.h"
#include "test_home.h"

namespace corvane::profiles {
namespace {

using device::DeviceKind;

// A first start against the default files the build generated.
TEST(ShippedDefaults, FirstStartFillsEveryFamilyAndScript) {
    corvane::testing::TestHome home;
    ::setenv("CORVANE_HOME", CORVANE_BUILT_PROGRAM_FOLDER, 1);
    for (const DeviceKind kind : device::kAllDeviceKinds) {
        const ProfileIndexLoad load = LoadProfileIndex(kind);
        EXPECT_FALSE(load.message) << static_cast<int>(kind);
        for (const FamilyList& list : load.lists) {
            ASSERT_EQ(list.names.size(), 1u);
            const FamilyInfo& f = Family(list.family);
            EXPECT_EQ(corvane::testing::ReadBytes(ProfilePath(list.family, f.firstRunName)).size(),
                      kProfileHeaderSize + f.payloadSize)
                << f.id;
        }
    }
    std::vector<std::uint8_t> mouseKeys(kKeyPayloadSize, 0);
    ASSERT_EQ(ReadProfileFile(DefaultProfilePath(ProfileFamily::MsKey), mouseKeys), kProfileReadOk);
    keys::KeyTable bank{};
    std::copy(mouseKeys.begin(), mouseKeys.end(), bank.begin());
    EXPECT_TRUE(keys::HasLeftClick(bank));

    macros::MacroList mouse(DeviceKind::Mouse);
    mouse.Load();
    for (int i = 0; i < macros::kCursorScriptCount; ++i) {
        EXPECT_EQ(macros::ReadStepCount(macros::CursorScriptPath(macros::CursorScriptName(i))), 180);
    }
}

}  // namespace
}  // namespace corvane::profiles
