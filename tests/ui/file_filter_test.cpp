#include "ui/file_filter.h"

#include <gtest/gtest.h>

namespace corvane::ui {
namespace {

TEST(FileFilter, ParsesDescriptionPatternPairs) {
    const auto entries = ParseFileFilter("(*.png) | *.png |(*.*)|*.*||");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].description, "(*.png)");
    EXPECT_EQ(entries[0].patterns, std::vector<std::string>{"*.png"});
    EXPECT_EQ(entries[1].patterns, std::vector<std::string>{"*.*"});

    const auto macros = ParseFileFilter("(*.mac) | *.mac ||");
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0].patterns, std::vector<std::string>{"*.mac"});

    const auto several = ParseFileFilter("Pictures|*.png; *.jpg");
    ASSERT_EQ(several.size(), 1u);
    EXPECT_EQ(several[0].patterns, (std::vector<std::string>{"*.png", "*.jpg"}));

    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_TRUE(ParseFileFilter("only a description").empty());
    EXPECT_TRUE(ParseFileFilter("||||").empty());
}

TEST(FileFilter, MatchesWildcardsIgnoringCase) {
    const auto filter = ParseFileFilter("(*.mac)|*.mac||");
    EXPECT_TRUE(MatchesFileFilter("macro.mac", filter));
    EXPECT_TRUE(MatchesFileFilter("MACRO.MAC", filter));
    EXPECT_FALSE(MatchesFileFilter("macro.mac.bak", filter));
    EXPECT_FALSE(MatchesFileFilter("macro.cur", filter));
    const auto single = ParseFileFilter("x|name_?.cur||");
    EXPECT_TRUE(MatchesFileFilter("name_1.cur", single));
    EXPECT_FALSE(MatchesFileFilter("name_12.cur", single));
}

}  // namespace
}  // namespace corvane::ui
