#include "chat/CTraceLog.h"

#include "chat/LogFiles.h"
#include "platform/IClock.h"
#include "platform/Trace.h"

namespace yarrow {

CTraceLog::CTraceLog(const IClock& clock, std::string programFolder)
    : clock_(clock), programFolder_(std::move(programFolder)) {}

CTraceLog::~CTraceLog() {
    if (on_)
        SetTraceSink({});
}

void CTraceLog::TraceOn() {
    on_ = true;
    SetTraceSink([this](std::string_view bytes) { Write(bytes); });
    Trace("[TraceLog ON]\r\n");
}

bool CTraceLog::TraceOff() {
    const bool wasOpen = file_.IsOpen();
    if (wasOpen)
        Trace("[TraceLog OFF]\r\n");
    file_.Close();
    if (on_)
        SetTraceSink({});
    on_ = false;
    return wasOpen;
}

void CTraceLog::Write(std::string_view bytes) {
    if (!on_)
        return;
    if (!file_.IsOpen()) {
        // The trace log lies in the program folder, named after its first line.
        const std::string path = programFolder_ + TimeStampedName("", clock_.Now(), ".log");
        if (!file_.Open(path))
            return;
    }
    file_.Write(bytes);
}

}  // namespace yarrow
