#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

int failFileSyncForTest = 0;
int failFolderSyncForTest = 0;

int SyncFile(int fd) {
    if (failFileSyncForTest != 0)
        return failFileSyncForTest;
    return ::fsync(fd) == 0 ? 0 : (errno != 0 ? errno : EIO);
}

}  // namespace

int WriteAllBytes(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 && errno != 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int SyncFolder(const std::string& folder) {
    if (failFolderSyncForTest != 0)
        return failFolderSyncForTest;
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno != 0 ? errno : EIO;
    int error = ::fsync(fd) == 0 ? 0 : (errno != 0 ? errno : EIO);
    ::close(fd);
    // Some network file systems cannot flush a folder; there is nothing
    // more to be done for its entries then.
    if (error == EINVAL)
        error = 0;
    return error;
}

int ReplaceFileDurably(const std::string& path, const std::string& temporary,
                       const std::function<int(int fd)>& write) {
    // What a crashed save left under the temporary name goes first; the new
    // file is then made afresh, never opened through a link or a pipe.
    if (::unlink(temporary.c_str()) != 0 && errno != ENOENT)
        return errno != 0 ? errno : EIO;
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno != 0 ? errno : EIO;
    int error = write(fd);
    // Renamed before its bytes reach the disk, the file could be found empty
    // or short after a power cut, under the name of a complete one.
    if (error == 0)
        error = SyncFile(fd);
    if (::close(fd) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno != 0 ? errno : EIO;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    return SyncFolder(std::filesystem::path(path).parent_path().string());
}

void FailSyncForTest(int fileError, int folderError) {
    failFileSyncForTest = fileError;
    failFolderSyncForTest = folderError;
}

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

FileWrite SaveFileBytes(const std::string& path, std::string_view bytes) {
    struct stat old {};
    const bool exists = ::lstat(path.c_str(), &old) == 0;
    // Renaming over a link, a device or a pipe would replace the name, not
    // what it stands for; a file with other names (hard links) would keep the
    // earlier document under those.
    if (exists && (!S_ISREG(old.st_mode) || old.st_nlink > 1))
        return WriteFileBytes(path, bytes);
    bool made = false;
    bool ownerKept = true;
    const int error =
        ReplaceFileDurably(path, path + ".tmp" + std::to_string(::getpid()), [&](int fd) {
            made = true;
            if (!exists)
                return WriteAllBytes(fd, bytes);
            // The new file must belong to whom the old one did: another
            // member of a shared file's group could otherwise lose it.
            struct stat fresh {};
            if (::fstat(fd, &fresh) != 0 ||
                ((fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid) &&
                 ::fchown(fd, old.st_uid, old.st_gid) != 0)) {
                ownerKept = false;
                return EPERM;
            }
            ::fchmod(fd, old.st_mode & 07777);
            return WriteAllBytes(fd, bytes);
        });
    // A folder that takes no new file (not the user's, or a name too long for
    // the temporary one), or an owner that cannot be kept: the file is written
    // in place, as a document the user may change but not replace. A full
    // disk is not among these: writing in place would cut the earlier
    // document short.
    if (!ownerKept || (!made && (error == EACCES || error == EPERM || error == ENAMETOOLONG)))
        return WriteFileBytes(path, bytes);
    return {made, error};
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
