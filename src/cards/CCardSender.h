#pragma once
// The card operations a member sends: draws, random-card requests, moves,
// looks at another member's cards, passes, shuffles and discard resets. Each
// builds its record with the speaker name, the own colour and ID; without a
// connection a draw or a random-card request tells the user, the others send
// nothing.

#include <cstdint>
#include <string>
#include <vector>

namespace yarrow {

class IChatLogTarget;
class ISessionPort;

// Sends through the chat window's session port; the log takes the notice.
class CCardSender {
  public:
    CCardSender(ISessionPort& port, IChatLogTarget& log) : port_(port), log_(log) {}

    // DrawCard (open) or ScreenCard (hidden).
    void RequestDraw(bool open);
    // RndmGet to `member`; nothing for an ID that is not positive.
    void RequestRandomCard(std::int32_t member);
    // MoveCard with the move code (source pile << 8 | destination pile) and
    // the "%05d%s" entries of the cards.
    bool SendMoveCards(std::int32_t moveCode, const std::vector<std::string>& entries);
    // GetCardStat about `member`.
    void RequestCardStat(std::int32_t member);
    // PassCard of the entries to `member`; nothing without a member or cards.
    bool PassCards(std::int32_t member, const std::vector<std::string>& entries);
    void ShuffleDeck();
    void ResetGrave();

  private:
    bool NeedConnection();

    ISessionPort& port_;
    IChatLogTarget& log_;
};

}  // namespace yarrow
