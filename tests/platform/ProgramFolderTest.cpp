#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/ProgramFolder.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

// Every "0x" goes, wherever it is; anything else that is not hexadecimal
// reads as black; overlong text keeps its last eight digits.
TEST(ParseHexColor, ReadsColourTextInEveryWrittenForm) {
    // clang-format off
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"0xFF8040", 0xFF8040}, {"0xffffff", 0xFFFFFF}, {"0X00FF00", 0x00FF00}, {"0x0", 0},
        {"C800C8", 0xC800C8}, {"0x0xAB", 0xAB}, {"10x1", 0x11}, {"red", 0}, {"", 0}, {"0x", 0},
        {"0xFF 00", 0}, {"-0x10", 0}, {"0xG0", 0}, {"x10", 0}, {"0x1234567890", 0x34567890},
    };
    // clang-format on
    for (const auto& [text, color] : cases)
        EXPECT_EQ(ParseHexColor(text), color) << text;
}

// The choice over a made-up file system: what exists is `present` and, for
// an installation under a root, root + "share/yarrow/" and
// root + "lib/yarrow/Plugin".
TEST(ProgramFolder, IsChosenByHomeVariableDataAndInstallation) {
    const struct {
        const char* what;
        FolderEnvironment environment;
        std::string installedRoot;  // "" for none
        std::string present;        // a data file beside the executable, or ""
        std::string programFolder;
        bool perUser;
    } cases[] = {
        // clang-format off
        {"a build's bin holds the data", {"", "/src/build/bin/", "", "/home/ann"}, "",
         "/src/build/bin/Deck.ini", "/src/build/bin/", false},
        {"a portable copy with only its settings file", {"", "/opt/y/", "", "/home/ann"}, "",
         "/opt/y/Yarrow.ini", "/opt/y/", false},
        {"installed: the per-user folder under ~/.local/share",
         {"", "/usr/bin/", "", "/home/ann"}, "/usr/", "", "/home/ann/.local/share/yarrow/", true},
        {"installed with XDG_DATA_HOME", {"", "/usr/bin/", "/data/ann", "/home/ann"}, "/usr/", "",
         "/data/ann/yarrow/", true},
        {"a relative XDG_DATA_HOME is ignored", {"", "/usr/bin/", "data", "/home/ann/"}, "/usr/",
         "", "/home/ann/.local/share/yarrow/", true},
        {"an unpacked package tree finds its data beside the executable",
         {"", "/tmp/x/usr/bin/", "", "/home/ann"}, "/tmp/x/usr/", "",
         "/home/ann/.local/share/yarrow/", true},
        {"YARROW_HOME wins over data beside the executable",
         {"/games/y", "/src/build/bin/", "/data", "/home/ann"}, "", "/src/build/bin/Deck.ini",
         "/games/y/", false},
        {"YARROW_HOME wins over the per-user folder, plug-ins still found",
         {"/games/y/", "/usr/bin/", "", "/home/ann"}, "/usr/", "", "/games/y/", false},
        {"no home at all: the executable's folder after all", {"", "/usr/bin/", "", ""}, "/usr/",
         "", "/usr/bin/", false},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::string data = c.installedRoot.empty() ? "" : c.installedRoot + "share/yarrow/";
        const std::string plugins =
            c.installedRoot.empty() ? "" : c.installedRoot + "lib/yarrow/Plugin";
        const auto exists = [&](const std::string& path) {
            return !path.empty() && (path == c.present || path == data || path == plugins);
        };
        const ProgramFolders folders = ChooseProgramFolders(c.environment, exists);
        EXPECT_EQ(folders.programFolder, c.programFolder) << c.what;
        EXPECT_EQ(folders.perUser, c.perUser) << c.what;
        EXPECT_EQ(folders.installedData, data) << c.what;
        EXPECT_EQ(folders.installedPlugins, plugins) << c.what;
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

TEST(FillUserFolder, CopiesWhatIsMissingNeverOverwritesOrRevivesAndReportsFailure) {
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

    // A folder that cannot be made is reported; without installed data the
    // folder is still made, empty.
    test::TempDir::Write(home.File("file"), "");
    EXPECT_NE(FillUserFolder(home.File("file/yarrow/"), ""), "");
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

}  // namespace
}  // namespace yarrow
