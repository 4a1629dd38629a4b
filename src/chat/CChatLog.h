#pragma once
// The chat log as the chat view owns it: turns notices and chat lines into RTF
// documents for the log control, writes the plain-text log, feeds the hub's
// past log, and saves snapshots of the whole log. The only two ways into the
// log are AppendNoticeLine and AppendChatLine; it is the IChatLogTarget every
// feature writes to.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "chat/CColorTable.h"
#include "chat/CTextLog.h"
#include "chat/LogFiles.h"
#include "net/DispatchTargets.h"

namespace yarrow {

class IClock;
class ILogControl;

class CChatLog final : public IChatLogTarget {
  public:
    // `programFolder` ends in "/". The clock names the log files.
    CChatLog(ILogControl* control, const IClock& clock, std::string programFolder);

    void SetLogControl(ILogControl* control) { control_ = control; }
    ILogControl* LogControl() const { return control_; }

    // Settings the view loads (ForeGroundColor, CharSize).
    void SetTextColor(std::uint32_t rgb) { textColor_ = rgb; }
    std::uint32_t TextColor() const { return textColor_; }
    void SetCharSize(int charSize);
    int DefaultChatSize() const { return defaultChatSize_; }

    // Debug switch: names in colour 0 instead of their own colour.
    void SetColorOff(bool off) { colorOff_ = off; }
    bool ColorOff() const { return colorOff_; }

    // Scroll lock: appending keeps the view where it is.
    void SetScrollLock(bool on) { scrollLock_ = on; }
    bool ScrollLock() const { return scrollLock_; }

    // Fixed for this platform family: no extra paragraph, "\viewkind" marks
    // where the colour table goes in a streamed-out log.
    bool ExtraParagraph() const { return false; }
    static constexpr std::string_view RtfMarker() { return "\\viewkind"; }

    // Where the log folder comes from (read on each use); empty by default.
    void SetLogFolderSource(std::function<std::string()> source) { logFolder_ = std::move(source); }

    CColorTable& Colors() { return colors_; }
    int ColorIndex(std::uint32_t rgb) { return colors_.ColorIndex(rgb); }
    const std::string& LogColorTable() const { return colors_.LogColorTable(); }
    void ResetColorTable() { colors_.ResetColorTable(); }

    // A program notice: "<b>"/"</b>" bold, "<CR>" a line break.
    void AppendNoticeLine(const std::string& text) override;
    // A chat line laid out by message type; an empty text does nothing.
    void AppendChatLine(const std::string& name, const std::string& text, std::int32_t nameColor,
                        std::int32_t type) override;
    void CloseTextLog() override { StopTextLog(); }

    // The documents the two appends build, without appending anything (the
    // colour table still grows for new colours).
    std::string NoticeDocument(std::string_view text);
    std::string ChatDocument(std::string_view name, std::string_view text, std::uint32_t nameColor,
                             std::int32_t type);

    // The plain-text log. Starting closes a running one first. On failure no
    // log runs and the result carries the message for the user. Only a
    // connected window starts it; the caller checks that.
    LogFileResult StartTextLog();
    void StopTextLog() { textLog_.Close(); }
    bool TextLogRunning() const { return textLog_.IsOpen(); }
    const std::string& TextLogPath() const { return textLog_.Path(); }

    // Snapshots of the whole log control into the log folder.
    LogFileResult SaveLogRtf();
    LogFileResult SaveLogText();

    // What the log asks before clearing, and the clearing itself (after Yes):
    // empties the control and resets the colour table; the text log and the
    // hub's past log stay as they are.
    static std::string ClearLogQuestion();
    void ClearLog();

    // The streamed-out RTF with its colour table replaced by LogColorTable,
    // colour references renumbered to match.
    std::string FixUpColorTable(const std::string& streamedRtf);

  private:
    void Insert(const std::string& document);
    std::string SnapshotName(std::string_view extension, std::string* fullPath) const;
    LogFileResult WriteSnapshot(std::string_view extension, const std::string& bytes);

    ILogControl* control_;
    const IClock& clock_;
    std::string programFolder_;
    CColorTable colors_;
    std::uint32_t textColor_ = 0;
    int defaultChatSize_ = 24;
    bool colorOff_ = false;
    bool scrollLock_ = false;
    CTextLog textLog_;
    std::function<std::string()> logFolder_;
};

}  // namespace yarrow
