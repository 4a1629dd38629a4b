#include "cards/qt/CCardDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "cards/CCardSender.h"
#include "cards/CDeckBox.h"
#include "dice/IRandomSource.h"
#include "net/CardLineText.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {
namespace {

// The first deck-switch command; set k is command 40000 + k.
constexpr int kFirstDeckCommand = 40000;
constexpr std::size_t kMaxDeckSets = 256;
// No list grows beyond every card of the largest set.
constexpr std::size_t kMaxListedCards = 32768;

QPushButton* MakeButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

std::vector<std::string> EntriesOf(const std::vector<CardItem>& cards) {
    std::vector<std::string> entries;
    entries.reserve(cards.size());
    for (const CardItem& card : cards)
        entries.push_back(FormatCardEntry(card.number, card.text));
    return entries;
}

// Entries from a record; damaged ones are left out.
std::vector<CardItem> CardsOf(const std::vector<std::string>& entries) {
    std::vector<CardItem> cards;
    for (const std::string& entry : entries) {
        if (cards.size() >= kMaxListedCards)
            break;
        std::optional<CardEntry> card = ParseCardEntry(entry);
        if (card && card->number < static_cast<int>(kMaxListedCards))
            cards.push_back({card->number, std::move(card->text)});
    }
    return cards;
}

}  // namespace

