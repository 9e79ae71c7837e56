#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/save_failures.h"
#include "test_home.h"

namespace corvane::platform {
namespace {

using corvane::testing::ReadText;
using corvane::testing::TestHome;
using corvane::testing::WriteBytes;
using corvane::testing::WriteText;

TEST(IniDocument, LookupRules) {
    const IniDocument doc = IniDocument::Parse(
        "; comment\n"
        "orphan=before any section\n"
        "[Profile Count]\n"
        "  Count = 3  \n"
        "count=second key of that name is not read\n"
        "[PROFILENAME]\n"
        "0=\"  spaced  \"\n"
        "1='quoted'\n"
        "2=a=b\n"
        "3=\n"
        "[profile count]\n"
        "other=a second section of that name is not read\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"PROFILE COUNT", "COUNT", "3"},       // names compare without case, blanks trimmed
        {"profile count", "other", "0"},       // only the first section of a name counts
        {"PROFILENAME", "0", "  spaced  "},    // enclosing quotes keep the blanks
        {"PROFILENAME", "1", "quoted"},
        {"PROFILENAME", "2", "a=b"},           // the first "=" separates
        {"PROFILENAME", "3", ""},              // present but empty is not the default
        {"PROFILENAME", "4", "0"},
        {"MISSING", "count", "0"},
        {"", "orphan", "0"},                   // keys outside a section are unreachable
    };
    for (const Case& c : cases) {
        EXPECT_EQ(doc.Get(c.section, c.key), c.expected) << c.section << "/" << c.key;
    }
    EXPECT_EQ(doc.Get("MISSING", "x", "fallback"), "fallback");
}

TEST(IniDocument, ValuesAreCutTo259CharactersNotBytes) {
    std::string longValue;
    for (int i = 0; i < 300; ++i) longValue += "配";
    IniDocument doc;
    ASSERT_TRUE(doc.Set("S", "k", longValue));
    const std::string read = doc.Get("S", "k");
    EXPECT_EQ(read.size(), kIniValueLimit * std::string("配").size());
    EXPECT_EQ(doc.Find("S", "k")->size(), longValue.size());
}

TEST(IniDocument, SetKeepsEveryOtherLineAndRoundTrips) {
    IniDocument doc = IniDocument::Parse(
        "; keep me\r\n[A]\r\nx=1\r\nunknown=kept\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(doc.Set("a", "X", "10"));
    ASSERT_TRUE(doc.Set("A", "z", "new"));
    ASSERT_TRUE(doc.Set("C", "名字", "新配置文件1"));
    ASSERT_TRUE(doc.Set("B", "edge", " lead and trail "));
    ASSERT_TRUE(doc.Set("B", "quotes", "\"both\""));
    const auto bytes = doc.Serialize();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "; keep me\r\n[A]\r\nx=10\r\nunknown=kept\r\nz=new\r\n\r\n[B]\r\ny=2\r\n"
              "edge=\" lead and trail \"\r\nquotes=\"\"both\"\"\r\n[C]\r\n名字=新配置文件1\r\n");
    const IniDocument back = IniDocument::Parse(std::span<const std::uint8_t>(bytes));
    EXPECT_EQ(back.Get("c", "名字"), "新配置文件1");
    EXPECT_EQ(back.Get("B", "edge"), " lead and trail ");
    EXPECT_EQ(back.Get("B", "quotes"), "\"both\"");
}

TEST(IniDocument, RefusesWhatCannotStandInTheFile) {
    IniDocument doc;
    EXPECT_FALSE(doc.Set("", "k", "v"));
    EXPECT_FALSE(doc.Set("S]", "k", "v"));
    EXPECT_FALSE(doc.Set("S", "k=1", "v"));
    EXPECT_FALSE(doc.Set("S", "k", "two\nlines"));
    EXPECT_TRUE(doc.Serialize().empty());
}

TEST(IniDocument, RemoveKeyAndSection) {
    IniDocument doc = IniDocument::Parse("[A]\nx=1\ny=2\n[B]\nz=3\n");
    doc.RemoveKey("a", "X");
    doc.RemoveSection("b");
    const auto bytes = doc.Serialize();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "[A]\ny=2\n");
}

TEST(IniDocument, HostileBytesReadWhatTheyCan) {
    using namespace std::string_literals;
    std::string text = "[S]\nnul=ab\0cd\nbad=\xff\xfe\x80 ok\n"s;
    text += "long=" + std::string(100000, 'x') + "\n";
    text += "[T\nafter=1\n";  // header without a closing bracket still opens a section
    const IniDocument doc = IniDocument::Parse(text);
    EXPECT_EQ(doc.Get("S", "nul"), "ab");
    EXPECT_EQ(doc.Get("S", "bad"), "\xff\xfe\x80 ok");
    EXPECT_EQ(doc.Get("S", "long").size(), kIniValueLimit);
    EXPECT_EQ(doc.Get("T", "after"), "1");
    EXPECT_EQ(IniDocument::Parse("no sections at all\n==\n[").Get("x", "y"), "0");
}

TEST(IniDocument, Utf16FilesStayUtf16) {
    // "[S]\r\nk=é\r\n" in UTF-16LE with its byte-order mark.
    const std::vector<std::uint8_t> bytes = {0xFF, 0xFE, '[', 0, 'S', 0, ']', 0, '\r', 0, '\n', 0,
                                             'k',  0,    '=', 0, 0xE9, 0, '\r', 0, '\n', 0};
    IniDocument doc = IniDocument::Parse(std::span<const std::uint8_t>(bytes));
    EXPECT_EQ(doc.Get("s", "K"), "é");
    ASSERT_TRUE(doc.Set("S", "k", "é"));
    EXPECT_EQ(doc.Serialize(), bytes);
}

TEST(IniDocument, Utf16BigEndianFilesReadAndStayBigEndian) {
    // "[S]\nk=é\n" in UTF-16BE with its byte-order mark.
    const std::vector<std::uint8_t> bytes = {0xFE, 0xFF, 0, '[', 0, 'S', 0, ']', 0, '\n',
                                             0,    'k',  0, '=', 0, 0xE9, 0, '\n'};
    IniDocument doc = IniDocument::Parse(std::span<const std::uint8_t>(bytes));
    EXPECT_EQ(doc.Get("S", "k"), "é");
    ASSERT_TRUE(doc.Set("S", "k", "é"));
    EXPECT_EQ(doc.Serialize(), bytes);
    ASSERT_TRUE(doc.Set("S", "n", "1"));
    const auto grown = doc.Serialize();
    EXPECT_EQ(IniDocument::Parse(std::span<const std::uint8_t>(grown)).Get("S", "n"), "1");
    EXPECT_EQ(grown[0], 0xFE);
}

TEST(IniDocument, ManyKeysCostLinearTime) {
    // Index files with tens of thousands of names were read and written key by key in
    // quadratic time (minutes for 65 535 names).
    constexpr int kNames = 65535;
    const auto started = std::chrono::steady_clock::now();
    IniDocument doc;
    for (int i = 0; i < kNames; ++i) ASSERT_TRUE(doc.Set("Names", std::to_string(i), "n" + std::to_string(i)));
    const auto bytes = doc.Serialize();
    const IniDocument read = IniDocument::Parse(std::span<const std::uint8_t>(bytes));
    for (int i = 0; i < kNames; i += 997) EXPECT_EQ(read.Get("NAMES", std::to_string(i)), "n" + std::to_string(i));
    for (int i = 0; i < kNames; ++i) ASSERT_FALSE(read.Get("names", std::to_string(i)).empty());
    // Quadratic lookups take minutes here; linear ones about a second (more under sanitizers).
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

TEST(IniDocument, EditsAfterRemovalsFindTheRightLines) {
    IniDocument doc = IniDocument::Parse("[A]\na=1\nb=2\nc=3\n\n[B]\nx=1\n[a]\nlate=1\n");
    doc.RemoveKey("A", "a");
    ASSERT_TRUE(doc.Set("A", "c", "30"));
    ASSERT_TRUE(doc.Set("A", "d", "4"));
    doc.RemoveSection("B");
    ASSERT_TRUE(doc.Set("B", "y", "2"));
    doc.RemoveSection("A");  // the later section of the same name becomes the one read
    EXPECT_EQ(doc.Get("A", "late"), "1");
    const auto bytes = doc.Serialize();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "[a]\nlate=1\n[B]\ny=2\n");
}

TEST(IniConversion, ToIntTakesLeadingDigits) {
    const std::pair<const char*, int> cases[] = {
        {"12", 12}, {"  -7x", -7}, {"+3", 3}, {"abc", 0}, {"", 0}, {"1.9", 1},
        {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1}, {"- 1", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ToInt(text), value) << text;
}

TEST(IniFile, WritesCreateFileAndSectionAndKeepOtherContent) {
    TestHome home;
    const IniFile ini(home.root() + "/a.ini");
    EXPECT_EQ(ini.ReadString("S", "k"), "0");
    EXPECT_EQ(ini.ReadInt("S", "k"), 0);
    ASSERT_TRUE(ini.WriteString("S", "k", "v"));
    ASSERT_TRUE(ini.WriteInt("S", "n", -4));
    EXPECT_EQ(ReadText(ini.path()), "[S]\nk=v\nn=-4\n");
    EXPECT_EQ(ini.ReadInt("s", "N"), -4);
    ASSERT_TRUE(ini.Update([](IniDocument& d) {
        d.Set("T", "a", "1");
        d.Set("T", "b", "2");
    }));
    ASSERT_TRUE(ini.DeleteKey("S", "k"));
    ASSERT_TRUE(ini.DeleteSection("T"));
    EXPECT_EQ(ReadText(ini.path()), "[S]\nn=-4\n");
}

TEST(IniFile, InterruptedWriteLeavesThePreviousFile) {
    TestHome home;
    const IniFile ini(home.root() + "/b.ini");
    ASSERT_TRUE(ini.WriteString("S", "k", "old"));
    for (const AtomicWriteFault fault : {AtomicWriteFault::BeforeRename, AtomicWriteFault::DiskFull}) {
        ScopedAtomicWriteFault scoped(fault);
        EXPECT_FALSE(ini.WriteString("S", "k", "new"));
        EXPECT_EQ(ini.ReadString("S", "k"), "old");
    }
    EXPECT_TRUE(ini.WriteString("S", "k", "new"));
    EXPECT_EQ(ini.ReadString("S", "k"), "new");
}

TEST(IniFile, ConcurrentWritersLoseNoKey) {
    TestHome home;
    const IniFile ini(home.root() + "/shared.ini");
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&ini, t] {
            for (int i = 0; i < 10; ++i) ini.WriteInt("T" + std::to_string(t), std::to_string(i), i);
        });
    }
    for (auto& w : writers) w.join();
    const IniDocument doc = ini.Load();
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 10; ++i) EXPECT_EQ(doc.Get("T" + std::to_string(t), std::to_string(i)), std::to_string(i));
    }
}

