#include "platform/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace yarrow {
namespace {
// The hub's thread traces beside the window's: the sink is swapped and called
// under one lock, and a flag spares untraced work the lock.
std::mutex g_sinkMutex;
TraceSink g_sink;
std::atomic<bool> g_enabled{false};
}  // namespace

void SetTraceSink(TraceSink sink) {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_sink = std::move(sink);
    g_enabled.store(static_cast<bool>(g_sink), std::memory_order_relaxed);
}

bool TraceEnabled() {
    return g_enabled.load(std::memory_order_relaxed);
}

void Trace(const char* format, ...) {
    if (!TraceEnabled())
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n > 0) {
        std::string text(static_cast<size_t>(n), '\0');
        std::vsnprintf(text.data(), text.size() + 1, format, args);
        std::lock_guard<std::mutex> lock(g_sinkMutex);
        if (g_sink)
            g_sink(text);
    }
    va_end(args);
}

}  // namespace yarrow
