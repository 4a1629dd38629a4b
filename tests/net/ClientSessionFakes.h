#pragma once
// Recording fakes for the chat window's connection and dispatcher tests.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "net/CClientSession.h"
#include "net/CDispatcher.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "support/FixedClock.h"
#include "support/ScriptedPrompter.h"

namespace yarrow::testing {

using test::FixedClock;
using test::Prompt;
using test::ScriptedPrompter;

class FakeTransport final : public IChatTransport {
  public:
    ConnectResult Connect(const std::string& address, int port) override {
        connects.push_back(address + ":" + std::to_string(port));
        ConnectResult result;
        result.status = ConnectStatus::Connected;
        if (!results.empty()) {
            result = results.front();
            results.pop_front();
        }
        open = result.status == ConnectStatus::Connected;
        return result;
    }
    bool IsOpen() const override { return open; }
    bool Send(const CMsg& msg, std::string& errorText) override {
        if (!sendError.empty()) {
            errorText = sendError;
            return false;
        }
        sent.push_back(msg);
        return true;
    }
    void Close() override {
        open = false;
        ++closes;
    }

    bool open = false;
    std::deque<ConnectResult> results;
    std::vector<std::string> connects;
    std::vector<CMsg> sent;
    std::string sendError;
    int closes = 0;
};

struct HubRecord {
    std::vector<int> listenedOn;
    int disconnections = 0;
    int destroyed = 0;
    std::vector<std::vector<std::int32_t>> purges;
};

class FakeHub final : public IOwnedHub {
  public:
    FakeHub(HubRecord& record, bool canListen) : record_(record), canListen_(canListen) {}
    ~FakeHub() override { ++record_.destroyed; }
    bool ConnectSocket(int port) override {
        record_.listenedOn.push_back(port);
        serving_ = canListen_;
        return canListen_;
    }
    bool IsServing() const override { return serving_; }
    int ListeningPort() const override { return serving_ ? 40123 : 0; }
    void Disconnection() override {
        serving_ = false;
        ++record_.disconnections;
    }
    std::vector<std::string> DeckSetNames() const override { return {"Trump", "Tarot"}; }
    void PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) override {
        record_.purges.push_back(liveIDs);
    }

  private:
    HubRecord& record_;
    bool canListen_;
    bool serving_ = false;
};

class FakeHubFactory final : public IHubFactory {
  public:
    std::unique_ptr<IOwnedHub> CreateHub() override {
        ++created;
        return std::make_unique<FakeHub>(record, canListen);
    }
    HubRecord record;
    bool canListen = true;
    int created = 0;
};

