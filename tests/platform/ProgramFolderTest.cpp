#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/FileBytes.h"
#include "platform/ProgramFolder.h"
#include "platform/TempDir.h"
#include "support/FullDisk.h"

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
    const std::string bin = "/src/build/bin/";
    const std::vector<std::string> build{bin + "Deck.ini", bin + "Plugin"};
    const struct {
        const char* what;
        FolderEnvironment environment;
        std::string installedRoot;         // "" for none
        std::vector<std::string> present;  // beside the executable
        std::string programFolder;
        std::string fillFrom;  // "" when not filled or from nothing
        std::string plugins;
    } cases[] = {
        // clang-format off
        {"a build's bin holds the data", {"", bin, "", "/home/ann"}, "", build, bin, "", bin + "Plugin"},
        {"a portable copy with only its settings file", {"", "/opt/y/", "", "/home/ann"}, "",
         {"/opt/y/Yarrow.ini"}, "/opt/y/", "", ""},
        {"installed: the per-user folder under ~/.local/share",
         {"", "/usr/bin/", "", "/home/ann"}, "/usr/", {}, "/home/ann/.local/share/yarrow/",
         "/usr/share/yarrow/", "/usr/lib/yarrow/Plugin"},
        {"installed with XDG_DATA_HOME", {"", "/usr/bin/", "/data/ann", "/home/ann"}, "/usr/", {},
         "/data/ann/yarrow/", "/usr/share/yarrow/", "/usr/lib/yarrow/Plugin"},
        {"a relative XDG_DATA_HOME is ignored", {"", "/usr/bin/", "data", "/home/ann/"}, "/usr/",
         {}, "/home/ann/.local/share/yarrow/", "/usr/share/yarrow/", "/usr/lib/yarrow/Plugin"},
        {"an unpacked package tree finds its data beside the executable",
         {"", "/tmp/x/usr/bin/", "", "/home/ann"}, "/tmp/x/usr/", {},
         "/home/ann/.local/share/yarrow/", "/tmp/x/usr/share/yarrow/", "/tmp/x/usr/lib/yarrow/Plugin"},
        {"YARROW_HOME of a build: filled from the data beside the executable",
         {"/games/y", bin, "/data", "/home/ann"}, "", build, "/games/y/", bin, bin + "Plugin"},
        {"YARROW_HOME of an installation: filled from the installed data",
         {"/games/y/", "/usr/bin/", "", "/home/ann"}, "/usr/", {}, "/games/y/",
         "/usr/share/yarrow/", "/usr/lib/yarrow/Plugin"},
        {"YARROW_HOME naming the build's bin: nothing to copy", {bin, bin, "", "/home/ann"}, "",
         build, bin, "", bin + "Plugin"},
        {"no home at all: the executable's folder after all", {"", "/usr/bin/", "", ""}, "/usr/",
         {}, "/usr/bin/", "", "/usr/lib/yarrow/Plugin"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::string data = c.installedRoot.empty() ? "" : c.installedRoot + "share/yarrow/";
        const auto exists = [&](const std::string& path) {
            return !path.empty() &&
                   (std::find(c.present.begin(), c.present.end(), path) != c.present.end() ||
                    path == data || path == c.plugins);
        };
        const ProgramFolders folders = ChooseProgramFolders(c.environment, exists);
        EXPECT_EQ(folders.programFolder, c.programFolder) << c.what;
        EXPECT_EQ(folders.fill, c.programFolder != c.environment.executableFolder ||
                                    !c.environment.yarrowHome.empty())
            << c.what;
        EXPECT_EQ(folders.fillFrom, c.fillFrom) << c.what;
        EXPECT_EQ(folders.fillFromExecutableFolder, !c.fillFrom.empty() && c.fillFrom == bin)
            << c.what;
        EXPECT_EQ(folders.installedData, data) << c.what;
        EXPECT_EQ(folders.installedPlugins, c.plugins) << c.what;
    }
}

