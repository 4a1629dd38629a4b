#include "chat/CTextLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ProgramFolder.h"

namespace yarrow {

CTextLog::~CTextLog() {
    Close();
}

bool CTextLog::Open(const std::string& path, std::string* error) {
    Close();
    // A log is always a new file; an existing one is never truncated.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error)
            *error = LastErrorText(errno);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void CTextLog::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_.clear();
}

void CTextLog::Write(std::string_view bytes) {
    // An unbuffered write: once it returns, the bytes belong to the operating
    // system and survive the program being killed.
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace yarrow
