#pragma once
// Recording stand-ins for the chat view, its window timers and the debug
// host, shared by the speaking tests.

#include <map>
#include <string>
#include <vector>

#include "chat/CCountdown.h"
#include "chat/CDebugCodes.h"
#include "chat/InputRules.h"
#include "net/CMsg.h"

namespace yarrow::test {

struct SentChat {
    std::string name, text;
    std::int32_t color, type;
};
struct SentText {
    std::string text;
    std::int32_t type;
};

class FakeChatView : public IChatViewPort {
  public:
    bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                  std::int32_t type) override {
        chats.push_back({name, text, color, type});
        return connected;
    }
    bool SendText(const std::string& text, std::int32_t type) override {
        texts.push_back({text, type});
        return connected;
    }
    bool DoSerialize(CMsg& msg) override {
        records.push_back(msg);
        return connected;
    }
    void AppendChatLine(const std::string& name, const std::string& text, std::int32_t color,
                        std::int32_t type) override {
        chatLines.push_back({name, text, color, type});
    }
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }
    bool IsConnected() const override { return connected; }
    std::int32_t MyID() const override { return myId; }
    std::string MyName() const override { return myName; }
    std::int32_t MyColor() const override { return myColor; }
    std::string SpeakerName() override { return speaker.empty() ? myName : speaker; }

    bool connected = true;
    std::int32_t myId = 1;
    std::string myName = "GM";
    std::string speaker;
    std::int32_t myColor = 0x112233;
    std::vector<SentChat> chats;
    std::vector<SentText> texts;
    std::vector<CMsg> records;
    std::vector<SentChat> chatLines;
    std::vector<std::string> notices;
};

// Window timers as Windows keeps them: running ones with their period.
class FakeTimers : public IWindowTimers {
  public:
    bool StartTimer(int id, int periodMs) override {
        running[id] = periodMs;
        return startSucceeds;
    }
    void KillTimer(int id) override { running.erase(id); }
    bool IsRunning(int id) const { return running.count(id) != 0; }
    int Period(int id) const { return running.count(id) ? running.at(id) : -1; }

    std::map<int, int> running;
    bool startSucceeds = true;
};

class FakeDebugHost : public IDebugHost {
  public:
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }
    std::string LogColorTable() const override { return colorTable; }
    std::string LogControlRtf() const override { return rtf; }
    std::vector<MapFigures> MapStatistics() const override { return maps; }
    bool IsHosting() const override { return hosting; }
    std::vector<CMember> HubMembers() const override { return hubMembers; }
    void RebuildMemberView(const std::vector<CMember>& members) override {
        rebuilt = members;
        ++rebuilds;
    }
    bool OpenTraceLog() override { return traceOpen = true; }
    bool IsTraceLogOpen() const override { return traceOpen; }
    void CloseTraceLog() override { traceOpen = false; }

    std::vector<std::string> notices;
    std::string colorTable = "{\\colortbl;}";
    std::string rtf;
    std::vector<MapFigures> maps;
    bool hosting = false;
    std::vector<CMember> hubMembers;
    std::vector<CMember> rebuilt;
    int rebuilds = 0;
    bool traceOpen = false;
};

}  // namespace yarrow::test
