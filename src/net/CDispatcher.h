#pragma once
// Turns each record the chat window receives into calls on the log, the
// member list, the chart, map and card windows. The hub relays every record
// to everybody, so the privacy rules live here: whispers are shown only by
// their recipients, hidden rolls and hidden draws are masked for everyone but
// the actor, a call alerts only its target, and a window ignores the echo of
// its own chart lock and hidden roll.
//
// A question a record raises (a reshuffle offer, a random-card request) is
// asked through `later`, after the record is handled: a message box runs an
// event loop, and one opened while the socket is being read would read on.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/CClientSession.h"
#include "net/DispatchTargets.h"

namespace yarrow {

class IPrompter;
class IClock;
class ISessionPort;
class IWindowTimers;

class CDispatcher final : public IRecordHandler {
  public:
    // Window timer 3: five seconds after a member list reset, the operator's
    // hub releases the cards of the members that did not answer.
    static constexpr int kMemberCheckTimer = 3;
    static constexpr int kMemberCheckMs = 5000;

    struct Deps {
        // The handshake and the hub this window owns; null where a test
        // drives one window feature without a connection.
        CClientSession* session;
        ISessionPort& port;
        IChatLogTarget& log;
        IMemberListTarget& members;
        IChartTarget& chart;
        IMapTarget& map;
        ICardTarget& cards;
        IWindowTimers& timers;
        IPrompter& prompter;
        const IClock& clock;
        // Runs a task once the record in hand is handled.
        std::function<void(std::function<void()>)> later;
        // A call for this member: main window to the front, three beeps.
        std::function<void()> alertCall;
        // The IsAutoChartShow setting.
        std::function<bool()> autoChartShow;
    };

    explicit CDispatcher(Deps deps);

    void Dispatch(CMsg& msg) override;

    // Window timer 3 fired.
    void OnMemberCheckTimer();

  private:
    bool IsOwn(const CMsg& msg) const;
    void Line(const CMsg& msg, std::int32_t kind, const std::string& text);
    void MembersChanged(const CMsg& msg, bool showNotice);
    void OnChart(const CMsg& msg);
    void OnSecret(const CMsg& msg);
    void OnCall(const CMsg& msg);
    void OnDrawCard(const CMsg& msg);
    void OnScreenCard(const CMsg& msg);
    void OnMoveCard(const CMsg& msg);
    void OnReshuffleOffer(const CMsg& msg);
    void OnResetMembers();
    void OnPassCard(const CMsg& msg);
    void OnRandomCardRequest(const CMsg& msg);

    Deps deps_;
};

}  // namespace yarrow
