#include "platform/files.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "test_home.h"

namespace corvane::platform {
namespace {

using corvane::testing::ReadText;
using corvane::testing::TestHome;
using corvane::testing::WriteText;

TEST(FileNames, PlainNamesOnly) {
    for (const char* ok : {"Profile 1", "新配置文件1", "a.b", "...", " x"}) {
        EXPECT_TRUE(IsPlainFileName(ok)) << ok;
    }
    for (std::string_view bad : {std::string_view(""), std::string_view("."),
                                 std::string_view(".."), std::string_view("a/b"),
                                 std::string_view("../x"), std::string_view("a\0b", 3)}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
}

TEST(FileNames, CaseInsensitiveComparison) {
    EXPECT_TRUE(EqualsIgnoreCase("Profile 1", "PROFILE 1"));
    EXPECT_TRUE(EqualsIgnoreCase("Éclair", "éCLAIR"));
    EXPECT_TRUE(EqualsIgnoreCase("Привет", "пРИВЕТ"));
    EXPECT_TRUE(EqualsIgnoreCase("新配置文件1", "新配置文件1"));
    EXPECT_FALSE(EqualsIgnoreCase("name_3", "name_30"));
    EXPECT_FALSE(EqualsIgnoreCase("\xC3", "\xE3"));  // broken bytes compare as themselves
}

TEST(Files, ResolveCopyMoveDelete) {
    TestHome home;
    const std::string dir = home.root() + "/";
    WriteText(dir + "KbDengDefault.LED", "payload");
    EXPECT_EQ(ResolveCaseInsensitive(dir + "kbdengdefault.led"), dir + "KbDengDefault.LED");
    EXPECT_FALSE(ResolveCaseInsensitive(dir + "other.led"));

    EXPECT_TRUE(CopyFile(dir + "KbDengDefault.LED", dir + "copy.led", false));
    EXPECT_EQ(ReadText(dir + "copy.led"), "payload");
    WriteText(dir + "x.led", "x");
    EXPECT_FALSE(CopyFile(dir + "x.led", dir + "COPY.led", false));
    EXPECT_EQ(ReadText(dir + "copy.led"), "payload");
    EXPECT_TRUE(CopyFile(dir + "x.led", dir + "copy.led", true));
    EXPECT_EQ(ReadText(dir + "copy.led"), "x");

    // A move never replaces another file, in any spelling; a change of case is fine.
    EXPECT_FALSE(MoveFile(dir + "x.led", dir + "Copy.LED"));
    EXPECT_TRUE(FileExists(dir + "x.led"));
    EXPECT_TRUE(MoveFile(dir + "x.led", dir + "X.led"));
    EXPECT_TRUE(MoveFile(dir + "X.led", dir + "moved.led"));
    EXPECT_FALSE(FileExists(dir + "X.led"));
    EXPECT_FALSE(MoveFile(dir + "gone.led", dir + "any.led"));

    EXPECT_TRUE(DeleteFile(dir + "moved.led"));
    EXPECT_FALSE(DeleteFile(dir + "moved.led"));
    EXPECT_TRUE(EnsureFolder(dir + "sub"));
    EXPECT_FALSE(DeleteFile(dir + "sub"));
    EXPECT_EQ(ListFiles(dir), (std::vector<std::string>{"KbDengDefault.LED", "copy.led"}));
}

TEST(AtomicFile, FaultsLeaveOldContent) {
    TestHome home;
    const std::string path = home.root() + "/f.bin";
    ASSERT_TRUE(WriteFileAtomically(path, std::string_view("old content")));
    {
        ScopedAtomicWriteFault fault(AtomicWriteFault::DiskFull);
        EXPECT_FALSE(WriteFileAtomically(path, std::string_view("new content")));
    }
    EXPECT_EQ(ReadText(path), "old content");
    // A full disk cleans its temporary file up; only the target remains.
    EXPECT_EQ(ListFiles(home.root()), (std::vector<std::string>{"f.bin"}));
    EXPECT_FALSE(WriteFileAtomically(home.root(), std::string_view("x")));  // a folder
    EXPECT_FALSE(WriteFileAtomically("", std::string_view("x")));
}

TEST(Utf8, InvalidBytesBecomeReplacementCharacters) {
    const std::string r = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"plain ASCII", "plain ASCII"},
        {"配置 é", "配置 é"},                           // valid multi-byte text is kept
        {"a\xff\xfe" "b", "a" + r + r + "b"},         // bytes that never start a sequence
        {"\x80x", r + "x"},                            // stray continuation byte
        {"\xE9\x85", r + r},                          // truncated at the end
        {"\xC0\xAF", r + r},                          // overlong "/"
        {"\xED\xA0\x80", r + r + r},                 // a surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},        // above U+10FFFF
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // U+1F600 is fine
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(ToValidUtf8(in), out);
}

}  // namespace
}  // namespace corvane::platform