CCardDialog::CCardDialog(CCardSender& sender, IPrompter& prompter, IRandomSource& random,
                         QWidget* parent)
    : QDialog(parent), sender_(sender), prompter_(prompter), random_(random) {
    setObjectName(QStringLiteral("138"));
    setModal(false);

    auto* menuBar = new QMenuBar(this);
    functionMenu_ = menuBar->addMenu(QStringLiteral("機能(&U)"));
    functionMenu_->setObjectName(QStringLiteral("cardFunctionMenu"));
    QAction* shuffle = functionMenu_->addAction(QStringLiteral("シャッフル(&S)"));
    shuffle->setObjectName(QStringLiteral("shuffleDeck"));
    connect(shuffle, &QAction::triggered, this, &CCardDialog::Shuffle);
    QAction* sort = functionMenu_->addAction(QStringLiteral("手札のソート(&D)"));
    sort->setObjectName(QStringLiteral("sortHand"));
    connect(sort, &QAction::triggered, this, &CCardDialog::SortHand);
    QAction* reset = functionMenu_->addAction(QStringLiteral("捨札のリセット"));
    reset->setObjectName(QStringLiteral("resetDiscard"));
    connect(reset, &QAction::triggered, this, &CCardDialog::ResetDiscard);
    deckMenu_ = functionMenu_->addMenu(QStringLiteral("デッキ切替"));
    deckMenu_->setObjectName(QStringLiteral("deckSwitchMenu"));
    deckMenu_->menuAction()->setVisible(false);
    connect(functionMenu_, &QMenu::aboutToShow, this, &CCardDialog::RebuildDeckMenu);

    hand_ = new CCardPileList(kHandPile, this, this);
    hand_->setObjectName(QStringLiteral("handList"));
    faceDown_ = new CCardPileList(kFaceDownPile, this, this);
    faceDown_->setObjectName(QStringLiteral("faceDownList"));
    faceUp_ = new CCardPileList(kFaceUpPile, this, this);
    faceUp_->setObjectName(QStringLiteral("faceUpList"));
    discard_ = new CCardPileList(kDiscardPile, this, this);
    discard_->setObjectName(QStringLiteral("discardList"));

    auto* piles = new QHBoxLayout;
    const std::pair<const char*, CCardPileList*> columns[] = {
        {"手札(&D)", hand_}, {"場札(伏)", faceDown_}, {"場札(公)", faceUp_}, {"捨て札", discard_}};
    for (const auto& [title, list] : columns) {
        // A card exists once: dropping never copies it into a second pile.
        list->SetCopyAllowed(false);
        list->SetPrompter(&prompter_);
        auto* label = new QLabel(QString::fromUtf8(title), this);
        label->setBuddy(list);
        auto* column = new QVBoxLayout;
        column->addWidget(label);
        column->addWidget(list, 1);
        piles->addLayout(column);
        CCardPileList* target = list;
        connect(list, &CCardPileList::CardsDropped, this,
                [this, target](int source, const std::vector<CardItem>& cards) {
                    OnCardsDropped(source, target->Pile(), cards);
                });
    }

    auto* drawOpen = MakeButton(QStringLiteral("公開して引く(&O)"), "drawOpenButton", this);
    auto* drawHidden = MakeButton(QStringLiteral("隠して引く(&H)"), "drawHiddenButton", this);
    auto* randomTake = MakeButton(QStringLiteral("ランダムに取得(&R)"), "randomTakeButton", this);
    auto* pass = MakeButton(QStringLiteral("渡す(&B)"), "passButton", this);
    passTarget_ = new QComboBox(this);
    passTarget_->setObjectName(QStringLiteral("passTarget"));
    passTarget_->setMinimumContentsLength(8);
    connect(drawOpen, &QPushButton::clicked, this, &CCardDialog::DrawOpen);
    connect(drawHidden, &QPushButton::clicked, this, &CCardDialog::DrawHidden);
    connect(randomTake, &QPushButton::clicked, this, &CCardDialog::AskRandomCard);
    connect(pass, &QPushButton::clicked, this, &CCardDialog::PassSelected);
    auto* actions = new QHBoxLayout;
    actions->addWidget(drawOpen);
    actions->addWidget(drawHidden);
    actions->addStretch(1);
    actions->addWidget(randomTake);
    actions->addWidget(pass);
    actions->addWidget(passTarget_);

    auto* others = new QGroupBox(QStringLiteral("他ﾌﾟﾚｲﾔｰ状況"), this);
    others->setObjectName(QStringLiteral("otherPlayerGroup"));
    lookTarget_ = new QComboBox(others);
    lookTarget_->setObjectName(QStringLiteral("lookTarget"));
    lookTarget_->setMinimumContentsLength(8);
    auto* look = MakeButton(QStringLiteral("見る"), "lookButton", others);
    connect(look, &QPushButton::clicked, this, &CCardDialog::LookAtPlayer);
    handCount_ = new QLabel(QStringLiteral("手札：0枚"), others);
    handCount_->setObjectName(QStringLiteral("lookedHandCount"));
    faceDownCount_ = new QLabel(QStringLiteral("場札(伏)：0枚"), others);
    faceDownCount_->setObjectName(QStringLiteral("lookedFaceDownCount"));
    lookedFaceUp_ = new QListWidget(others);
    lookedFaceUp_->setObjectName(QStringLiteral("lookedFaceUpList"));
    // A few lines of the other member's open cards; the room goes to the
    // member's own piles.
    lookedFaceUp_->setFixedHeight(lookedFaceUp_->fontMetrics().height() * 5 +
                                  2 * lookedFaceUp_->frameWidth() + 4);
    auto* pick = new QHBoxLayout;
    pick->addWidget(lookTarget_, 1);
    pick->addWidget(look);
    auto* counts = new QVBoxLayout;
    counts->addLayout(pick);
    counts->addWidget(handCount_);
    counts->addWidget(faceDownCount_);
    counts->addStretch(1);
    auto* groupLayout = new QHBoxLayout(others);
    groupLayout->addLayout(counts);
    groupLayout->addWidget(lookedFaceUp_, 1);

    auto* ok = MakeButton(QStringLiteral("OK"), "okButton", this);
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(others, 1);
    bottom->addWidget(ok, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(piles, 1);
    layout->addLayout(actions);
    layout->addLayout(bottom);
    resize(560, 420);
    UpdateCaption();
}

CCardDialog::~CCardDialog() = default;

CCardPileList* CCardDialog::List(int pile) const {
    switch (pile) {
        case kHandPile:
            return hand_;
        case kFaceUpPile:
            return faceUp_;
        case kFaceDownPile:
            return faceDown_;
        case kDiscardPile:
            return discard_;
        default:
            return nullptr;
    }
}

QString CCardDialog::Caption() const {
    return QStringLiteral("カード管理：%1(残り%2枚)").arg(FromCp932(deckName_)).arg(cardsLeft_);
}

void CCardDialog::UpdateCaption() {
    setWindowTitle(Caption());
}

void CCardDialog::SetDeckSwitch(std::function<void(int)> switchDeck,
                                std::function<bool()> hosting) {
    switchDeck_ = std::move(switchDeck);
    hosting_ = std::move(hosting);
}

// ---------------------------------------------------------------------------
// What the records tell the window

void CCardDialog::SetDeckSetNames(const std::vector<std::string>& names) {
    deckSetNames_.assign(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(names.size(), kMaxDeckSets)));
    RebuildDeckMenu();
}

