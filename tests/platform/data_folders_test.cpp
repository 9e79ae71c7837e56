#include "platform/data_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/files.h"
#include "test_home.h"

namespace corvane::platform {
namespace {

using corvane::testing::TestHome;
using corvane::testing::WriteText;

TEST(DataFolders, DocumentsFolderFollowsUserDirs) {
    TestHome home;
    EXPECT_EQ(DocumentsFolder(), home.home() + "/Documents");
    const std::string dirs = home.home() + "/.config/user-dirs.dirs";
    const std::pair<const char*, std::string> cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home.home() + "/Dokumente"},
        {"# c\nXDG_DESKTOP_DIR=\"$HOME/D\"\nXDG_DOCUMENTS_DIR=\"/srv/docs/\"\n", "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", home.home()},
        {"XDG_DOCUMENTS_DIR=relative\n", home.home() + "/Documents"},
    };
    for (const auto& [text, expected] : cases) {
        WriteText(dirs, text);
        EXPECT_EQ(DocumentsFolder(), expected) << text;
    }
}

TEST(DataFolders, FoldersAreCreatedOnDemand) {
    TestHome home;
    EXPECT_EQ(KeyboardFolderPath(), home.kb());
    EXPECT_EQ(MouseFolderPath(), home.ms());
    EXPECT_EQ(PadFolderPath(), home.mp());
    EXPECT_EQ(DataFolderPath(), home.data());
    for (const std::string& f : {home.kb(), home.ms(), home.mp()}) EXPECT_TRUE(FolderExists(f));
}

TEST(DataFolders, FileInTheWayFailsSilently) {
    TestHome home;
    WriteText(home.data() + "kb", "not a folder");
    EXPECT_EQ(KeyboardFolderPath(), home.kb());
    EXPECT_FALSE(FolderExists(home.kb()));
}

TEST(DataFolders, ProgramFolderFromEnvironment) {
    TestHome home;
    ::setenv("CORVANE_HOME", "/opt/corvane", 1);
    EXPECT_EQ(ProgramFolder(), "/opt/corvane/");
    ::unsetenv("CORVANE_HOME");
    EXPECT_EQ(ProgramFolder().back(), '/');
}

}  // namespace
}  // namespace corvane::platform
