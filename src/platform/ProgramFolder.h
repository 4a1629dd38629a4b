#pragma once
// The program folder and the small helpers every area uses with it: the file
// test, the text of the last system error and the reading of colour text.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yarrow {

// What the choice of the program folder looks at. Folders end in "/"; the
// variables are empty when unset.
struct FolderEnvironment {
    std::string yarrowHome;        // $YARROW_HOME
    std::string executableFolder;  // the folder of the running executable
    std::string xdgDataHome;       // $XDG_DATA_HOME
    std::string home;              // $HOME, or the account's home folder
};

// Where the program reads and writes its files.
struct ProgramFolders {
    // Settings, logs, snapshots, charts and the data files; ends in "/".
    std::string programFolder;
    // True when start-up creates programFolder and completes it from
    // fillFrom (PrepareProgramFolder): the per-user folder and $YARROW_HOME.
    // The executable's own folder is complete as it is.
    bool fill = false;
    // Where the data a new program folder starts with comes from, or empty:
    // the installed data, else (a build, a portable copy) the executable's
    // folder when it holds the data.
    std::string fillFrom;
    // True when fillFrom is the executable's folder, which also holds the
    // programs, plug-ins and its own user's settings and logs: only the data
    // files are taken from it (IsDataFile).
    bool fillFromExecutableFolder = false;
    // The installed data ("../share/yarrow/" beside the executable's folder)
    // when it exists, else empty.
    std::string installedData;
    // The installed plug-ins ("../lib/yarrow/Plugin" beside the executable's
    // folder) when that folder exists, else the executable folder's "Plugin"
    // when that folder holds the data (a build), else empty.
    std::string installedPlugins;
};

// The rules, with `exists` standing in for the file system:
// 1. $YARROW_HOME, when set, is the program folder (tests, portable setups);
//    it is filled like the per-user folder.
// 2. The executable's folder, when it holds the data (a build's bin/, a
//    portable copy): any of Yarrow.ini, Deck.ini, Chart.ini, ChipFile.ini.
// 3. Otherwise (an installed program) the per-user folder
//    $XDG_DATA_HOME/yarrow/, or ~/.local/share/yarrow/ when that variable is
//    unset or not an absolute path.
// Without any home folder the executable's folder is used after all.
ProgramFolders ChooseProgramFolders(const FolderEnvironment& environment,
                                    const std::function<bool(const std::string&)>& exists);

// Where dice plug-ins are looked for, the first folder winning a tag: the
// program folder's "Plugin", then `installedPlugins` when given and not the
// same folder.
std::vector<std::string> PluginFolders(const std::string& programFolder,
                                       const std::string& installedPlugins);

// The environment of this process.
FolderEnvironment CurrentFolderEnvironment();

// ChooseProgramFolders over this process's environment and file system.
ProgramFolders CurrentProgramFolders();

// The program folder, "/"-terminated: CurrentProgramFolders().programFolder.
// Every data and settings path is this string followed directly by a file
// name.
std::string ProgramFolder();

// A program folder's first start and every later one: creates `folder`
// (with its parents) and its empty "Plugin" folder, then copies every file
// below `source` that the folder lacks (with `onlyData`, only those
// IsDataFile accepts). A user's file is never overwritten, and a file the
// user deleted does not come back: the copied names are remembered in
// `folder` + kInstalledListName, and only names not listed there yet are
// copied (so an update's new files still arrive).
// Returns an empty string, or what went wrong as UTF-8 text.
inline constexpr const char* kInstalledListName = ".installed-files";
std::string FillProgramFolder(const std::string& folder, const std::string& source,
                              bool onlyData = false);

// What start-up does with the chosen folders: FillProgramFolder when
// `folders.fill`, else nothing. Returns what went wrong, or an empty string.
std::string PrepareProgramFolder(const ProgramFolders& folders);

// True for a file of the data set by its path relative to the folder that
// holds it: the data tables (*.ini but the settings file Yarrow.ini), the
// chip bitmaps (*.bmp) and the help pages (help/...). The programs, the
// plug-ins, the settings, logs, snapshots and saved charts and maps are not.
bool IsDataFile(std::string_view relative);

// `name` in the program folder, or where the program folder is filled from
// (the installed data, else a build's folder) when the program folder lacks
// it and that folder has it: for readers that only read, such as the
// windowless hub's Deck.ini.
std::string DataFilePath(const ProgramFolders& folders, const std::string& name);

// True when something (file, folder, even a dangling link) exists at `path`.
bool FileExists(const std::string& path);

// The system's text for the current errno (or for `error`), as code page 932
// bytes ready for a message box.
std::string LastErrorText();
std::string LastErrorText(int error);

// Colour text as the settings, markup and messages write it: every "0x" and
// "0X" is removed and the rest read as hexadecimal. Any other character, or
// nothing left, gives 0. Overlong numbers wrap instead of overflowing.
std::uint32_t ParseHexColor(std::string_view text);

}  // namespace yarrow