void CCardDialog::RebuildDeckMenu() {
    deckMenu_->clear();
    const bool offered = !deckSetNames_.empty() && switchDeck_ && (!hosting_ || hosting_());
    deckMenu_->menuAction()->setVisible(offered);
    if (!offered)
        return;
    for (std::size_t i = 0; i < deckSetNames_.size(); ++i) {
        const int index = static_cast<int>(i);
        QAction* item = deckMenu_->addAction(
            QStringLiteral("%1(&%2)").arg(FromCp932(deckSetNames_[i])).arg(index));
        item->setObjectName(QString::number(kFirstDeckCommand + index));
        connect(item, &QAction::triggered, this, [this, index] {
            if (switchDeck_)
                switchDeck_(index);
        });
    }
}

void CCardDialog::SetDeckLine(const std::string& deckName, std::int32_t cardsLeft) {
    // A new connection: the hub gives every newcomer empty piles, so cards
    // shown from an earlier connection are no longer this member's, and
    // nothing sent before is still on its way.
    ResetDeck(deckName, cardsLeft);
}

void CCardDialog::SetCardsLeft(std::int32_t cardsLeft) {
    cardsLeft_ = cardsLeft;
    UpdateCaption();
}

void CCardDialog::AddToHand(std::int32_t number, const std::string& text) {
    if (number < 0 || number >= static_cast<std::int32_t>(kMaxListedCards) ||
        static_cast<std::size_t>(hand_->topLevelItemCount()) >= kMaxListedCards)
        return;
    hand_->AppendCard({number, text});
}

void CCardDialog::SetPlayers(const std::vector<CMember>& others) {
    for (QComboBox* combo : {passTarget_, lookTarget_}) {
        combo->clear();
        for (const CMember& member : others)
            combo->addItem(FromCp932(member.MemberName), member.MemberID);
        if (combo->count() > 0)
            combo->setCurrentIndex(0);
    }
}

void CCardDialog::RemovePlayer(std::int32_t id) {
    for (QComboBox* combo : {passTarget_, lookTarget_}) {
        const int at = combo->findData(id);
        if (at >= 0)
            combo->removeItem(at);
    }
}

void CCardDialog::FollowDiscardMove(std::int32_t moveCode,
                                    const std::vector<std::string>& entries) {
    const int from = (moveCode >> 8) & 0xFF;
    const int to = moveCode & 0xFF;
    const std::vector<CardItem> cards = CardsOf(entries);
    if (from == kDiscardPile) {
        for (const CardItem& card : cards)
            discard_->RemoveCard(card.number);
    }
    if (to == kDiscardPile) {
        for (const CardItem& card : cards) {
            if (static_cast<std::size_t>(discard_->topLevelItemCount()) < kMaxListedCards)
                discard_->AppendCard(card);
        }
    }
}

void CCardDialog::ShowCardStat(std::int32_t handCount, std::int32_t faceDownCount,
                               const std::vector<std::string>& faceUp) {
    handCount_->setText(QStringLiteral("手札：%1枚").arg(handCount));
    faceDownCount_->setText(QStringLiteral("場札(伏)：%1枚").arg(faceDownCount));
    lookedFaceUp_->clear();
    const std::size_t shown = std::min(faceUp.size(), kMaxListedCards);
    for (std::size_t i = 0; i < shown; ++i)
        lookedFaceUp_->addItem(FromCp932(faceUp[i]));
}

void CCardDialog::ClearDiscard() {
    discard_->clear();
}

