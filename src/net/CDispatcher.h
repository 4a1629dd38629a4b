#pragma once
// Turns each record the chat window receives into calls on the log, the
// member list, the chart, map and card windows and the chat view. The hub
// relays every record to everybody, so the privacy rules live here: whispers
// are shown only by their recipients, hidden rolls and hidden draws are masked
// for everyone but the actor, a call alerts only its target, and a window
// ignores the echo of its own chart lock and hidden roll.

#include <cstdint>
#include <string>
#include <vector>

#include "net/CClientSession.h"
#include "net/DispatchTargets.h"

namespace yarrow {

class IPrompter;
class IClock;

class CDispatcher final : public IRecordHandler {
  public:
    struct Deps {
        CClientSession& session;
        IChatLogTarget& log;
        IMemberListTarget& members;
        IChartTarget& chart;
        IMapTarget& map;
        ICardTarget& cards;
        IChatViewTarget& view;
        IPrompter& prompter;
        const IClock& clock;
    };

    explicit CDispatcher(Deps deps);

    void Dispatch(CMsg& msg) override;

    // Window timer 3 fired (five seconds after a member list reset): the
    // operator's hub releases the cards of members that did not answer.
    void OnMemberCheckTimer();

    // The text of a card move line: the cards (or, for a move between private
    // piles seen by somebody else, their count), source and destination pile
    // names, separated by tabs.
    static std::string MoveDescription(std::int32_t moveCode,
                                       const std::vector<std::string>& entries, bool own);
    static std::string PileName(int pile);

  private:
    bool IsOwn(const CMsg& msg) const { return msg.ID == deps_.session.MyID(); }
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
