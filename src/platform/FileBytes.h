#pragma once
// Whole files in and out, for the program's own formats (charts, maps,
// snapshots). A save reports every failure, a full disk included, so that a
// file that was not written never passes for saved; a read stops one chunk
// past its limit, so neither a huge file nor an endless device is read whole.
// Files that must survive a power cut whole (settings, the program folder's
// data, and the charts and maps the user saves, through SaveFileBytes) are
// replaced through ReplaceFileDurably.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace yarrow {

// Error numbers are the system's, EIO when it gave none.
struct FileWrite {
    bool opened = true;  // false: the file could not be created at all
    int error = 0;       // 0: every byte reached the file and it closed cleanly
    bool Written() const { return error == 0; }
};

// Replaces the file with `bytes`, writing into it in place.
FileWrite WriteFileBytes(const std::string& path, std::string_view bytes);

// Saves a document the user chose (a chart, a map): an ordinary file, or a
// new one, is written beside it and renamed over it (ReplaceFileDurably),
// keeping its permissions and owner, so a full disk or a crash halfway leaves
// the earlier document whole. A link, a device, a pipe or a file with other
// names is written through as it is, since renaming over it would replace the
// name rather than what it stands for; so is a file whose folder takes no new
// file or whose owner a new file could not keep. `opened` is false when
// neither a new file nor the file itself could be opened.
FileWrite SaveFileBytes(const std::string& path, std::string_view bytes);

struct FileBytes {
    enum class Status { Read, CannotOpen, TooLarge, ReadError };
    Status status = Status::Read;
    int error = 0;  // the error number for CannotOpen and ReadError
    std::string bytes;
};

FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes);

// Replaces `path` so that neither a crash nor a power cut leaves half a file
// there: `write` fills a new file at `temporary` (beside `path`; whatever had
// that name goes first, so a link or pipe left there is never written
// through), the file reaches the disk before it is renamed over `path`, and
// the folder's new entry reaches it after. `write` gets the new file's
// descriptor and returns 0 or an error number. Returns 0, or the system's
// error number (EIO when it gave none). After a failure `temporary` is gone;
// `path` is as it was unless only the flush of the folder failed, in which
// case it holds the whole new file but may not keep it through a power cut.
int ReplaceFileDurably(const std::string& path, const std::string& temporary,
                       const std::function<int(int fd)>& write);

// Writes all of `bytes` to `fd`: 0, or the error number that stopped it.
int WriteAllBytes(int fd, std::string_view bytes);

// Makes the entries of `folder` (files added, renamed or removed in it) reach
// the disk: 0, or the error number. A file system that cannot flush a folder
// at all counts as done.
int SyncFolder(const std::string& folder);

// For tests: flushing a file, or a folder, to the disk fails with the error
// given; 0 makes it work again.
void FailSyncForTest(int fileError, int folderError);

}  // namespace yarrow