void CCardDialog::ResetDeck(const std::string& deckName, std::int32_t cards) {
    deckName_ = deckName;
    cardsLeft_ = cards;
    UpdateCaption();
    for (CCardPileList* list : {hand_, faceDown_, faceUp_, discard_})
        list->clear();
    pendingPasses_.clear();
    pendingMoves_.clear();
    // What was looked at belonged to piles the hub has just forgotten.
    ShowCardStat(0, 0, {});
}

bool CCardDialog::GiveRandomCard(std::int32_t requesterID) {
    const std::vector<CardItem> hand = hand_->Cards();
    if (hand.empty())
        return false;
    const auto at =
        static_cast<int>(random_.RandomNext() % static_cast<std::uint32_t>(hand.size()));
    const CardItem card = hand[static_cast<std::size_t>(at)];
    if (!sender_.PassCards(requesterID, EntriesOf({card})))
        return false;
    delete hand_->takeTopLevelItem(at);
    pendingPasses_.push_back({card});
    return true;
}

void CCardDialog::SettleOwnPass(const std::vector<std::string>& passed) {
    if (pendingPasses_.empty())
        return;
    const std::vector<CardItem> sent = std::move(pendingPasses_.front());
    pendingPasses_.pop_front();
    std::set<int> done;
    for (const CardItem& card : CardsOf(passed))
        done.insert(card.number);
    for (const CardItem& card : sent) {
        if (done.count(card.number) == 0)
            hand_->AppendCard(card);
    }
}

void CCardDialog::SettleOwnMove(const std::vector<std::string>& moved) {
    if (pendingMoves_.empty())
        return;
    const PendingMove sent = std::move(pendingMoves_.front());
    pendingMoves_.pop_front();
    std::set<int> done;
    for (const CardItem& card : CardsOf(moved))
        done.insert(card.number);
    CCardPileList* target = List(sent.targetPile);
    if (target == nullptr)
        return;
    for (const CardItem& card : sent.cards) {
        if (done.count(card.number) == 0)
            target->RemoveCard(card.number);
    }
}

// ---------------------------------------------------------------------------
// The member's own operations

void CCardDialog::DrawOpen() {
    sender_.RequestDraw(true);
}

void CCardDialog::DrawHidden() {
    sender_.RequestDraw(false);
}

std::int32_t CCardDialog::SelectedMember(const QComboBox* combo) {
    if (combo->currentIndex() < 0)
        return -1;
    bool ok = false;
    const int id = combo->currentData().toInt(&ok);
    return ok ? id : -1;
}

void CCardDialog::AskRandomCard() {
    const std::int32_t member = SelectedMember(passTarget_);
    if (member <= 0)
        return;
    sender_.RequestRandomCard(member);
}

void CCardDialog::PassSelected() {
    const std::vector<CardItem> cards = hand_->SelectedCards();
    const std::int32_t member = SelectedMember(passTarget_);
    if (cards.empty() || member <= 0)
        return;
    // The cards leave the hand list only when the pass went out.
    if (!sender_.PassCards(member, EntriesOf(cards)))
        return;
    hand_->RemoveSelected();
    pendingPasses_.push_back(cards);
}

void CCardDialog::LookAtPlayer() {
    const std::int32_t member = SelectedMember(lookTarget_);
    if (member > 0)
        sender_.RequestCardStat(member);
}

void CCardDialog::Shuffle() {
    sender_.ShuffleDeck();
}

void CCardDialog::SortHand() {
    hand_->SortByNumber();
}

void CCardDialog::ResetDiscard() {
    static const std::string question =
        Sjis("捨て札を全て山札に戻し、シャッフルします\r\nよろしいですか？");
    static const std::string caption = Sjis("確認");
    if (prompter_.Ask(question, caption, PromptIcon::Question, PromptButtons::YesNo) ==
        PromptAnswer::Yes) {
        sender_.ResetGrave();
    }
}

void CCardDialog::OnCardsDropped(int sourcePile, int targetPile,
                                 const std::vector<CardItem>& cards) {
    // A move within one list only rearranges it; without a connection a drop
    // still rearranges the lists and nothing is sent.
    if (sourcePile == targetPile)
        return;
    if (sender_.SendMoveCards((sourcePile << 8) | targetPile, EntriesOf(cards)))
        pendingMoves_.push_back({targetPile, cards});
}

}  // namespace yarrow