// A $YARROW_HOME that names a new folder starts as the per-user folder does:
// with the data of the installation, or of the build beside the executable,
// where the programs, plug-ins, the build user's own settings and logs stay
// behind. The data set is the one the build and the packages ship. Later
// starts bring an update's new files but never overwrite a user's file or
// bring back one the user deleted.
TEST(ProgramFolder, YarrowHomeIsFilledFromTheDataAndKeepsTheUsersChanges) {
    namespace fs = std::filesystem;
    const fs::path shipped = fs::path(YARROW_FIXTURES) / ".." / ".." / "data";
    const auto files = [](const fs::path& folder) {
        std::set<std::string> names;  // a half-copied file would show here too
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string name = entry.path().lexically_relative(folder).generic_string();
            if (entry.is_regular_file() && name != kInstalledListName)
                names.insert(name);
        }
        return names;
    };
    for (const bool installed : {false, true}) {
        test::TempDir root;
        const std::string exe = root.File(installed ? "usr/bin/" : "build/bin/");
        const std::string data = installed ? root.File("usr/share/yarrow/") : exe;
        fs::create_directories(exe);
        fs::create_directories(data);
        fs::copy(shipped, data, fs::copy_options::recursive);
        // Help pages may keep their pictures in a folder of their own.
        fs::create_directories(data + "help/pictures");
        test::TempDir::Write(data + "help/pictures/dice.png", "picture");
        test::TempDir::Write(exe + "yarrow", "program");
        fs::permissions(exe + "yarrow", fs::perms::owner_exec, fs::perm_options::add);
        if (installed) {
            // Whatever the installed data holds is data, whatever its kind.
            test::TempDir::Write(data + "Intro.png", "picture");
        } else {
            fs::create_directories(exe + "Plugin");
            fs::create_directories(exe + "Log");
            test::TempDir::Write(exe + "Plugin/libGeneralDice.so", "plug-in");
            test::TempDir::Write(exe + "Log/20260101_120000.txt", "a log");
            test::TempDir::Write(exe + "Yarrow.ini", "the build user's settings");
            test::TempDir::Write(exe + "Snapshot.txt", "a snapshot");
        }
        const std::string home = root.File("stick/yarrow/");
        fs::create_directories(home);
        test::TempDir::Write(home + "Chart.ini", "my own chart");
        const auto start = [&] {
            const ProgramFolders folders =
                ChooseProgramFolders({home, exe, "", root.File("ann")}, FileExists);
            EXPECT_EQ(folders.programFolder, home);
            return PrepareProgramFolder(folders);
        };
        ASSERT_EQ(start(), "");
        std::set<std::string> expected = files(shipped);
        expected.insert("help/pictures/dice.png");
        if (installed)
            expected.insert("Intro.png");
        EXPECT_EQ(files(home), expected) << installed;
        EXPECT_TRUE(fs::is_directory(home + "Plugin"));
        EXPECT_EQ(test::TempDir::Read(home + "Deck.ini"), test::TempDir::Read(data + "Deck.ini"));
        EXPECT_EQ(test::TempDir::Read(home + "Chart.ini"), "my own chart");

        // The user edits one file and deletes another; an update brings a new one.
        test::TempDir::Write(home + "Deck.ini", "my deck");
        fs::remove(home + "help/index.html");
        test::TempDir::Write(data + "ChipNew.bmp", "new chip");
        ASSERT_EQ(start(), "");
        EXPECT_EQ(test::TempDir::Read(home + "Deck.ini"), "my deck");
        EXPECT_FALSE(FileExists(home + "help/index.html"));
        EXPECT_EQ(test::TempDir::Read(home + "ChipNew.bmp"), "new chip");
    }

    // A folder that cannot be made is reported; without any data the folder
    // is still made, empty.
    test::TempDir root;
    test::TempDir::Write(root.File("file"), "");
    EXPECT_NE(PrepareProgramFolder(
                  ChooseProgramFolders({root.File("file/y"), "/nowhere/bin/", "", ""}, FileExists)),
              "");
    EXPECT_EQ(PrepareProgramFolder(
                  ChooseProgramFolders({root.File("new/y"), "/nowhere/bin/", "", ""}, FileExists)),
              "");
    EXPECT_TRUE(std::filesystem::is_directory(root.File("new/y/Plugin")));
    // A folder inside the installed data is filled once, not into itself.
    fs::create_directories(root.File("usr/bin"));
    fs::create_directories(root.File("usr/share/yarrow/mine"));
    test::TempDir::Write(root.File("usr/share/yarrow/Deck.ini"), "deck");
    EXPECT_EQ(PrepareProgramFolder(ChooseProgramFolders(
                  {root.File("usr/share/yarrow/mine"), root.File("usr/bin/"), "", ""}, FileExists)),
              "");
    EXPECT_EQ(files(root.File("usr/share/yarrow/mine")), std::set<std::string>{"Deck.ini"});
}

