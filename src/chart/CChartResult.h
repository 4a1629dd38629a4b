#pragma once
// What a chart operation tells its caller: whether the chart changed and, when
// the user must be told something, the message box text and caption. The core
// never shows anything; the window turns a message into a message box.

#include <string>

namespace yarrow {

struct CChartResult {
    bool changed = false;  // the chart now differs from before the call
    std::string message;   // code page 932; empty: nothing to tell
    std::string caption;   // the message box caption
    bool warning = false;  // exclamation icon instead of the error icon

    bool HasMessage() const { return !message.empty(); }
};

}  // namespace yarrow
