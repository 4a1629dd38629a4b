#pragma once
// The diagnostic trace log: off until the debug code "trc_on", then every
// Trace() output goes to ProgramFolder + "YYYY_MM_DD_hh_mm_ss.log", named
// after the moment tracing was switched on.

#include <string>
#include <string_view>

#include "chat/CTextLog.h"

namespace yarrow {

class IClock;

class CTraceLog {
  public:
    CTraceLog(const IClock& clock, std::string programFolder);
    ~CTraceLog();  // closes the file and removes the trace sink
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // Switches tracing on and creates the file now if none is open; true when
    // the file is open afterwards. The caller traces its own first line.
    bool Open();
    // Closes the file and switches tracing off, tracing nothing.
    void Close();

    bool IsOn() const { return on_; }
    bool FileOpen() const { return file_.IsOpen(); }
    const std::string& FilePath() const { return file_.Path(); }

    // The sink body: opens the file on first use; drops output when it cannot.
    void Write(std::string_view bytes);

  private:
    void OpenFile();

    const IClock& clock_;
    std::string programFolder_;
    bool on_ = false;
    CTextLog file_;
};

}  // namespace yarrow
