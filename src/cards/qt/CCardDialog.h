#pragma once
// The card window "カード管理": the member's own hand, face-down and face-up
// table piles and the shared discard pile as four drag-and-drop lists, the
// draw, random-take, pass and look buttons with their member selectors, the
// other member's counts and face-up cards, and the menu with shuffle, hand
// sort, discard reset and (on the window whose program runs the hub) the
// deck switch. A modeless dialog, created hidden once and afterwards only
// shown and hidden; the dispatcher drives it through ICardTarget.

#include <QDialog>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "cards/qt/CCardPileList.h"
#include "net/DispatchTargets.h"

class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace yarrow {

class CCardSender;
class IPrompter;
class IRandomSource;

class CCardDialog : public QDialog, public ICardTarget {
    Q_OBJECT
  public:
    // The sender, prompter and generator outlive the window.
    CCardDialog(CCardSender& sender, IPrompter& prompter, IRandomSource& random,
                QWidget* parent = nullptr);
    ~CCardDialog() override;

    // The operator's deck switch: called with the index of the set chosen
    // under "デッキ切替". `hosting` says whether this window's program runs a
    // hub right now; the submenu is offered only then.
    void SetDeckSwitch(std::function<void(int)> switchDeck, std::function<bool()> hosting);

    // ICardTarget.
    void SetDeckSetNames(const std::vector<std::string>& names) override;
    void SetDeckLine(const std::string& deckName, std::int32_t cardsLeft) override;
    void SetCardsLeft(std::int32_t cardsLeft) override;
    void AddToHand(std::int32_t number, const std::string& text) override;
    void SetPlayers(const std::vector<CMember>& others) override;
    void RemovePlayer(std::int32_t id) override;
    void FollowDiscardMove(std::int32_t moveCode, const std::vector<std::string>& entries) override;
    void ShowCardStat(std::int32_t handCount, std::int32_t faceDownCount,
                      const std::vector<std::string>& faceUp) override;
    void ClearDiscard() override;
    void ResetDeck(const std::string& deckName, std::int32_t cards) override;
    bool GiveRandomCard(std::int32_t requesterID) override;
    void SettleOwnPass(const std::vector<std::string>& passed) override;
    void SettleOwnMove(const std::vector<std::string>& moved) override;

    // The operations behind the buttons and menu items.
    void DrawOpen();
    void DrawHidden();
    void AskRandomCard();
    void PassSelected();
    void LookAtPlayer();
    void Shuffle();
    void SortHand();
    void ResetDiscard();

    CCardPileList* List(int pile) const;
    QComboBox* PassTarget() const { return passTarget_; }
    QComboBox* LookTarget() const { return lookTarget_; }
    QLabel* HandCountLabel() const { return handCount_; }
    QLabel* FaceDownCountLabel() const { return faceDownCount_; }
    QListWidget* LookedFaceUpList() const { return lookedFaceUp_; }
    QMenu* DeckMenu() const { return deckMenu_; }
    // The deck line as the caption shows it.
    QString Caption() const;

  private:
    void UpdateCaption();
    void OnCardsDropped(int sourcePile, int targetPile, const std::vector<CardItem>& cards);
    void RebuildDeckMenu();
    static std::int32_t SelectedMember(const QComboBox* combo);

    CCardSender& sender_;
    IPrompter& prompter_;
    IRandomSource& random_;
    std::string deckName_;
    std::int32_t cardsLeft_ = 0;
    std::vector<std::string> deckSetNames_;
    std::function<void(int)> switchDeck_;
    std::function<bool()> hosting_;
    // Passes sent and not yet echoed by the hub, oldest first: the cards
    // the hub does not pass come back into the hand.
    std::deque<std::vector<CardItem>> pendingPasses_;
    // Moves sent and not yet echoed, oldest first: the destination pile and
    // the cards dropped on it.
    struct PendingMove {
        int targetPile = 0;
        std::vector<CardItem> cards;
    };
    std::deque<PendingMove> pendingMoves_;

    CCardPileList* hand_ = nullptr;
    CCardPileList* faceUp_ = nullptr;
    CCardPileList* faceDown_ = nullptr;
    CCardPileList* discard_ = nullptr;
    QComboBox* passTarget_ = nullptr;
    QComboBox* lookTarget_ = nullptr;
    QLabel* handCount_ = nullptr;
    QLabel* faceDownCount_ = nullptr;
    QListWidget* lookedFaceUp_ = nullptr;
    QMenu* functionMenu_ = nullptr;
    QMenu* deckMenu_ = nullptr;
};

}  // namespace yarrow
