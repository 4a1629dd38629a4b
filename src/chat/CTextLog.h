#pragma once
// An append-only log file that stays open while it runs: the plain-text chat
// log and the trace log. Every write goes straight to the operating system, so
// a killed program loses nothing that was appended.

#include <string>
#include <string_view>

namespace yarrow {

class CTextLog {
  public:
    CTextLog() = default;
    ~CTextLog();
    CTextLog(const CTextLog&) = delete;
    CTextLog& operator=(const CTextLog&) = delete;

    // Creates (truncating) the file and keeps it open; closes an open one
    // first. On failure the log stays closed and `error` gets the system text.
    bool Open(const std::string& path, std::string* error = nullptr);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    // Appends the bytes as they are. Write errors are not reported.
    void Write(std::string_view bytes);

  private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace yarrow
