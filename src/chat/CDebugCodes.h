#pragma once
// The hidden debug input (Ctrl+Shift+Alt+D, then a code and Enter) and the
// three debug switches it controls. The codes only ever print notices and poke
// at the log, the maps, the member list and the trace file through IDebugHost.

#include <cstdint>
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

class IDebugHost {
  public:
    virtual ~IDebugHost() = default;
    virtual void AppendNoticeLine(const std::string& text) = 0;
    // The log's colour table as the program keeps it, and the log control's
    // own RTF (streamed out).
    virtual std::string LogColorTable() const = 0;
    virtual std::string LogControlRtf() const = 0;
    virtual std::vector<MapFigures> MapStatistics() const = 0;
    // Hosting: this window owns a serving hub.
    virtual bool IsHosting() const = 0;
    virtual std::vector<CMember> HubMembers() const = 0;
    virtual void RebuildMemberView(const std::vector<CMember>& members) = 0;
    // The trace log file: open (true when it is open afterwards), close.
    virtual bool OpenTraceLog() = 0;
    virtual bool IsTraceLogOpen() const = 0;
    virtual void CloseTraceLog() = 0;
};

class CDebugCodes {
  public:
    enum Switch : unsigned {
        kNamesInColorZero = 1u << 0,
        kCommandTrace = 1u << 1,
        kScrollTrace = 1u << 2,
        kAllSwitches = kNamesInColorZero | kCommandTrace | kScrollTrace,
    };

    explicit CDebugCodes(IDebugHost& host) : host_(host) {}

    // Command 32778: the next Enter takes a code. Prints "DebugMode ON. Put code.".
    void BeginDebugInput(bool& debugInputFlag);

    // Runs one code; false (and "[Invalid code]") when it is not one.
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
    IDebugHost& host_;
    unsigned switches_ = 0;
};

}  // namespace yarrow
