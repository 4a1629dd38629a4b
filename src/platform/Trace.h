#pragma once
// The diagnostic trace. Off until something installs a sink (the trace log
// file behind the debug code "trc_on"); the hub and the connections write one
// line at the entry of each operation.

#include <functional>
#include <string_view>

namespace yarrow {

using TraceSink = std::function<void(std::string_view bytes)>;

// Installs (or, with an empty function, removes) the one process-wide sink.
// Any thread may trace; the sink is called by one thread at a time, and once
// this returns, the sink it replaced is not running and is never called again.
void SetTraceSink(TraceSink sink);
bool TraceEnabled();

// printf-style; formats and hands the bytes to the sink when one is installed.
void Trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace yarrow
