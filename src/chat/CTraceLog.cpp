#include "chat/CTraceLog.h"

#include "chat/LogFiles.h"
#include "platform/IClock.h"
#include "platform/Trace.h"

namespace yarrow {

CTraceLog::CTraceLog(const IClock& clock, std::string programFolder)
    : clock_(clock), programFolder_(std::move(programFolder)) {}

CTraceLog::~CTraceLog() {
    // A destroyed log must not stay installed as the process-wide sink.
    if (on_)
        SetTraceSink({});
}

bool CTraceLog::Open() {
    if (on_)
        SetTraceSink({});  // the hub's thread may be writing through the sink
    OpenFile();
    on_ = true;
    SetTraceSink([this](std::string_view bytes) { Write(bytes); });
    return file_.IsOpen();
}

void CTraceLog::Close() {
    // Uninstalled first: the hub's thread may be writing through the sink.
    if (on_)
        SetTraceSink({});
    on_ = false;
    file_.Close();
}

void CTraceLog::OpenFile() {
    if (file_.IsOpen())
        return;
    // The trace log lies in the program folder, named after its first line.
    std::string path;
    FreeTimeStampedName(programFolder_, "", clock_.Now(), ".log", &path);
    file_.Open(path);
}

void CTraceLog::Write(std::string_view bytes) {
    if (!on_)
        return;
    OpenFile();
    file_.Write(bytes);  // dropped when the file could not be created
}

}  // namespace yarrow
