#pragma once
// The hidden debug input (Ctrl+Shift+Alt+D, then a code and Enter) and the
// three debug switches it controls. The codes print notices into the chat log
// and poke at the log, the trace file, the maps and the member list.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

// Figures of one map for "output_map".
struct MapFigures {
    int number = 0;
    int units = 0;
    int tiles = 0;
};

class CChatLog;
class CTraceLog;

class CDebugCodes {
  public:
    enum Switch : unsigned {
        kNamesInColorZero = 1u << 0,
        kCommandTrace = 1u << 1,
        kScrollTrace = 1u << 2,
        kAllSwitches = kNamesInColorZero | kCommandTrace | kScrollTrace,
    };

    // What the codes read and change beyond the chat log and the trace log;
    // a missing hook reads as nothing.
    struct Hooks {
        std::function<std::vector<MapFigures>()> mapFigures;
        // The members of the hub this window runs; nothing when not hosting.
        std::function<std::optional<std::vector<CMember>>()> hubMembers;
        // Shows those members in the member list pane.
        std::function<void(const std::vector<CMember>&)> showMembers;
    };

    CDebugCodes(CChatLog& log, CTraceLog& trace, Hooks hooks = {})
        : log_(log), trace_(trace), hooks_(std::move(hooks)) {}

    // Command 32778: the next Enter takes a code. Prints "DebugMode ON. Put code.".
    void BeginDebugInput(bool& debugInputFlag);

    // Runs one code; false (and "[Invalid code]") when it is not one. Bit 0
    // takes effect in the chat log at once.
    bool Run(std::string_view code);

    unsigned Switches() const { return switches_; }
    bool IsOn(Switch s) const { return (switches_ & s) != 0; }

    // "Cmd:%s Code:%d" for a command that reaches the view, when the command
    // trace is on and the id is above 0x7FFF; empty otherwise.
    std::string CommandTraceText(int commandId, int notifyCode) const;
    // Short name of a command for that trace ("Connect", "ChgDice", ... or the
    // decimal id).
    static std::string CommandShortName(int commandId);

    // Scroll trace texts: the main window title and status pane 0.
    static std::string ScrollTitleText(int thumbPosition, int scrollCode);
    static std::string ScrollStatusText(int position, int caretX, int caretY);

    // The colour-table group inside an RTF text: from "\colortbl;" back to the
    // preceding "{" up to the next "}". Empty when there is none.
    static std::string FindColorTableGroup(std::string_view rtf);

  private:
    CChatLog& log_;
    CTraceLog& trace_;
    Hooks hooks_;
    unsigned switches_ = 0;
};

}  // namespace yarrow
