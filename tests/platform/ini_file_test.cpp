#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
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
