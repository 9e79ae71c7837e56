#include "lighting/lighting_records.h"

#include <gtest/gtest.h>

#include "lighting/custom_colours.h"
#include "lighting_test_util.h"

namespace corvane::lighting {
namespace {

using device::DeviceKind;

TEST(LightingRecords, SpeedSliderInversions) {
    struct Case {
        DeviceKind kind;
        int slider;
        std::uint8_t stored;
    };
    const Case cases[] = {
        {DeviceKind::Keyboard, 0, 3}, {DeviceKind::Keyboard, 3, 0},  {DeviceKind::Keyboard, 1, 2},
        {DeviceKind::Keyboard, 9, 0}, {DeviceKind::Keyboard, -2, 3}, {DeviceKind::Mouse, 14, 0},
        {DeviceKind::Mouse, 0, 14},   {DeviceKind::MousePad, 5, 9},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeedFromSlider(c.kind, c.slider), c.stored) << int(c.kind) << " " << c.slider;
        EXPECT_EQ(SliderFromSpeed(c.kind, c.stored),
                  std::clamp(c.slider, 0, SpeedSliderMax(c.kind)));
    }
    EXPECT_EQ(SliderFromSpeed(DeviceKind::Mouse, 200), 0);  // a speed from a file beyond the slider
}

TEST(LightingRecords, DirectionControls) {
    ActiveLightingImage r{};
    SetDirection(r, DirectionControl::LeftCheck);
    EXPECT_EQ(Direction(r), 1);
    EXPECT_TRUE(LeftDirectionChecked(r));
    SetDirection(r, DirectionControl::RightCheck);
    EXPECT_EQ(Direction(r), 0);
    SetDirection(r, DirectionControl::MouseRightButton);
    EXPECT_EQ(Direction(r), 1);
    SetDirection(r, DirectionControl::MouseLeftButton);
    EXPECT_EQ(Direction(r), 0);
}

TEST(LightingRecords, ColourEdits) {
    struct Case {
        DeviceKind kind;
        const char* text;
        std::uint8_t value;
        std::optional<std::string> shown;
    };
    const Case cases[] = {
        {DeviceKind::Keyboard, "300", 255, "255"}, {DeviceKind::Mouse, "300", 255, "255"},
        {DeviceKind::MousePad, "99999999999", 255, "255"},
        {DeviceKind::Keyboard, "", 0, "0"},        {DeviceKind::Keyboard, "007", 7, "7"},
        {DeviceKind::Keyboard, "12", 12, std::nullopt}, {DeviceKind::Mouse, "007", 7, std::nullopt},
        {DeviceKind::Mouse, "", 0, std::nullopt},  {DeviceKind::Mouse, "-4", 0, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto edit = ReadColourEdit(c.kind, c.text);
        EXPECT_EQ(edit.value, c.value) << c.text;
        EXPECT_EQ(edit.rewrittenText, c.shown) << c.text;
    }
}

TEST(LightingRecords, PaletteStartsWithItsColoursAndFollowsTheKeyboard) {
    ColourPalette palette;
    EXPECT_EQ(palette.Entry(0), 0xFFFF0000u);
    EXPECT_EQ(palette.Entry(1), 0xFFFF6000u);
    EXPECT_EQ(palette.Entry(7), 0xFFFFFFFEu);
    ActiveLightingImage keyboard{};
    for (std::size_t i = 0; i < kUserColourCount; ++i) {
        SetUserColour(keyboard, i, Rgb{static_cast<std::uint8_t>(i), 2, 3});
    }
    EXPECT_EQ(keyboard[kUserColoursOffset + 21], 7);  // colour 7 starts at byte 35
    palette.ReloadFromUserColours(keyboard);
    EXPECT_EQ(palette.Entry(5), 0xFF050203u);
    EXPECT_EQ(palette.Colour(7), (Rgb{7, 2, 3}));
}

TEST(LightingRecords, SameModeCopiesBytesOneToEightEverywhere) {
    AllActiveLighting records{};
    for (std::size_t d = 0; d < records.size(); ++d) records[d].fill(static_cast<std::uint8_t>(0x10 * (d + 1)));
    auto& mouse = records[device::KindIndex(DeviceKind::Mouse)];
    for (std::size_t i = 1; i <= 8; ++i) mouse[i] = static_cast<std::uint8_t>(i);
    mouse[kModeOffset] = 5;  // a mode number that means another effect on the keyboard
    SharedLighting shared{};
    const auto changed = SameMode(DeviceKind::Mouse, records, shared);
    EXPECT_EQ(changed, (std::array<bool, 3>{true, false, true}));
    EXPECT_EQ(shared, (SharedLighting{5, 2, 3, 4, 5, 6, 7, 8}));
    for (const auto kind : {DeviceKind::Keyboard, DeviceKind::MousePad}) {
        const auto& r = records[device::KindIndex(kind)];
        const std::uint8_t own = static_cast<std::uint8_t>(0x10 * (device::KindIndex(kind) + 1));
        EXPECT_EQ(r[0], own);
        for (std::size_t i = 1; i <= 8; ++i) EXPECT_EQ(r[i], mouse[i]);
        EXPECT_EQ(r[9], own);
    }
}

TEST(LightingRecords, SlotsAndBlocksMoveOnlyTheRecordBytes) {
    device::LightingSlotsImage slots{};
    for (std::size_t s = 0; s < slots.size(); ++s) slots[s].fill(static_cast<std::uint8_t>(s + 1));
    for (const auto kind : {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad}) {
        ActiveLightingImage record{};
        record.fill(0xEE);
        ActivateSlot(kind, slots, 3, record);
        const std::size_t n = device::ActiveLightingSize(kind);
        EXPECT_EQ(record[0], 3);
        EXPECT_EQ(record[n - 1], 4);
        if (n < record.size()) {
            EXPECT_EQ(record[n], 0xEE);
        }
        ActivateSlot(kind, slots, 9, record);  // a slot byte beyond the five slots
        EXPECT_EQ(record[0], 4);

        LightingBlockImage block{};
        block.fill(0x77);
        SaveToBlock(kind, record, block);
        EXPECT_EQ(block[n - 1], 5);
        EXPECT_EQ(block[n], 0x77);
    }
}

TEST(LightingRecords, ModeTable) {
    EXPECT_EQ(ModeCount(DeviceKind::Keyboard), 10u);
    EXPECT_EQ(ModeCount(DeviceKind::Mouse), 6u);
    EXPECT_EQ(ModeCount(DeviceKind::MousePad), 9u);
    EXPECT_FALSE(OffersOf(DeviceKind::Mouse, 6));
    EXPECT_TRUE(OffersOf(DeviceKind::Mouse, 0)->sameMode);
    EXPECT_FALSE(OffersOf(DeviceKind::MousePad, 4)->sameMode);
    EXPECT_EQ(OffersOf(DeviceKind::MousePad, 8)->speed, Offer::No);
    EXPECT_EQ(OffersOf(DeviceKind::MousePad, 3)->sevenColour, Offer::No);
    EXPECT_TRUE(OffersOf(DeviceKind::Keyboard, kPerKeyColourMode)->perKeyColours);
    EXPECT_EQ(OffersOf(DeviceKind::Keyboard, 7)->direction, Offer::Yes);
    EXPECT_EQ(OffersOf(DeviceKind::Keyboard, 9)->speed, Offer::Keep);
    for (std::uint8_t mode = 0; mode < 10; ++mode) {
        EXPECT_FALSE(OffersOf(DeviceKind::Keyboard, mode)->sameMode);
        EXPECT_EQ(IsSoftwareMode(DeviceKind::Keyboard, mode), mode <= 3);
    }
    EXPECT_FALSE(IsSoftwareMode(DeviceKind::Mouse, 4));
    EXPECT_TRUE(IsSoftwareMode(DeviceKind::Mouse, 5));
    EXPECT_TRUE(IsSoftwareMode(DeviceKind::MousePad, 8));
    EXPECT_FALSE(IsSoftwareMode(DeviceKind::MousePad, 9));
}

TEST(LightingRecords, CurrentKeyboardColour) {
    ActiveLightingImage keyboard{};
    SetColourIndex(keyboard, 2);
    keyboard[kSevenColourOffset] = 1;
    ApplyKeyboardColour(keyboard, Rgb{1, 2, 3}, false);
    EXPECT_EQ(ColourOf(keyboard), kBlack);
    EXPECT_EQ(UserColour(keyboard, 2), (Rgb{1, 2, 3}));
    ApplyKeyboardColour(keyboard, Rgb{4, 5, 6}, true);
    EXPECT_EQ(ColourOf(keyboard), (Rgb{4, 5, 6}));
    EXPECT_FALSE(SevenColour(keyboard));

    ColourPalette palette;
    CustomColourStateImage state{};
    SetPenColour(state, Rgb{9, 9, 9});
    EXPECT_EQ(ShownKeyboardColour(keyboard, state, palette), (Rgb{255, 255, 0}));
    SetMode(keyboard, kPerKeyColourMode);
    EXPECT_EQ(ShownKeyboardColour(keyboard, state, palette), (Rgb{9, 9, 9}));
}

TEST(CustomColours, PaintFillAndClear) {
    CustomColourStateImage state{};
    KeyColourTableImage table{};
    const Rgb red{200, 0, 0};
    const Rgb black{0, 0, 0};
    const Rgb green{0, 90, 0};

    SetPenColour(state, red);
    EXPECT_TRUE(PaintKey(state, table, 13));  // screen key 13 lights LED position 14
    EXPECT_EQ(KeyColour(table, 0, 14), red);
    EXPECT_EQ(table[14 * 3], 200);
    SetPenColour(state, black);
    EXPECT_TRUE(PaintKey(state, table, 0));
    EXPECT_FALSE(PaintKey(state, table, 16));  // no LED
    EXPECT_FALSE(PaintKey(state, table, 126));

    SetPenColour(state, green);
    EXPECT_TRUE(FillUnpaintedKeys(state, table));
    EXPECT_EQ(KeyColour(table, 0, 14), red);     // painted keys keep their colour
    EXPECT_EQ(KeyColour(table, 0, 0), green);    // painted black counts as unpainted
    EXPECT_EQ(KeyColour(table, 0, 125), green);  // every position of the set
    EXPECT_EQ(KeyColour(table, 1, 0), black);    // other sets untouched

    // A new set index changes no colour; painting then goes to that set alone.
    const auto before = table;
    EXPECT_TRUE(SelectColourSet(state, 4));
    EXPECT_EQ(table, before);
    SetPenColour(state, red);
    EXPECT_TRUE(PaintKey(state, table, 119));  // position 62 of set 4
    EXPECT_EQ(table[4 * 378 + 62 * 3], 200);
    EXPECT_EQ(KeyColour(table, 0, 62), green);

    EXPECT_TRUE(ClearColourSet(state, table));
    for (std::size_t p = 0; p < kLedPositionCount; ++p) EXPECT_EQ(KeyColour(table, 4, p), black);
    EXPECT_EQ(KeyColour(table, 0, 14), red);  // other sets keep theirs

    // A set index from a damaged file touches nothing.
    EXPECT_FALSE(SelectColourSet(state, 5));
    state[kSetIndexOffset] = 9;
    const auto kept = table;
    EXPECT_FALSE(PaintKey(state, table, 0));
    EXPECT_FALSE(ClearColourSet(state, table));
    EXPECT_FALSE(FillUnpaintedKeys(state, table));
    EXPECT_EQ(table, kept);
}

}  // namespace
}  // namespace corvane::lighting
