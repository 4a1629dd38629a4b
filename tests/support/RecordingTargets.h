#pragma once
// Recording stand-ins for everything a chat window's dispatcher and session
// drive besides the session port: the log, the member list, the card, chart
// and map windows and the frame.

#include <cstdint>
#include <string>
#include <vector>

#include "net/CMsg.h"
#include "net/DispatchTargets.h"
#include "net/SessionTargets.h"

namespace yarrow::test {

// Every call on the log, members, cards, chart, map and frame, in order, as
// one line each: easy to compare whole sequences.
class Recorder final : public IChatLogTarget,
                       public IMemberListTarget,
                       public ICardTarget,
                       public IChartTarget,
                       public IMapTarget,
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
    bool GiveRandomCard(std::int32_t requesterID) override {
        Add("give " + std::to_string(requesterID));
        return true;
    }
    void SettleOwnPass(const std::vector<std::string>& passed) override {
        Add("settle " + std::to_string(passed.size()));
    }
    void SettleOwnMove(const std::vector<std::string>& moved) override {
        Add("settlemove " + std::to_string(moved.size()));
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
    // frame
    void SetCaption(const std::string& text) override {
        caption = text;
        Add("caption " + text);
    }
    void SetConnectedMenu(bool connected) override {
        menuConnected = connected;
        Add(std::string("menu ") + (connected ? "connected" : "idle"));
    }
    void SetConnectionStatus(const std::string& text) override {
        connectionStatus = text;
        Add("status " + text);
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
    std::string caption;
    bool menuConnected = false;
    std::string connectionStatus;
};

}  // namespace yarrow::test
