#include "macros/cursor_bullets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macros/macro_files.h"
#include "platform/ini_file.h"
#include "test_home.h"

namespace corvane::macros {
namespace {

using corvane::testing::TestHome;
using corvane::testing::WriteText;

// A script whose every step is told apart by its delay fields: step j is "j,100,<kind>,j,0,x".
std::string Script(int count) {
    std::string text = "[MACROACTIONCOUNT]\ncount=" + std::to_string(count) + "\n[MACROACTION]\n";
    for (int j = 0; j < count; ++j) {
        const std::string n = std::to_string(j);
        text += n + "=" + n + ",100," + std::to_string(j % 3 == 2 ? 5 : 4) + "," + n + ",0,x\n";
    }
    return text;
}

std::string Line(const std::string& path, int j) {
    return platform::IniFile(path).ReadString(kActionSection, std::to_string(j));
}

class CursorBullets : public ::testing::Test {
protected:
    TestHome home;
    std::string path = home.root() + "/script.cur";
};

TEST_F(CursorBullets, EditRewritesOnlyTheBulletsThreeStepsKeepingTheMovesDelays) {
    struct Case {
        int bullet;
        int first;
    };
    for (const Case c : {Case{0, 3}, Case{1, 9}, Case{29, 177}}) {
        WriteText(path, Script(kMaxScriptSteps));
        ASSERT_TRUE(WriteBullet(path, c.bullet, Bullet{80, 3, /*left=*/true, 12, /*up=*/false}));
        const std::string f = std::to_string(c.first);
        EXPECT_EQ(Line(path, c.first), "8,0,4," + f + ",0,x") << c.bullet;
        EXPECT_EQ(Line(path, c.first + 1), std::to_string(c.first + 1) + ",100,132,3,1,mouse_move_to_left_text");
        EXPECT_EQ(Line(path, c.first + 2), std::to_string(c.first + 2) + ",100,5,12,0,mouse_move_to_down_text");
        for (int j = 0; j < kMaxScriptSteps; ++j) {
            if (j >= c.first && j < c.first + 3) continue;
            const std::string n = std::to_string(j);
            ASSERT_EQ(Line(path, j), n + ",100," + std::to_string(j % 3 == 2 ? 5 : 4) + "," + n + ",0,x") << j;
        }
        EXPECT_EQ(ReadStepCount(path), kMaxScriptSteps);
        EXPECT_EQ(ReadBullet(path, c.bullet), (Bullet{80, 3, true, 12, false}));
    }
}

TEST_F(CursorBullets, LongestDelayAndRightUpDirections) {
    WriteText(path, Script(12));
    ASSERT_TRUE(WriteBullet(path, 1, Bullet{65535, 255, false, 7, true}));
    EXPECT_EQ(Line(path, 9), "153,25,4,9,0,x");  // 6553 units of 10 ms
    EXPECT_EQ(Line(path, 10), "10,100,4,255,0,mouse_move_to_right_text");
    EXPECT_EQ(Line(path, 11), "11,100,133,7,1,mouse_move_to_up_text");
    EXPECT_EQ(ReadBullet(path, 1), (Bullet{65530, 255, false, 7, true}));
}

// A script too short for the bullet: its missing steps read as zero; an edit writes them, fills
// the gap with moves by zero and raises the count to cover the bullet. Lines left past the old
// count do not count as steps.
TEST_F(CursorBullets, ShortScriptReadsZeroAndGrowsOnEdit) {
    WriteText(path, Script(4) + "9=99,99,99,99,1,stale\n");
    EXPECT_EQ(ReadBullet(path, 1), Bullet{});
    EXPECT_EQ(ReadBullet(path, 0), (Bullet{256030, 0, false, 0, false}));  // step 3 is there, 4 and 5 are not

    ASSERT_TRUE(WriteBullet(path, 1, Bullet{50, 2, false, 4, false}));
    EXPECT_EQ(ReadStepCount(path), 12);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(Line(path, j).substr(0, 2), std::to_string(j) + ",") << j;
    for (int j = 4; j < 9; ++j) EXPECT_EQ(Line(path, j), "0,0,4,0,0,mouse_move_to_right_text") << j;
    EXPECT_EQ(Line(path, 9), "5,0,4,0,0,mouse_move_to_right_text");
    EXPECT_EQ(Line(path, 10), "0,0,4,2,0,mouse_move_to_right_text");
    EXPECT_EQ(Line(path, 11), "0,0,5,4,0,mouse_move_to_down_text");
    EXPECT_EQ(ReadBullet(path, 1), (Bullet{50, 2, false, 4, false}));

    // A missing file starts empty in the same way.
    const std::string fresh = home.root() + "/fresh.cur";
    ASSERT_TRUE(WriteBullet(fresh, 0, Bullet{10, 1, true, 1, true}));
    EXPECT_EQ(ReadStepCount(fresh), 6);
    EXPECT_EQ(Line(fresh, 0), "0,0,4,0,0,mouse_move_to_right_text");
    // An edit of a bullet the script already holds leaves the count alone.
    ASSERT_TRUE(WriteBullet(path, 0, Bullet{}));
    EXPECT_EQ(ReadStepCount(path), 12);
}

TEST_F(CursorBullets, BulletsOutsideTheScriptAreRefused) {
    WriteText(path, Script(12));
    EXPECT_FALSE(WriteBullet(path, 30, Bullet{}));
    EXPECT_FALSE(WriteBullet(path, -1, Bullet{}));
    EXPECT_EQ(ReadStepCount(path), 12);
    EXPECT_EQ(ReadBullet(path, 30), Bullet{});
}

TEST(CursorBulletEdits, ValuesAreLeadingDigitsCutToTheLimit) {
    struct Case {
        const char* text;
        int limit;
        int value;
    };
    for (const Case c : {Case{"300", kMaxBulletOffset, 255}, Case{"255", kMaxBulletOffset, 255},
                         Case{"70000", kMaxBulletDelayMs, 65535}, Case{"80", kMaxBulletDelayMs, 80},
                         Case{"", kMaxBulletOffset, 0}, Case{"abc", kMaxBulletOffset, 0},
                         Case{"-5", kMaxBulletOffset, 0}, Case{"12x", kMaxBulletOffset, 12},
                         Case{"99999999999", kMaxBulletDelayMs, 65535}}) {
        EXPECT_EQ(LimitedEditValue(c.text, c.limit), c.value) << c.text;
    }
    EXPECT_FALSE(WriteBullet("", 0, Bullet{}));
    EXPECT_FALSE(WriteBullet("/nonexistent-folder/x.cur", 0, Bullet{}));
}

}  // namespace
}  // namespace corvane::macros