TEST(IniFile, UpdatesNeverStoreLessThanTheFileHeld) {
    TestHome home;
    std::vector<std::pair<SaveFailure, std::string>> reported;
    ScopedSaveFailureSink sink([&](SaveFailure kind, const std::string& path) { reported.emplace_back(kind, path); });

    // Larger than a read takes: the write is refused and the file stays as it was.
    const std::string big = home.root() + "/big.ini";
    WriteText(big, "[S]\nk=1\n" + std::string(kDefaultReadLimit, ';') + "\n");
    const auto sizeBefore = std::filesystem::file_size(big);
    EXPECT_FALSE(IniFile(big).WriteString("S", "k", "2"));
    EXPECT_EQ(std::filesystem::file_size(big), sizeBefore);

    const std::string folder = home.root() + "/folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(IniFile(folder).WriteString("S", "k", "2"));
    const std::string fifo = home.root() + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(IniFile(fifo).WriteString("S", "k", "2"));  // and does not hang on the FIFO
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[0], std::make_pair(SaveFailure::NotReadWhole, big));
    EXPECT_EQ(reported[1], std::make_pair(SaveFailure::NotAFile, folder));
    EXPECT_EQ(reported[2], std::make_pair(SaveFailure::NotAFile, fifo));
}

TEST(AtomicFile, FailedWritesAreReportedAndStaleTemporariesRemoved) {
    TestHome home;
    std::vector<SaveFailure> reported;
    ScopedSaveFailureSink sink([&](SaveFailure kind, const std::string&) { reported.push_back(kind); });
    {
        ScopedAtomicWriteFault full(AtomicWriteFault::DiskFull);
        EXPECT_FALSE(WriteFileAtomically(home.root() + "/x.pro", std::string_view("abcd")));
    }
    EXPECT_FALSE(WriteFileAtomically(home.root() + "/" + std::string(300, 'n') + ".pro", std::string_view("a")));
    EXPECT_EQ(reported, (std::vector{SaveFailure::DiskFull, SaveFailure::NameTooLong}));

    // A writer that no longer runs (pid far above any live one) left two; ours and others stay.
    const std::string dir = home.root() + "/";
    const std::vector<std::string> stale = {TempFileName(dir + "a.pro", 999999999, 0),
                                            TempFileName(dir + "kbProfile.ini", 999999999, 7)};
    const std::vector<std::string> kept = {TempFileName(dir + "b.pro", ::getpid(), 3),
                                           dir + "c.tmp", dir + "d.tmp12", dir + "e.tmpx_1", dir + ".tmp1_1"};
    for (const auto& p : stale) WriteText(p, "x");
    for (const auto& p : kept) WriteText(p, "x");
    EXPECT_EQ(RemoveStaleTempFiles(dir), 2);
    for (const auto& p : stale) EXPECT_FALSE(std::filesystem::exists(p)) << p;
    for (const auto& p : kept) EXPECT_TRUE(std::filesystem::exists(p)) << p;
}

TEST(IniFile, MissingFolderFailsQuietly) {
    TestHome home;
    const IniFile ini(home.root() + "/no/such/folder/c.ini");
    EXPECT_FALSE(ini.WriteString("S", "k", "v"));
    EXPECT_EQ(ini.ReadString("S", "k"), "0");
    WriteBytes(home.root() + "/d.ini", {});
    EXPECT_EQ(IniFile(home.root() + "/d.ini").ReadString("S", "k", "dflt"), "dflt");
    WriteText(home.root() + "/e.ini", "[S]\nk=1\n");
    EXPECT_TRUE(IniFile(home.root() + "/e.ini").DeleteKey("S", "missing"));
}

}  // namespace
}  // namespace corvane::platform