// A disk that fills up during a start: the files that did not fit are not
// left half copied, the list of the files already given keeps every name (so
// what the user deleted stays deleted), and the failure is reported. The
// start runs in a child process whose file size limit stands in for the disk.
TEST(ProgramFolder, FillOnAFullDiskKeepsTheListAndLeavesNoHalfFile) {
    namespace fs = std::filesystem;
    constexpr long kRoom = 4096;
    for (const bool bigFile : {false, true}) {
        test::TempDir data;
        test::TempDir home;
        fs::create_directories(data.File("help"));
        test::TempDir::Write(data.File("New.ini"), "new table");
        test::TempDir::Write(data.File("help/zz-deleted.html"), "a page the user deleted");
        if (bigFile)
            test::TempDir::Write(data.File("Big.bmp"), std::string(2 * kRoom, 'b'));
        std::string list;
        for (int i = 0; i < 300; ++i)
            list += "help/an-old-page-" + std::to_string(1000 + i) + ".html\n";
        list += "help/zz-deleted.html\n";
        ASSERT_GT(list.size(), static_cast<std::size_t>(kRoom));
        test::TempDir::Write(home.File(kInstalledListName), list);

        std::string error;
        {
            test::FullDisk full(kRoom);
            error = FillProgramFolder(home.Folder(), data.Folder());
        }
        EXPECT_NE(error, "") << "the full disk is reported " << bigFile;
        EXPECT_TRUE(test::TempDir::Read(home.File(kInstalledListName)) == list)
            << "the list keeps every name " << bigFile;
        EXPECT_FALSE(FileExists(home.File("Big.bmp"))) << bigFile;
        for (const auto& entry : fs::recursive_directory_iterator(home.Folder())) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with(".yarrow-copying") || name.ends_with(".partial"))
                << name << " " << bigFile;
        }

        // With room again the rest arrives whole, and the deleted page stays away.
        ASSERT_EQ(FillProgramFolder(home.Folder(), data.Folder()), "") << bigFile;
        EXPECT_EQ(test::TempDir::Read(home.File("New.ini")), "new table") << bigFile;
        EXPECT_FALSE(FileExists(home.File("help/zz-deleted.html"))) << bigFile;
        if (bigFile) {
            EXPECT_EQ(test::TempDir::Read(home.File("Big.bmp")), std::string(2 * kRoom, 'b'));
        }
    }
}

// Odd things in the user's folder where the fill keeps its own files: a pipe
// or a device does not hold the start up, and a link does not lead the fill
// to write over the file it points at.
TEST(ProgramFolder, FillIsNotLedAstrayByPipesAndLinksInTheUsersFolder) {
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        std::string name;  // in the user's folder
        bool pipe;         // else a link to the user's own file, or to "target"
        std::string target;
    } cases[] = {
        {"the list is a pipe", kInstalledListName, true, ""},
        {"the list is a link to an endless device", kInstalledListName, false, "/dev/zero"},
        {"the list's new copy is a pipe", std::string(kInstalledListName) + ".partial", true, ""},
        {"the list's new copy is a link", std::string(kInstalledListName) + ".partial", false, ""},
        {"a data file's copy in progress is a link", "Deck.ini.yarrow-copying", false, ""},
    };
    for (const auto& c : cases) {
        test::TempDir data;
        test::TempDir home;
        test::TempDir::Write(data.File("Deck.ini"), "deck");
        test::TempDir::Write(home.File("Notes.txt"), "my notes");
        if (c.pipe) {
            ASSERT_EQ(::mkfifo(home.File(c.name).c_str(), 0600), 0) << c.what;
        } else {
            fs::create_symlink(c.target.empty() ? home.File("Notes.txt") : c.target,
                               home.File(c.name));
        }
        EXPECT_EQ(FillProgramFolder(home.Folder(), data.Folder()), "") << c.what;
        EXPECT_EQ(test::TempDir::Read(home.File("Notes.txt")), "my notes") << c.what;
        EXPECT_EQ(test::TempDir::Read(home.File("Deck.ini")), "deck") << c.what;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(home.File(kInstalledListName))))
            << c.what;
        EXPECT_EQ(test::TempDir::Read(home.File(kInstalledListName)), "Deck.ini\n") << c.what;
    }
}

