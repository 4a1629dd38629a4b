#include "platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace yarrow {
namespace {
TraceSink& Sink() {
    static TraceSink sink;
    return sink;
}
}  // namespace

void SetTraceSink(TraceSink sink) {
    Sink() = std::move(sink);
}

bool TraceEnabled() {
    return static_cast<bool>(Sink());
}

void Trace(const char* format, ...) {
    if (!Sink())
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
        Sink()(text);
    }
    va_end(args);
}

}  // namespace yarrow
