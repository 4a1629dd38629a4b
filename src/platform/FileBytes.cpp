#include "platform/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace yarrow {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr)
            std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

FileWrite WriteFileBytes(const std::string& path, std::string_view bytes) {
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return {false, errno != 0 ? errno : EIO};
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const int writeError = errno;
    errno = 0;
    const bool closed = std::fclose(file.release()) == 0;
    if (written && closed)
        return {};
    const int error = !written ? writeError : errno;
    return {true, error != 0 ? error : EIO};
}

FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    FileBytes result;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        result.status = FileBytes::Status::CannotOpen;
        result.error = errno != 0 ? errno : EIO;
        return result;
    }
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        // A regular file known to be over the limit is refused before
        // anything is read (a folder's end offset says nothing of its size);
        // the loop below still bounds a pipe or a file that grows meanwhile.
        std::error_code error;
        if (size > 0 && static_cast<unsigned long>(size) > maxBytes &&
            std::filesystem::is_regular_file(path, error)) {
            result.status = FileBytes::Status::TooLarge;
            return result;
        }
        if (size > 0 && static_cast<unsigned long>(size) <= maxBytes)
            result.bytes.reserve(static_cast<std::size_t>(size));
        std::rewind(file.get());
    }
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        result.bytes.append(buffer, got);
        if (result.bytes.size() > maxBytes) {
            result.status = FileBytes::Status::TooLarge;
            result.bytes.clear();
            return result;
        }
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(file.get())) {
        result.status = FileBytes::Status::ReadError;
        result.error = errno != 0 ? errno : EIO;
        result.bytes.clear();
    }
    return result;
}

}  // namespace yarrow
