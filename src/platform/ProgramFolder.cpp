#include "platform/ProgramFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "platform/Cp932.h"
#include "platform/FileBytes.h"

namespace yarrow {
namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string RemoveAll(std::string text, std::string_view what) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    for (std::size_t hit; (hit = text.find(what, at)) != std::string::npos;
         at = hit + what.size()) {
        out.append(text, at, hit - at);
    }
    out.append(text, at, std::string::npos);
    return out;
}

// A folder that holds any of these is a complete program folder.
bool HoldsData(const std::string& folder, const std::function<bool(const std::string&)>& exists) {
    for (const char* name : {"Yarrow.ini", "Deck.ini", "Chart.ini", "ChipFile.ini"}) {
        if (exists(folder + name))
            return true;
    }
    return false;
}

// "/usr/bin/../share/yarrow/" as "/usr/share/yarrow/" (a trailing "/" stays).
std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().generic_string();
}

// Copies the file at `from` into the open file `to`, with its permissions:
// 0, or the error number that stopped it.
int CopyFileInto(const std::string& from, int to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno != 0 ? errno : EIO;
    int error = 0;
    struct stat st;
    if (::fstat(in, &st) == 0)
        ::fchmod(to, st.st_mode & 0777);
    char buffer[64 * 1024];
    while (error == 0) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno != EINTR)
                error = errno != 0 ? errno : EIO;
            continue;
        }
        error = WriteAllBytes(to, std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    ::close(in);
    return error;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

ProgramFolders ChooseProgramFolders(const FolderEnvironment& environment,
                                    const std::function<bool(const std::string&)>& exists) {
    ProgramFolders folders;
    const std::string exe = WithSlash(environment.executableFolder);
    // An unpacked package tree runs too: the installed files are found
    // relative to the executable, not at fixed paths.
    const std::string data = Normal(exe + "../share/yarrow/");
    const std::string plugins = Normal(exe + "../lib/yarrow/Plugin");
    if (exists(data))
        folders.installedData = data;
    if (exists(plugins))
        folders.installedPlugins = plugins;

    const bool exeHoldsData = HoldsData(exe, exists);
    // A build keeps its plug-ins beside the executable, so a $YARROW_HOME
    // run from it finds them as an installed program's run does.
    if (folders.installedPlugins.empty() && exeHoldsData && exists(exe + "Plugin"))
        folders.installedPlugins = exe + "Plugin";

    if (!environment.yarrowHome.empty()) {
        folders.programFolder = WithSlash(environment.yarrowHome);
        folders.fill = true;
    } else if (exeHoldsData) {
        folders.programFolder = exe;
    } else {
        std::string base;
        if (!environment.xdgDataHome.empty() && environment.xdgDataHome.front() == '/') {
            base = WithSlash(environment.xdgDataHome);
        } else if (!environment.home.empty()) {
            base = WithSlash(environment.home) + ".local/share/";
        }
        if (base.empty()) {
            folders.programFolder = exe;
        } else {
            folders.programFolder = base + "yarrow/";
            folders.fill = true;
        }
    }
    if (folders.fill) {
        if (!folders.installedData.empty()) {
            folders.fillFrom = folders.installedData;
        } else if (exeHoldsData) {
            folders.fillFrom = exe;
            folders.fillFromExecutableFolder = true;
        }
        // $YARROW_HOME naming the data's own folder: nothing to copy.
        if (Normal(folders.fillFrom) == Normal(folders.programFolder)) {
            folders.fillFrom.clear();
            folders.fillFromExecutableFolder = false;
        }
    }
    return folders;
}

std::vector<std::string> PluginFolders(const std::string& programFolder,
                                       const std::string& installedPlugins) {
    std::vector<std::string> folders{programFolder + "Plugin"};
    if (!installedPlugins.empty() && Normal(installedPlugins) != Normal(folders.front()))
        folders.push_back(installedPlugins);
    return folders;
}

FolderEnvironment CurrentFolderEnvironment() {
    FolderEnvironment environment;
    environment.yarrowHome = Variable("YARROW_HOME");
    environment.xdgDataHome = Variable("XDG_DATA_HOME");
    environment.home = Variable("HOME");
    if (environment.home.empty()) {
        // Services and some launchers start programs without $HOME.
        struct passwd entry;
        struct passwd* found = nullptr;
        std::string buffer(16384, '\0');
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir)
            environment.home = found->pw_dir;
    }
    std::string exe(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n > 0 && static_cast<std::size_t>(n) < exe.size()) {
        exe.resize(static_cast<std::size_t>(n));
        const std::size_t slash = exe.rfind('/');
        if (slash != std::string::npos)
            environment.executableFolder = exe.substr(0, slash + 1);
    }
    if (environment.executableFolder.empty())
        environment.executableFolder = "./";
    return environment;
}

ProgramFolders CurrentProgramFolders() {
    return ChooseProgramFolders(CurrentFolderEnvironment(), FileExists);
}

std::string ProgramFolder() {
    return CurrentProgramFolders().programFolder;
}