// A copy, a new folder or the list that cannot be flushed to the disk could
// be lost or cut short by a power cut: it counts as not made. The failure is
// reported, nothing half made is left, the old list stays, and the next start
// completes the folder.
TEST(ProgramFolder, FillReportsWhatCannotBeFlushedToTheDisk) {
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        int fileError;
        int folderError;
        bool usersOwn;  // the folder already holds every data file: only the list changes
        const char* reported;
    } cases[] = {
        {"a copy", EIO, 0, false, "cannot copy "},
        {"a folder", 0, EIO, false, "cannot copy "},
        {"the list", EIO, 0, true, "cannot write "},
        {"the list's folder", 0, EIO, true, "cannot write "},
    };
    for (const auto& c : cases) {
        test::TempDir data;
        test::TempDir home;
        fs::create_directories(data.File("help/pictures"));
        test::TempDir::Write(data.File("Deck.ini"), "deck");
        test::TempDir::Write(data.File("help/pictures/dice.png"), "picture");
        test::TempDir::Write(home.File(kInstalledListName), "Old.ini\n");
        if (c.usersOwn) {
            fs::create_directories(home.File("help/pictures"));
            test::TempDir::Write(home.File("Deck.ini"), "deck");
            test::TempDir::Write(home.File("help/pictures/dice.png"), "picture");
        }
        FailSyncForTest(c.fileError, c.folderError);
        const std::string error = FillProgramFolder(home.Folder(), data.Folder());
        FailSyncForTest(0, 0);
        EXPECT_TRUE(error.starts_with(c.reported)) << c.what << ": " << error;
        EXPECT_NE(error.find(std::error_code(EIO, std::generic_category()).message()),
                  std::string::npos)
            << c.what << ": " << error;
        if (c.fileError != 0) {
            EXPECT_EQ(test::TempDir::Read(home.File(kInstalledListName)), "Old.ini\n") << c.what;
            EXPECT_EQ(FileExists(home.File("Deck.ini")), c.usersOwn) << c.what;
        }
        for (const auto& entry : fs::recursive_directory_iterator(home.Folder())) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with(".yarrow-copying") || name.ends_with(".partial"))
                << c.what << ": " << name;
        }

        ASSERT_EQ(FillProgramFolder(home.Folder(), data.Folder()), "") << c.what;
        EXPECT_EQ(test::TempDir::Read(home.File("Deck.ini")), "deck") << c.what;
        EXPECT_EQ(test::TempDir::Read(home.File("help/pictures/dice.png")), "picture") << c.what;
        EXPECT_EQ(test::TempDir::Read(home.File(kInstalledListName)),
                  "Deck.ini\nOld.ini\nhelp/pictures/dice.png\n")
            << c.what;
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

// The windowless hub reads what the program folder lacks from the folder it
// is filled from: the installed data, else a build's own folder.
TEST(DataFilePath, FallsBackToWhereTheFolderIsFilledFrom) {
    test::TempDir own;
    test::TempDir data;
    for (const std::string& path :
         {data.File("Deck.ini"), data.File("Chart.ini"), own.File("Chart.ini")})
        test::TempDir::Write(path, "");
    const ProgramFolders installed{own.Folder(), true, data.Folder(), false, data.Folder(), ""};
    const ProgramFolders build{own.Folder(), true, data.Folder(), true, "", data.Folder()};
    for (const ProgramFolders& folders : {installed, build}) {
        EXPECT_EQ(DataFilePath(folders, "Deck.ini"), data.File("Deck.ini"));
        EXPECT_EQ(DataFilePath(folders, "Chart.ini"), own.File("Chart.ini"));
        EXPECT_EQ(DataFilePath(folders, "None.ini"), own.File("None.ini"));
    }
}

}  // namespace
}  // namespace yarrow
