#pragma once
// What the chat window's dispatcher drives when a record arrives: small
// interfaces that the log, the member list view and the chart, map and card
// windows implement. Texts are code page 932 bytes.
// Every record that reaches these calls has already passed the privacy rules
// (whispers only for their recipients, hidden rolls masked, calls for their
// target only), so an implementation just shows what it is given.

#include <cstdint>
#include <string>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

// The chat log: the two ways into it, and closing the running text log. Every
// feature that writes into the log takes this beside its ISessionPort.
class IChatLogTarget {
  public:
    virtual ~IChatLogTarget() = default;
    // A typed line: laid out by type, written to the text log, and on the
    // operator's window handed to the hub's past log.
    virtual void AppendChatLine(const std::string& name, const std::string& text,
                                std::int32_t color, std::int32_t type) = 0;
    // A notice with its chat markup appended unchanged.
    virtual void AppendNoticeLine(const std::string& text) = 0;
    // Closes the automatic plain-text log if one runs (on disconnect).
    virtual void CloseTextLog() = 0;
};

// The member list pane.
class IMemberListTarget {
  public:
    virtual ~IMemberListTarget() = default;
    // Replaces the list with these members (the view orders them by ID).
    virtual void RebuildMembers(const std::vector<CMember>& members) = 0;
    virtual void RemoveMember(std::int32_t id) = 0;
    virtual void ClearMembers() = 0;
    virtual void SetTyping(std::int32_t id, bool typing) = 0;
    // The listed name of a member; empty when the ID is not listed.
    virtual std::string MemberName(std::int32_t id) const = 0;
    // The IDs currently listed, in list order.
    virtual std::vector<std::int32_t> MemberIDs() const = 0;
};

// The shared chart window.
class IChartTarget {
  public:
    virtual ~IChartTarget() = default;
    virtual bool IsChartShown() const = 0;
    // Shows the hidden window without taking the keyboard focus: whoever was
    // typing keeps typing.
    virtual void ShowChart() = 0;
    virtual void ApplyChart(const CMsg& msg) = 0;
    virtual void SetChartLock(bool locked, const std::string& name) = 0;
};

// The map window; it applies the page, decides between showing itself and its
// own "updated" notice, and keeps the keyboard focus where it was. It may take
// the record's items and tiles out of `msg`: a full page holds 130,000 entries,
// too many to copy on every update.
class IMapTarget {
  public:
    virtual ~IMapTarget() = default;
    virtual void ReceiveMap(CMsg& msg) = 0;
};

// The card window of this member.
class ICardTarget {
  public:
    virtual ~ICardTarget() = default;
    // The deck sets of the hub this window owns (operator only).
    virtual void SetDeckSetNames(const std::vector<std::string>& names) = 0;
    // The caption's deck line: deck name and cards left.
    virtual void SetDeckLine(const std::string& deckName, std::int32_t cardsLeft) = 0;
    // Only the count changes (draws by anybody).
    virtual void SetCardsLeft(std::int32_t cardsLeft) = 0;
    virtual void AddToHand(std::int32_t number, const std::string& text) = 0;
    // The other members (own ID already left out) for both member selectors.
    virtual void SetPlayers(const std::vector<CMember>& others) = 0;
    virtual void RemovePlayer(std::int32_t id) = 0;
    // Another member's move: the shared discard list follows it (source 4
    // removes the cards by number, destination 4 appends them).
    virtual void FollowDiscardMove(std::int32_t moveCode,
                                   const std::vector<std::string>& entries) = 0;
    // The answer to this member's "見る".
    virtual void ShowCardStat(std::int32_t handCount, std::int32_t faceDownCount,
                              const std::vector<std::string>& faceUp) = 0;
    virtual void ClearDiscard() = 0;
    // A new deck: deck line set, all four pile lists emptied.
    virtual void ResetDeck(const std::string& deckName, std::int32_t cards) = 0;
    // The user agreed to a random-card request: choose a hand card, remove it
    // and pass it to the requester. False when no card went out (an empty
    // hand, no connection): the requester is then sent the refusal, so a
    // request never goes unanswered.
    virtual bool GiveRandomCard(std::int32_t requesterID) = 0;
    // The hub's echo of this member's own pass, with the entries it really
    // passed: cards the window took out of its hand for that pass and the
    // hub did not pass go back into the hand.
    virtual void SettleOwnPass(const std::vector<std::string>& passed) = 0;
    // The hub's echo of this member's own move, with the entries it really
    // moved: cards the window already moved for that move and the hub did
    // not are not in the member's source pile (another member took the
    // discarded card first), so they leave the list they were dropped on.
    virtual void SettleOwnMove(const std::vector<std::string>& moved) = 0;
};

}  // namespace yarrow
