#pragma once
// Names and outcomes of the log files: the plain-text log, the RTF and text
// snapshots and the trace log are all named after the local time.

#include <ctime>
#include <string>
#include <string_view>

#include "platform/IPrompter.h"

namespace yarrow {

// What a log-file operation tells the user. `ok` with an empty text means
// nothing is shown (starting the text log); otherwise the UI shows `text`
// with `caption` and `icon`, and beeps the stop sound first when `beep`.
struct LogFileResult {
    bool ok = false;
    std::string fileName;  // the name as built (prefix + time stamp + extension)
    std::string text;
    std::string caption;
    PromptIcon icon = PromptIcon::None;
    bool beep = false;
};

// The LogFolder setting as a name prefix: the folder and "/", or nothing.
std::string LogFolderPrefix(std::string_view logFolder);

// prefix + "YYYY_MM_DD_hh_mm_ss" + extension (".txt", ".rtf", ".log") in local time.
std::string TimeStampedName(std::string_view prefix, std::time_t when, std::string_view extension);

// A time-stamped name whose file does not exist yet: prefix + stamp +
// extension, or with "_2", "_3", ... before the extension, so a log started
// or saved in the same second never overwrites another one. `fullPath`
// receives where it lies (see ResolveInProgramFolder).
std::string FreeTimeStampedName(const std::string& programFolder, std::string_view prefix,
                                std::time_t when, std::string_view extension,
                                std::string* fullPath);

// Where a name built from the log folder lies: relative names are inside the
// program folder (which ends in "/"), absolute ones stay as they are.
std::string ResolveInProgramFolder(const std::string& programFolder, const std::string& name);

// The LogFolder value of ProgramFolder + "Yarrow.ini" (empty when missing).
std::string LogFolderSetting(const std::string& programFolder);

// The outcomes shown to the user.
LogFileResult SavedResult(const std::string& fileName);
LogFileResult OpenFailedResult(const std::string& fileName, const std::string& errorText);

}  // namespace yarrow
