#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/ProgramFolder.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

TEST(ParseHexColor, ReadsColourTextInEveryWrittenForm) {
    EXPECT_EQ(ParseHexColor("0xFF8040"), 0xFF8040u);
    EXPECT_EQ(ParseHexColor("0xffffff"), 0xFFFFFFu);
    EXPECT_EQ(ParseHexColor("0X00FF00"), 0x00FF00u);
    EXPECT_EQ(ParseHexColor("0x0"), 0u);
    EXPECT_EQ(ParseHexColor("C800C8"), 0xC800C8u);
    EXPECT_EQ(ParseHexColor("0x12"), 0x12u);
    // Every "0x" goes, wherever it is, so these are still numbers.
    EXPECT_EQ(ParseHexColor("0x0xAB"), 0xABu);
    EXPECT_EQ(ParseHexColor("10x1"), 0x11u);
}

TEST(ParseHexColor, AnythingElseIsBlack) {
    EXPECT_EQ(ParseHexColor("red"), 0u);
    EXPECT_EQ(ParseHexColor(""), 0u);
    EXPECT_EQ(ParseHexColor("0x"), 0u);
    EXPECT_EQ(ParseHexColor("0xFF 00"), 0u);
    EXPECT_EQ(ParseHexColor("-0x10"), 0u);
    EXPECT_EQ(ParseHexColor("0xG0"), 0u);
    EXPECT_EQ(ParseHexColor("x10"), 0u);
    // Overlong text wraps to its last eight digits instead of overflowing.
    EXPECT_EQ(ParseHexColor("0x1234567890"), 0x34567890u);
}

// The choice over a made-up file system: `present` lists what exists.
struct FolderCase {
    const char* what;
    FolderEnvironment environment;
    std::set<std::string> present;
    std::string programFolder;
    bool perUser;
    std::string installedData;
    std::string installedPlugins;
};

TEST(ProgramFolder, IsChosenByHomeVariableDataAndInstallation) {
    const std::set<std::string> installed = {"/usr/share/yarrow/", "/usr/lib/yarrow/Plugin"};
    const FolderCase cases[] = {
        {"a build's bin holds the data",
         {"", "/src/build/bin/", "", "/home/ann"},
         {"/src/build/bin/Deck.ini"},
         "/src/build/bin/",
         false,
         "",
         ""},
        {"a portable copy with only its settings file",
         {"", "/opt/y/", "", "/home/ann"},
         {"/opt/y/Yarrow.ini"},
         "/opt/y/",
         false,
         "",
         ""},
        {"installed: the per-user folder under ~/.local/share",
         {"", "/usr/bin/", "", "/home/ann"},
         installed,
         "/home/ann/.local/share/yarrow/",
         true,
         "/usr/share/yarrow/",
         "/usr/lib/yarrow/Plugin"},
        {"installed with XDG_DATA_HOME",
         {"", "/usr/bin/", "/data/ann", "/home/ann"},
         installed,
         "/data/ann/yarrow/",
         true,
         "/usr/share/yarrow/",
         "/usr/lib/yarrow/Plugin"},
        {"a relative XDG_DATA_HOME is ignored",
         {"", "/usr/bin/", "data", "/home/ann/"},
         installed,
         "/home/ann/.local/share/yarrow/",
         true,
         "/usr/share/yarrow/",
         "/usr/lib/yarrow/Plugin"},
        {"an unpacked package tree finds its data beside the executable",
         {"", "/tmp/x/usr/bin/", "", "/home/ann"},
         {"/tmp/x/usr/share/yarrow/", "/tmp/x/usr/lib/yarrow/Plugin"},
         "/home/ann/.local/share/yarrow/",
         true,
         "/tmp/x/usr/share/yarrow/",
         "/tmp/x/usr/lib/yarrow/Plugin"},
        {"YARROW_HOME wins over data beside the executable",
         {"/games/y", "/src/build/bin/", "/data", "/home/ann"},
         {"/src/build/bin/Deck.ini"},
         "/games/y/",
         false,
         "",
         ""},
        {"YARROW_HOME wins over the per-user folder, plug-ins still found",
         {"/games/y/", "/usr/bin/", "", "/home/ann"},
         installed,
         "/games/y/",
         false,
         "/usr/share/yarrow/",
         "/usr/lib/yarrow/Plugin"},
        {"no home at all: the executable's folder after all",
         {"", "/usr/bin/", "", ""},
         installed,
         "/usr/bin/",
         false,
         "/usr/share/yarrow/",
         "/usr/lib/yarrow/Plugin"},
    };
    for (const FolderCase& c : cases) {
        const auto exists = [&](const std::string& path) { return c.present.count(path) > 0; };
        const ProgramFolders folders = ChooseProgramFolders(c.environment, exists);
        EXPECT_EQ(folders.programFolder, c.programFolder) << c.what;
        EXPECT_EQ(folders.perUser, c.perUser) << c.what;
        EXPECT_EQ(folders.installedData, c.installedData) << c.what;
        EXPECT_EQ(folders.installedPlugins, c.installedPlugins) << c.what;
    }
}

