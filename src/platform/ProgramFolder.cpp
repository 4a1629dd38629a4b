#include "platform/ProgramFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Cp932.h"

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

}  // namespace

std::string ProgramFolder() {
    const char* home = std::getenv("YARROW_HOME");
    if (home && *home)
        return WithSlash(home);
    std::string exe(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= exe.size())
        return "./";
    exe.resize(static_cast<std::size_t>(n));
    std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? "./" : exe.substr(0, slash + 1);
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