// Every call on the log, members, cards, chart, map and view, in order, as one
// line each: easy to compare whole sequences.
class Recorder final : public IChatLogTarget,
                       public IMemberListTarget,
                       public ICardTarget,
                       public IChartTarget,
                       public IMapTarget,
                       public IChatViewTarget,
                       public IFrameTarget {
  public:
    // log
    void AppendChatLine(const std::string& name, const std::string& text, std::int32_t color,
                        std::int32_t type) override {
        Add("chat " + std::to_string(type) + " " + name + "|" + text + "|" + std::to_string(color));
    }
    void AppendNoticeLine(const std::string& text) override { Add("notice " + text); }
    void CloseTextLog() override { Add("closelog"); }
    // members
    void RebuildMembers(const std::vector<CMember>& list) override {
        members = list;
        Add("rebuild " + Names(list));
    }
    void RemoveMember(std::int32_t id) override { Add("remove " + std::to_string(id)); }
    void ClearMembers() override {
        members.clear();
        Add("clearmembers");
    }
    void SetTyping(std::int32_t id, bool typing) override {
        Add("typing " + std::to_string(id) + (typing ? " on" : " off"));
    }
    std::string MemberName(std::int32_t id) const override {
        for (const auto& m : members)
            if (m.MemberID == id)
                return m.MemberName;
        return {};
    }
    std::vector<std::int32_t> MemberIDs() const override {
        std::vector<std::int32_t> ids;
        for (const auto& m : members)
            ids.push_back(m.MemberID);
        return ids;
    }
    // cards
    void SetDeckSetNames(const std::vector<std::string>& names) override {
        Add("decksets " + std::to_string(names.size()));
    }
    void SetDeckLine(const std::string& deckName, std::int32_t cardsLeft) override {
        Add("deckline " + deckName + " " + std::to_string(cardsLeft));
    }
    void SetCardsLeft(std::int32_t cardsLeft) override { Add("left " + std::to_string(cardsLeft)); }
    void AddToHand(std::int32_t number, const std::string& text) override {
        Add("hand " + std::to_string(number) + " " + text);
    }
    void SetPlayers(const std::vector<CMember>& others) override {
        Add("players " + Names(others));
    }
    void RemovePlayer(std::int32_t id) override { Add("removeplayer " + std::to_string(id)); }
    void FollowDiscardMove(std::int32_t moveCode,
                           const std::vector<std::string>& entries) override {
        Add("discardmove " + std::to_string(moveCode) + " " + std::to_string(entries.size()));
    }
    void ShowCardStat(std::int32_t hand, std::int32_t faceDown,
                      const std::vector<std::string>& faceUp) override {
        Add("cardstat " + std::to_string(hand) + " " + std::to_string(faceDown) + " " +
            std::to_string(faceUp.size()));
    }
    void ClearDiscard() override { Add("cleardiscard"); }
    void ResetDeck(const std::string& deckName, std::int32_t cards) override {
        Add("resetdeck " + deckName + " " + std::to_string(cards));
    }
    void GiveRandomCard(std::int32_t requesterID) override {
        Add("give " + std::to_string(requesterID));
    }
    // chart and map
    bool IsChartShown() const override { return chartShown; }
    void ShowChart() override {
        chartShown = true;
        Add("showchart");
    }
    void ApplyChart(const CMsg&) override { Add("applychart"); }
    void SetChartLock(bool locked, const std::string& name) override {
        Add(std::string("chartlock ") + (locked ? "on " : "off ") + name);
    }
    void ReceiveMap(CMsg& msg) override { Add("map " + std::to_string(msg.Param2)); }
    // view
    std::string SpeakerName() const override { return speaker; }
    bool IsAutoChartShow() const override { return autoChart; }
    void RememberFocus() override { Add("rememberfocus"); }
    void RestoreFocus() override { Add("restorefocus"); }
    void AlertCall() override { Add("alert"); }
    void StartMemberCheckTimer(int ms) override { Add("timer3 " + std::to_string(ms)); }
    // frame
    void SetCaption(const std::string& text) override {
        caption = text;
        Add("caption " + text);
    }
    void SetConnectedMenu(bool connected) override {
        menuConnected = connected;
        Add(std::string("menu ") + (connected ? "connected" : "idle"));
    }

    static std::string Names(const std::vector<CMember>& list) {
        std::string out;
        for (const auto& m : list)
            out += m.MemberName + ":" + std::to_string(m.MemberID) + ";";
        return out;
    }
    void Add(std::string event) { events.push_back(std::move(event)); }

    std::vector<std::string> events;
    std::vector<CMember> members;
    bool chartShown = false;
    bool autoChart = false;
    std::string speaker = "Speaker";
    std::string caption;
    bool menuConnected = false;
};

// One chat window's core: session plus dispatcher over the fakes.
struct Window {
    FakeTransport transport;
    FakeHubFactory hubs;
    ScriptedPrompter prompter;
    Recorder rec;
    FixedClock clock{1700000000};
    std::vector<std::uint32_t> seeds;
    CClientSession session{{transport, hubs, prompter, rec, rec, rec, rec, clock,
                            [this](std::uint32_t seed) { seeds.push_back(seed); }}};
    CDispatcher dispatcher{{session, rec, rec, rec, rec, rec, rec, prompter, clock}};

    Window() { session.SetRecordHandler(&dispatcher); }

    // Connected as client and through the handshake as member `id`.
    void Join(std::int32_t id, const std::string& name = "Me") {
        session.ConnectAndShow(name, true, "127.0.0.1", 15000, 0x123456);
        CMsg start;
        start.Type = CnctStart;
        start.ID = id;
        start.Param1 = kProtocolVersion;
        start.Param2 = kProgramVersionCode;
        start.Name = "00052Trump";
        session.ReceiveMsg(start);
        transport.sent.clear();
        rec.events.clear();
        prompter.prompts.clear();
    }
    void Receive(CMsg msg) { session.ReceiveMsg(msg); }
};

inline CMsg Record(std::int32_t type, std::int32_t id, const std::string& name = {},
                   const std::string& text = {}) {
    CMsg msg;
    msg.Type = type;
    msg.ID = id;
    msg.Name = name;
    msg.Text = text;
    return msg;
}

}  // namespace yarrow::testing