TEST(ProgramFolder, PluginsOfTheUserComeBeforeTheInstalledOnes) {
    EXPECT_EQ(PluginFolders("/home/ann/.local/share/yarrow/", "/usr/lib/yarrow/Plugin"),
              (std::vector<std::string>{"/home/ann/.local/share/yarrow/Plugin",
                                        "/usr/lib/yarrow/Plugin"}));
    EXPECT_EQ(PluginFolders("/src/build/bin/", ""),
              std::vector<std::string>{"/src/build/bin/Plugin"});
    // The same folder written two ways is looked in once.
    EXPECT_EQ(PluginFolders("/usr/lib/yarrow/", "/usr/lib/yarrow/./Plugin"),
              std::vector<std::string>{"/usr/lib/yarrow/Plugin"});
}

TEST(ProgramFolder, FollowsYarrowHomeInThisProcess) {
    const char* saved = std::getenv("YARROW_HOME");
    std::string keep = saved ? saved : "";
    ::setenv("YARROW_HOME", "/some/where", 1);
    EXPECT_EQ(ProgramFolder(), "/some/where/");
    EXPECT_TRUE(std::filesystem::exists(CurrentFolderEnvironment().executableFolder +
                                        "test_platform_core"));
    if (saved) {
        ::setenv("YARROW_HOME", keep.c_str(), 1);
    } else {
        ::unsetenv("YARROW_HOME");
    }
}

TEST(FillUserFolder, CopiesWhatIsMissingAndNeverOverwritesOrRevives) {
    test::TempDir installed;
    test::TempDir home;
    std::filesystem::create_directories(installed.File("help"));
    test::TempDir::Write(installed.File("Deck.ini"), "installed deck");
    test::TempDir::Write(installed.File("Chart.ini"), "installed chart");
    test::TempDir::Write(installed.File("help/index.html"), "help");
    const std::string user = home.File("share/yarrow/");
    std::filesystem::create_directories(user);
    test::TempDir::Write(user + "Chart.ini", "my own chart");

    EXPECT_EQ(FillUserFolder(user, installed.Folder()), "");
    EXPECT_EQ(test::TempDir::Read(user + "Deck.ini"), "installed deck");
    EXPECT_EQ(test::TempDir::Read(user + "Chart.ini"), "my own chart");
    EXPECT_EQ(test::TempDir::Read(user + "help/index.html"), "help");
    EXPECT_TRUE(std::filesystem::is_directory(user + "Plugin"));

    // The user edits one file and deletes another; an update brings a new one.
    test::TempDir::Write(user + "Deck.ini", "my deck");
    std::filesystem::remove(user + "help/index.html");
    test::TempDir::Write(installed.File("ChipFile.ini"), "chips");
    EXPECT_EQ(FillUserFolder(user, installed.Folder()), "");
    EXPECT_EQ(test::TempDir::Read(user + "Deck.ini"), "my deck");
    EXPECT_FALSE(FileExists(user + "help/index.html"));
    EXPECT_EQ(test::TempDir::Read(user + "ChipFile.ini"), "chips");
    // Nothing half-copied is left behind.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(user))
        EXPECT_EQ(entry.path().string().find("copying"), std::string::npos) << entry.path();
}

TEST(FillUserFolder, ReportsAFolderItCannotMake) {
    test::TempDir home;
    test::TempDir::Write(home.File("file"), "");
    EXPECT_NE(FillUserFolder(home.File("file/yarrow/"), ""), "");
    // Without installed data the folder is still made, empty.
    EXPECT_EQ(FillUserFolder(home.File("new/yarrow/"), ""), "");
    EXPECT_TRUE(std::filesystem::is_directory(home.File("new/yarrow/Plugin")));
}

TEST(DataFilePath, FallsBackToTheInstalledDataForReading) {
    test::TempDir own;
    test::TempDir installed;
    test::TempDir::Write(installed.File("Deck.ini"), "");
    test::TempDir::Write(installed.File("Chart.ini"), "");
    test::TempDir::Write(own.File("Chart.ini"), "");
    ProgramFolders folders;
    folders.programFolder = own.Folder();
    folders.installedData = installed.Folder();
    EXPECT_EQ(DataFilePath(folders, "Deck.ini"), installed.File("Deck.ini"));
    EXPECT_EQ(DataFilePath(folders, "Chart.ini"), own.File("Chart.ini"));
    EXPECT_EQ(DataFilePath(folders, "None.ini"), own.File("None.ini"));
    folders.installedData.clear();
    EXPECT_EQ(DataFilePath(folders, "Deck.ini"), own.File("Deck.ini"));
}

TEST(FileExists, FindsFilesAndFoldersOnly) {
    test::TempDir dir;
    EXPECT_FALSE(FileExists(dir.File("none.ini")));
    EXPECT_FALSE(FileExists(""));
    test::TempDir::Write(dir.File("a.ini"), "");
    EXPECT_TRUE(FileExists(dir.File("a.ini")));
    EXPECT_TRUE(FileExists(dir.Folder()));
}

TEST(LastErrorText, DescribesTheErrorAndIsReadableText) {
    errno = ENOENT;
    std::string text = LastErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, LastErrorText(ENOENT));
    EXPECT_NE(text, LastErrorText(EACCES));
}

}  // namespace
}  // namespace yarrow
