#include "chat/LogFiles.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/CProfileFile.h"
#include "platform/Cp932.h"

namespace yarrow {

std::string LogFolderPrefix(std::string_view logFolder) {
    if (logFolder.empty())
        return {};
    return std::string(logFolder) + "/";
}

std::string TimeStampedName(std::string_view prefix, std::time_t when, std::string_view extension) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%4d_%02d_%02d_%02d_%02d_%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string name(prefix);
    name += stamp;
    name.append(extension);
    return name;
}

std::string FreeTimeStampedName(const std::string& programFolder, std::string_view prefix,
                                std::time_t when, std::string_view extension,
                                std::string* fullPath) {
    const std::string stem = TimeStampedName(prefix, when, "");
    std::string name;
    // Bounded: beyond a thousand logs in one second the last name is used
    // and its opening reports that it exists.
    for (int n = 1; n <= 1000; ++n) {
        name = stem + (n == 1 ? std::string() : "_" + std::to_string(n)) + std::string(extension);
        *fullPath = ResolveInProgramFolder(programFolder, name);
        struct stat info {};
        if (::lstat(fullPath->c_str(), &info) != 0)
            break;
    }
    return name;
}

std::string ResolveInProgramFolder(const std::string& programFolder, const std::string& name) {
    // Names are code page 932 (the log folder comes from the settings file);
    // the file system wants UTF-8. Converting first keeps a trail byte 0x5C
    // from being taken for a Windows-style separator.
    std::string path = Cp932ToUtf8(name).text;
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    if (!path.empty() && path.front() == '/')
        return path;
    return programFolder + path;
}

std::string LogFolderSetting(const std::string& programFolder) {
    CProfileFile ini(programFolder + "Yarrow.ini");
    return ini.GetString("InitialSetting", "LogFolder", "");
}

LogFileResult SavedResult(const std::string& fileName) {
    static const std::string kSaved1 = Sjis("ログを");
    static const std::string kSaved2 = Sjis("に保存しました");
    static const std::string kCaption = Sjis("確認");
    LogFileResult r;
    r.ok = true;
    r.fileName = fileName;
    r.text = kSaved1 + fileName + kSaved2;
    r.caption = kCaption;
    r.icon = PromptIcon::Information;
    return r;
}

LogFileResult OpenFailedResult(const std::string& fileName, const std::string& errorText) {
    static const std::string kCannotOpen = Sjis("ファイルが開けません\r\n");
    static const std::string kCaption = Sjis("ファイルエラー");
    LogFileResult r;
    r.ok = false;
    r.fileName = fileName;
    r.text = kCannotOpen + errorText;
    r.caption = kCaption;
    r.icon = PromptIcon::Stop;
    r.beep = true;
    return r;
}

}  // namespace yarrow