bool IsDataFile(std::string_view relative) {
    if (relative.starts_with("help/"))
        return relative.size() > 5;
    if (relative.find('/') != std::string_view::npos || relative.size() <= 4)
        return false;
    const auto lower = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    };
    const std::string name = lower(relative);
    const std::string_view extension = std::string_view(name).substr(name.size() - 4);
    return (extension == ".ini" && name != "yarrow.ini") || extension == ".bmp";
}

std::string PrepareProgramFolder(const ProgramFolders& folders) {
    if (!folders.fill)
        return {};
    return FillProgramFolder(folders.programFolder, folders.fillFrom,
                             folders.fillFromExecutableFolder);
}

std::string FillProgramFolder(const std::string& folder, const std::string& source, bool onlyData) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder))
        return "cannot create " + folder + ": " + ec.message();
    fs::create_directory(folder + "Plugin", ec);
    if (source.empty() || !fs::is_directory(source, ec))
        return {};

    const std::string listPath = folder + kInstalledListName;
    std::set<std::string> listed;
    // Only a plain file is read: a pipe would hold the start up for good,
    // and a link to a device could be endless.
    std::error_code listError;
    if (fs::is_regular_file(listPath, listError)) {
        std::ifstream in(listPath, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty())
                listed.insert(line);
        }
    }
    std::string error;
    bool listChanged = false;
    auto it =
        fs::recursive_directory_iterator(source, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        const std::string relative = it->path().lexically_relative(source).generic_string();
        // A program folder inside the data it is filled from is the user's,
        // not data: copying it into itself would never end.
        if (it->is_directory(typeError) && fs::equivalent(it->path(), folder, typeError)) {
            it.disable_recursion_pending();
            continue;
        }
        if (onlyData && it->is_directory(typeError) && relative != "help" &&
            !relative.starts_with("help/")) {
            // The plug-ins, the logs and whatever else the folder holds; the
            // help pages come with every folder below them.
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(typeError) || (onlyData && !IsDataFile(relative)))
            continue;
        // A name with a line break could not be remembered in the list.
        if (relative.empty() || relative.find('\n') != std::string::npos || listed.count(relative))
            continue;
        const fs::path target = fs::path(folder) / relative;
        // Whatever is there already is the user's, and stays: an older
        // folder, or a file of the same name the user made.
        if (!FileExists(target.string())) {
            // Copied under another name first and flushed to the disk before
            // it takes its own, so a start that is cut short, even by a power
            // cut, never leaves an empty or half file that would then count
            // as the user's.
            fs::path partial = target;
            partial += ".yarrow-copying";
            std::error_code copyError;
            if (fs::create_directories(target.parent_path(), copyError)) {
                // The new folders' own entries reach the disk too, or the
                // files listed as given could vanish with them.
                fs::path holder = folder;
                for (const fs::path& part : fs::path(relative).parent_path()) {
                    if (const int synced = SyncFolder(holder.string())) {
                        copyError = std::error_code(synced, std::generic_category());
                        break;
                    }
                    holder /= part;
                }
            }
            if (!copyError) {
                const std::string from = it->path().string();
                if (const int copied =
                        ReplaceFileDurably(target.string(), partial.string(),
                                           [&from](int fd) { return CopyFileInto(from, fd); }))
                    copyError = std::error_code(copied, std::generic_category());
            }
            if (copyError) {
                if (error.empty())
                    error =
                        "cannot copy " + relative + " into " + folder + ": " + copyError.message();
                continue;
            }
        }
        listed.insert(relative);
        listChanged = true;
    }
    if (ec && error.empty())
        error = "cannot read " + source + ": " + ec.message();
    if (listChanged) {
        std::string text;
        for (const std::string& name : listed)
            text += name + '\n';
        // A full disk leaves the new list short; the old one then stays, or
        // the files the user deleted would come back next time.
        if (const int written =
                ReplaceFileDurably(listPath, listPath + ".partial",
                                   [&text](int fd) { return WriteAllBytes(fd, text); });
            written != 0 && error.empty())
            error = "cannot write " + listPath + ": " +
                    std::error_code(written, std::generic_category()).message();
    }
    return error;
}

std::string DataFilePath(const ProgramFolders& folders, const std::string& name) {
    const std::string own = folders.programFolder + name;
    if (FileExists(own))
        return own;
    // The folder a new program folder is filled from: the installed data, or
    // a build's or a portable copy's own folder.
    for (const std::string& data : {folders.installedData, folders.fillFrom}) {
        if (!data.empty() && FileExists(data + name))
            return data + name;
    }
    return own;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

std::string LastErrorText() {
    return LastErrorText(errno);
}

std::string LastErrorText(int error) {
    char buffer[512];
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    // The system's texts are UTF-8 (or plain ASCII in the C locale).
    return Utf8ToCp932(text ? text : "").text;
}

std::uint32_t ParseHexColor(std::string_view text) {
    std::string digits = RemoveAll(RemoveAll(std::string(text), "0x"), "0X");
    std::uint32_t value = 0;
    for (char c : digits) {
        std::uint32_t d;
        if (c >= '0' && c <= '9') {
            d = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            d = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return 0;
        }
        value = value * 16u + d;
    }
    return value;
}

}  // namespace yarrow
