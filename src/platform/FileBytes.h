#pragma once
// Whole files in and out, for the program's own formats (charts, maps,
// snapshots). A save reports every failure, a full disk included, so that a
// file that was not written never passes for saved; a read stops one chunk
// past its limit, so neither a huge file nor an endless device is read whole.

#include <cstddef>
#include <string>
#include <string_view>

namespace yarrow {

// Error numbers are the system's, EIO when it gave none.
struct FileWrite {
    bool opened = true;  // false: the file could not be created at all
    int error = 0;       // 0: every byte reached the file and it closed cleanly
    bool Written() const { return error == 0; }
};

// Replaces the file with `bytes`.
FileWrite WriteFileBytes(const std::string& path, std::string_view bytes);

struct FileBytes {
    enum class Status { Read, CannotOpen, TooLarge, ReadError };
    Status status = Status::Read;
    int error = 0;  // the error number for CannotOpen and ReadError
    std::string bytes;
};

FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes);

}  // namespace yarrow
