#include "chat/CDebugCodes.h"

#include <cstdio>

#include "chat/CChatLog.h"
#include "chat/CTraceLog.h"
#include "platform/ILogControl.h"
#include "platform/Trace.h"

namespace yarrow {

namespace {

std::string Format(const char* format, int a, int b) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

}  // namespace

void CDebugCodes::BeginDebugInput(bool& debugInputFlag) {
    debugInputFlag = true;
    log_.AppendNoticeLine("DebugMode ON. Put code.");
}

bool CDebugCodes::Run(std::string_view code) {
    struct SwitchCode {
        std::string_view code;
        unsigned set;
        unsigned clear;
        const char* notice;
    };
    static constexpr SwitchCode kSwitchCodes[] = {
        {"color_off", kNamesInColorZero, 0, "[Color OFF]"},
        {"color_on", 0, kNamesInColorZero, "[Color ON]"},
        {"all_on", kAllSwitches, 0, "[All Debug SW ON]"},
        {"all_off", 0, kAllSwitches, "[All Debug SW OFF]"},
        {"cmd_on", kCommandTrace, 0, "[Cmd ON]"},
        {"cmd_off", 0, kCommandTrace, "[Cmd OFF]"},
        {"scrl_on", kScrollTrace, 0, "[Scrl ON]"},
        {"scrl_off", 0, kScrollTrace, "[Scrl OFF]"},
    };
    for (const auto& entry : kSwitchCodes) {
        if (code == entry.code) {
            switches_ = (switches_ | entry.set) & ~entry.clear;
            log_.SetColorOff(IsOn(kNamesInColorZero));
            log_.AppendNoticeLine(entry.notice);
            return true;
        }
    }

    if (code == "output_ctbl") {
        const std::string rtf = log_.LogControl() ? log_.LogControl()->StreamOutRtf() : "";
        log_.AppendNoticeLine("Ctbl0:" + log_.LogColorTable() +
                              "<CR>Ctbl1:" + FindColorTableGroup(rtf));
        return true;
    }
    if (code == "output_map") {
        // One line per map: every map's figures reach the log, not only the
        // last one's.
        std::string text;
        const std::vector<MapFigures> maps =
            hooks_.mapFigures ? hooks_.mapFigures() : std::vector<MapFigures>{};
        for (const MapFigures& map : maps) {
            char line[96];
            std::snprintf(line, sizeof line, "Map[%d] Unit:%d Tile:%d", map.number, map.units,
                          map.tiles);
            if (!text.empty())
                text += "<CR>";
            text += line;
        }
        if (!text.empty())
            log_.AppendNoticeLine(text);
        return true;
    }
    const auto hubMembers = code == "chk_mbr" && hooks_.hubMembers
                                ? hooks_.hubMembers()
                                : std::optional<std::vector<CMember>>();
    if (hubMembers) {
        const std::vector<CMember>& members = *hubMembers;
        if (hooks_.showMembers)
            hooks_.showMembers(members);
        std::string text = "[Update Member]<CR>";
        for (const CMember& member : members) {
            char id[32];
            std::snprintf(id, sizeof id, "(ID:%d)<CR>", member.MemberID);
            text += member.MemberName + id;
        }
        log_.AppendNoticeLine(text);
        return true;
    }
    if (code == "trc_on") {
        trace_.Open();
        Trace("[TraceLog ON]\r\n");
        log_.AppendNoticeLine("[TraceLog ON]");
        return true;
    }
    if (code == "trc_off") {
        if (!trace_.FileOpen()) {
            log_.AppendNoticeLine("[TraceLog already OFF]");
            return true;
        }
        Trace("[TraceLog OFF]\r\n");
        trace_.Close();
        log_.AppendNoticeLine("[TraceLog OFF]");
        return true;
    }
    log_.AppendNoticeLine("[Invalid code]");
    return false;
}

std::string CDebugCodes::CommandTraceText(int commandId, int notifyCode) const {
    if (!IsOn(kCommandTrace) || commandId <= 0x7FFF)
        return {};
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "Cmd:%s Code:%d", CommandShortName(commandId).c_str(),
                  notifyCode);
    return buffer;
}

std::string CDebugCodes::CommandShortName(int commandId) {
    struct Name {
        int id;
        const char* name;
    };
    static constexpr Name kNames[] = {
        {32772, "Connect"},   {32773, "DisCnct"},   {32774, "ChangeHN"}, {32775, "Chart"},
        {32776, "Option"},    {32778, "Debug"},     {32779, "ScrlLock"}, {32780, "ChgDice"},
        {32781, "TopMost"},   {32782, "PlsWait"},   {32783, "UseMap"},   {32784, "MapReset"},
        {32785, "MapDelete"}, {32786, "MapUpdate"}, {32787, "MapSlide"}, {32821, "TileFill"},
    };
    for (const auto& entry : kNames) {
        if (entry.id == commandId)
            return entry.name;
    }
    return std::to_string(commandId);
}

std::string CDebugCodes::ScrollTitleText(int thumbPosition, int scrollCode) {
    return Format("Yarrow - (%d,%d)", thumbPosition, scrollCode);
}

std::string CDebugCodes::ScrollStatusText(int position, int caretX, int caretY) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "Pos:%d Caret(%d,%d)", position, caretX, caretY);
    return buffer;
}

std::string CDebugCodes::FindColorTableGroup(std::string_view rtf) {
    const auto table = rtf.find("\\colortbl;");
    if (table == std::string_view::npos)
        return {};
    const auto open = rtf.rfind('{', table);
    const auto close = rtf.find('}', table);
    if (open == std::string_view::npos || close == std::string_view::npos)
        return {};
    return std::string(rtf.substr(open, close - open + 1));
}

}  // namespace yarrow
