#pragma once
// The chat window as its features see it, for tests: a session port and a log
// sink that record every send and every line, and window timers that keep
// what runs. One set for every area's tests.

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "net/CMsg.h"
#include "net/DispatchTargets.h"
#include "net/ISessionPort.h"
#include "platform/IWindowTimers.h"

namespace yarrow::test {

// One sent record or one log line: name, text, colour and type.
struct SentLine {
    std::string name;
    std::string text;
    std::int32_t color = 0;
    std::int32_t type = 0;
    bool operator==(const SentLine&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const SentLine& l) {
    return os << "{" << l.name << ", " << l.text << ", " << l.color << ", " << l.type << "}";
}

class FakeSession final : public ISessionPort, public IChatLogTarget {
  public:
    bool IsConnected() const override { return connected; }
    std::int32_t MyID() const override { return myId; }
    std::string MyName() const override { return myName; }
    std::int32_t MyColor() const override { return myColor; }
    std::string SpeakerName() const override { return speaker.empty() ? myName : speaker; }

    bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                  std::int32_t type) override {
        chats.push_back({name, text, color, type});
        return connected;
    }
    // Goes out as a record with ID, text and type, as the real session does.
    bool SendText(const std::string& text, std::int32_t type) override {
        texts.push_back({{}, text, 0, type});
        CMsg msg;
        msg.ID = myId;
        msg.Text = text;
        msg.Type = type;
        return DoSerialize(msg);
    }
    bool DoSerialize(const CMsg& msg) override {
        if (!connected)
            return false;
        records.push_back(msg);
        if (relay)
            relay(msg);
        return true;
    }

    void AppendChatLine(const std::string& name, const std::string& text, std::int32_t color,
                        std::int32_t type) override {
        lines.push_back({name, text, color, type});
    }
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }
    void CloseTextLog() override {}

    bool connected = true;
    std::int32_t myId = 1;
    std::string myName = "GM";
    std::string speaker;  // empty: the handle name
    std::int32_t myColor = 0x112233;
    // Receives what goes to the hub (SendText while connected, DoSerialize).
    std::function<void(const CMsg&)> relay;

    std::vector<SentLine> chats;  // SendChat
    std::vector<SentLine> texts;  // SendText (no name, no colour)
    std::vector<CMsg> records;    // what went to the hub (DoSerialize, SendText)
    std::vector<SentLine> lines;  // AppendChatLine
    std::vector<std::string> notices;
};

// Window timers as the view keeps them: running ones with their period.
class FakeTimers : public IWindowTimers {
  public:
    bool StartTimer(int id, int periodMs) override {
        running[id] = periodMs;
        return true;
    }
    void KillTimer(int id) override { running.erase(id); }
    bool IsRunning(int id) const { return running.count(id) != 0; }
    int Period(int id) const { return running.count(id) ? running.at(id) : -1; }
    std::map<int, int> running;
};

}  // namespace yarrow::test
