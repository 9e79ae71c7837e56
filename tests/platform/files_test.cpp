#include "platform/files.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

// What stands where a settings file belongs but is no file is never read, and never waits: a
// FIFO without a writer, a link to a device, a folder.
TEST(Files, ReadsOnlyRegularFilesAndNeverBlocks) {
    TestHome home;
    const std::string dir = home.root() + "/";
    ASSERT_EQ(::mkfifo((dir + "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir + "zero");
    std::filesystem::create_directory(dir + "folder");
    struct Case {
        const char* name;
        ReadOutcome outcome;
    };
    for (const Case& c : {Case{"fifo", ReadOutcome::NotRegular}, Case{"zero", ReadOutcome::NotRegular},
                          Case{"folder", ReadOutcome::NotRegular}, Case{"absent", ReadOutcome::Missing}}) {
        EXPECT_FALSE(ReadFileBytes(dir + c.name)) << c.name;
        EXPECT_EQ(ReadWholeFile(dir + c.name).outcome, c.outcome) << c.name;
    }
    WriteText(dir + "plain", "x");
    EXPECT_EQ(ReadWholeFile(dir + "plain").outcome, ReadOutcome::Ok);
    EXPECT_EQ(ReadWholeFile(dir + "plain", 0).outcome, ReadOutcome::TooLarge);
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

// A replaced file keeps its permissions, unless its owner could not use it: then the new one
// gets the mode a new file gets, so a file locked at mode 000 is not locked again.
TEST(AtomicFile, KeepsThePermissionsOfAFileItsOwnerCouldUse) {
    TestHome home;
    const std::string path = home.root() + "/f.bin";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct Case {
        mode_t before;
        mode_t after;
    };
    for (const Case& c : {Case{0600, 0600}, Case{0640, 0640}, Case{0000, 0666 & ~mask}, Case{0200, 0666 & ~mask}}) {
        ASSERT_TRUE(WriteFileAtomically(path, std::string_view("old")));
        ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
        ASSERT_TRUE(WriteFileAtomically(path, std::string_view("new")));
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.after) << std::oct << c.before;
    }
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
