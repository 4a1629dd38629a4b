// The card window offscreen over its real sender: drag and drop between and
// within its pile lists (the drag's data, the drop events and the end of the
// drag, as QDrag would run them), scrolling near the edges, passes that must
// not lose cards, and what goes out with and without a connection.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "cards/CCardSender.h"
#include "cards/CDeckBox.h"
#include "cards/qt/CCardDialog.h"
#include "cards/qt/IScrollTimer.h"
#include "dice/CMersenneTwister.h"
#include "net/CardLineText.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;
using namespace yarrow::test;

namespace {

// A scroll timer the test fires itself.
struct ManualScrollTimer final : IScrollTimer {
    void Start(int ms, std::function<void()> t) override { starts.push_back(ms), tick = t; }
    void Stop() override { tick = nullptr; }
    bool IsActive() const override { return tick != nullptr; }
    void Fire() const {
        if (const auto t = tick)  // a copy: the tick may stop the timer
            t();
    }
    std::vector<int> starts;
    std::function<void()> tick;
};

std::vector<int> Numbers(const CCardPileList* list) {
    std::vector<int> numbers;
    for (const CardItem& card : list->Cards())
        numbers.push_back(card.number);
    return numbers;
}

// Drag-enter, drag-move and drop at `pointer` over the target's viewport;
// returns the action the drop took (IgnoreAction when refused).
Qt::DropAction DropAt(CCardPileList* target, QMimeData* mime, QPoint pointer,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
    QDragEnterEvent enter(pointer, offered, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target->viewport(), &enter);
    QDragMoveEvent move(pointer, offered, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target->viewport(), &move);
    QDropEvent drop(QPointF(pointer), offered, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target->viewport(), &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// The pointer position whose hit point (5 pixels lower) is on row `row`.
QPoint OnRow(CCardPileList* list, int row) {
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    return QPoint(rect.left() + 10, rect.center().y() - CCardPileList::kHitPointBelow);
}

void Select(CCardPileList* list, const std::vector<int>& rows) {
    list->clearSelection();
    for (int row : rows)
        list->topLevelItem(row)->setSelected(true);
}

const std::string kOffline = Sjis("◇ この機能はサーバに接続していないと使用できません");

struct Window {
    Window() : sender(host, host), dialog(sender, prompter, random) {
        host.myId = 2;
        host.myColor = 0x00FF00;
        host.speaker = "Me";
        random.RandomSeed(1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    CCardPileList* List(int pile) const { return dialog.List(pile); }
    void Deal(std::initializer_list<int> numbers) {
        for (int n : numbers)
            dialog.AddToHand(n, "C" + std::to_string(n));
    }
    void Click(const char* name) const {
        dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
    }
    void Trigger(const char* name) const {
        dialog.findChild<QAction*>(QString::fromLatin1(name))->trigger();
    }

    FakeSession host;
    CCardSender sender;
    ScriptedPrompter prompter;
    CMersenneTwister random;
    CCardDialog dialog;
};

}  // namespace

class CardDialogQtTest : public QObject {
    Q_OBJECT
  private slots:
    void dropsFollowTheInsertionRulesAndRefuseForeignCards();
    void dragScrollsNearTheEdgeUntilTheEnd();
    void passesGiveBackWhatDidNotGoOut();
    void buttonsAndMenuSendTheirRecordsOrTellWhyNot();
    void recordsFollowTheDiscardLookAndNewDeck();
};

void CardDialogQtTest::dropsFollowTheInsertionRulesAndRefuseForeignCards() {
    // The hand holds 1..4, the face-up list 10..12, the others are empty.
    // `at`: a row, -1 below the last item, -2 beside the items, -3 top left.
    struct Case {
        int from;
        std::vector<int> rows;
        int to;
        int at;
        bool ctrl;
        std::vector<int> target;  // afterwards
        int moveCode;             // 0: nothing is sent
    };
    const std::vector<int> hand{1, 2, 3, 4};
    const Case cases[] = {
        {kHandPile, {1, 2}, kFaceDownPile, -3, false, {2, 3}, 0x0103},
        {kHandPile, {0}, kFaceUpPile, 0, false, {1, 10, 11, 12}, 0x0102},
        {kHandPile, {0}, kFaceUpPile, 2, false, {10, 11, 1, 12}, 0x0102},
        {kHandPile, {0}, kFaceUpPile, -1, false, {10, 11, 12, 1}, 0x0102},
        {kHandPile, {0}, kFaceUpPile, -2, false, {10, 11, 12}, 0},
        // A card is never in two piles: Ctrl does not copy.
        {kFaceUpPile, {0}, kDiscardPile, -3, true, {10}, 0x0204},
        // Within one list the cards are only rearranged; onto themselves the
        // drop is refused.
        {kHandPile, {0, 1}, kHandPile, 3, false, {3, 1, 2, 4}, 0},
        {kHandPile, {1, 3}, kHandPile, 1, false, hand, 0},
        {kHandPile, {1, 3}, kHandPile, 2, false, hand, 0},
        {kHandPile, {1, 3}, kHandPile, 3, false, hand, 0},
    };
    for (const Case& c : cases) {
        Window w;
        w.Deal({1, 2, 3, 4});
        w.List(kFaceUpPile)->InsertCards(0, {{10, "a"}, {11, "b"}, {12, "c"}});
        CCardPileList* from = w.List(c.from);
        CCardPileList* to = w.List(c.to);
        const std::vector<int> targetBefore = Numbers(to);
        std::vector<int> sourceAfter = Numbers(from);
        for (auto r = c.rows.rbegin(); r != c.rows.rend(); ++r)
            sourceAfter.erase(sourceAfter.begin() + *r);
        Select(from, c.rows);
        std::vector<std::string> entries;
        for (const CardItem& card : from->SelectedCards())
            entries.push_back(FormatCardEntry(card.number, card.text));
        std::unique_ptr<QMimeData> mime(from->BeginDrag());
        QPoint at(10, 10);
        if (c.at >= 0)
            at = OnRow(to, c.at);
        else if (c.at == -1)
            at = QPoint(10, to->visualItemRect(to->topLevelItem(2)).bottom() + 20);
        else if (c.at == -2)  // right of the one column, on the rows
            at = QPoint(to->columnWidth(0) + 20, OnRow(to, 1).y());
        const Qt::DropAction action =
            DropAt(to, mime.get(), at, c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        from->EndDrag(action);
        const bool accepted = c.target != targetBefore;
        const QByteArray row = QByteArray::number(int(&c - cases));
        QVERIFY2(action == (accepted ? Qt::MoveAction : Qt::IgnoreAction), row);
        QVERIFY2(Numbers(to) == c.target, row);
        if (c.from != c.to)
            QVERIFY2(Numbers(from) == (accepted ? sourceAfter : hand), row);
        QCOMPARE(w.host.records.size(), size_t(c.moveCode != 0 ? 1 : 0));
        if (c.moveCode != 0) {
            QCOMPARE(w.host.records[0].Param1, c.moveCode);
            QCOMPARE(w.host.records[0].Strings, entries);
        }
        // Told once the drag is over.
        if (c.from == c.to && !accepted)
            QTRY_COMPARE(w.prompter.prompts.size(), size_t(1));
    }
    // The zone above the first visible item, which a pointer inside the list
    // cannot reach.
    QCOMPARE(DropInsertIndex(DropZone::AboveFirstVisible, -1, 5), 0);

    Window w;
    Window other;
    other.Deal({5});
    Select(other.List(kHandPile), {0});
    std::unique_ptr<QMimeData> foreign(other.List(kHandPile)->BeginDrag());
    // Another card window's cards are not this member's; damaged data of the
    // right type and plain text are no cards at all.
    QMimeData damaged, text;
    damaged.setData(CCardPileList::MimeType(), QByteArray("\x01\x02garbage", 9));
    text.setText(QStringLiteral("00001Ace"));
    for (QMimeData* mime : {foreign.get(), &damaged, &text})
        QCOMPARE(DropAt(w.List(kHandPile), mime, QPoint(10, 10)), Qt::IgnoreAction);
    QVERIFY(w.List(kHandPile)->Cards().empty());
    QVERIFY(w.host.records.empty());
}

void CardDialogQtTest::dragScrollsNearTheEdgeUntilTheEnd() {
    Window w;
    CCardPileList* up = w.List(kFaceUpPile);
    auto* timer = new ManualScrollTimer;
    up->SetScrollTimer(std::unique_ptr<IScrollTimer>(timer));
    for (int i = 0; i < 60; ++i)
        up->AppendCard({i, "card"});
    w.Deal({100});
    Select(w.List(kHandPile), {0});
    std::unique_ptr<QMimeData> mime(w.List(kHandPile)->BeginDrag());
    // Near the bottom edge: a line after 300 ms, then every 100 ms, until
    // the list is at its end, where the timer stops.
    QDragEnterEvent enter({10, up->viewport()->height() - 3}, Qt::MoveAction, mime.get(),
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(up->viewport(), &enter);
    timer->Fire();
    QCOMPARE(up->indexAt(QPoint(0, 0)).row(), 1);
    QCOMPARE(timer->starts, (std::vector<int>{300, 100}));
    for (int i = 0; i < 100 && timer->IsActive(); ++i)
        timer->Fire();
    QVERIFY(!timer->IsActive());
    QVERIFY(up->visualItemRect(up->topLevelItem(59)).bottom() <= up->viewport()->height());
    w.List(kHandPile)->EndDrag(Qt::IgnoreAction);
}

void CardDialogQtTest::passesGiveBackWhatDidNotGoOut() {
    Window w;
    w.dialog.SetPlayers({{"Ann", 5}});
    w.Deal({1, 2, 3, 4});
    CCardPileList* hand = w.List(kHandPile);
    Select(hand, {0, 2, 3});
    w.Click("passButton");
    QCOMPARE(Numbers(hand), std::vector<int>{2});
    QCOMPARE(w.host.records.back().Param1, 5);
    QCOMPARE(w.host.records.back().Strings,
             (std::vector<std::string>{"00001C1", "00003C3", "00004C4"}));
    // The hub passed only two of them: the third comes back.
    w.dialog.SettleOwnPass({"00001C1", "00004C4"});
    QCOMPARE(Numbers(hand), (std::vector<int>{2, 3}));

    // A pass that cannot go out keeps the cards: a random take for nobody,
    // or anything offline. (A random take that goes out is seen between two
    // windows in the app's tests.)
    QVERIFY(!w.dialog.GiveRandomCard(0));
    w.host.connected = false;
    QVERIFY(!w.dialog.GiveRandomCard(5));
    Select(hand, {0});
    w.dialog.PassSelected();
    QCOMPARE(Numbers(hand), (std::vector<int>{2, 3}));
    // Offline a drop still rearranges the lists; nothing is sent.
    std::unique_ptr<QMimeData> mime(hand->BeginDrag());
    QCOMPARE(DropAt(w.List(kFaceUpPile), mime.get(), QPoint(10, 10)), Qt::MoveAction);
    hand->EndDrag(Qt::MoveAction);
    QCOMPARE(Numbers(w.List(kFaceUpPile)), std::vector<int>{2});
    QCOMPARE(w.host.records.size(), size_t(1));
}

void CardDialogQtTest::buttonsAndMenuSendTheirRecordsOrTellWhyNot() {
    Window w;
    // A member who left is offered no more.
    w.dialog.SetPlayers({{"Ann", 5}, {"Bob", 7}, {"Cat", 9}});
    w.dialog.RemovePlayer(5);
    w.dialog.PassTarget()->setCurrentIndex(1);
    w.prompter.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::Yes};
    auto pressAll = [&] {
        for (const char* button :
             {"drawOpenButton", "drawHiddenButton", "randomTakeButton", "lookButton", "passButton"})
            w.Click(button);
        for (const char* action : {"shuffleDeck", "resetDiscard"})
            w.Trigger(action);
    };
    pressAll();
    // Nothing selected: no pass. The reset asks first, and No sends nothing.
    const std::vector<std::pair<std::int32_t, std::int32_t>> expected{
        {DrawCard, 0}, {ScreenCard, 0}, {RndmGet, 9}, {GetCardStat, 7}, {ShuffleDeck, 0}};
    std::vector<std::pair<std::int32_t, std::int32_t>> sent;
    for (const CMsg& m : w.host.records)
        sent.emplace_back(m.Type, m.Param1);
    QCOMPARE(sent, expected);
    w.Trigger("resetDiscard");
    QCOMPARE(w.host.records.back().Type, std::int32_t(ResetGrave));

    // Offline: draws, random takes, shuffles and resets say why nothing
    // happens; looks and passes stay silent.
    w.host.connected = false;
    w.host.records.clear();
    pressAll();
    QVERIFY(w.host.records.empty());
    QCOMPARE(w.host.notices, std::vector<std::string>(5, kOffline));
}

void CardDialogQtTest::recordsFollowTheDiscardLookAndNewDeck() {
    Window w;
    // Damaged entries are left out; moves between private piles leave the
    // discard list alone.
    CCardPileList* discard = w.List(kDiscardPile);
    w.dialog.FollowDiscardMove(0x0104, {"00003Ace", "00008Two", "bad"});
    w.dialog.FollowDiscardMove(0x0402, {"00003Ace"});
    w.dialog.FollowDiscardMove(0x0103, {"00009X"});
    QCOMPARE(Numbers(discard), std::vector<int>{8});

    // Bytes that are not code page 932 are kept, to name the card to the
    // hub, and shown replaced.
    w.dialog.AddToHand(3, "\xFF\xFFok");
    QCOMPARE(w.List(kHandPile)->Cards()[0].text, std::string("\xFF\xFFok"));
    QVERIFY(w.List(kHandPile)->topLevelItem(0)->text(0).contains(QChar(0xFFFD)));

    // A new connection's deck empties every list and forgets the look at
    // another member's piles.
    w.dialog.ShowCardStat(4, 1, {"Ace"});
    w.List(kFaceUpPile)->AppendCard({2, "x"});
    w.dialog.SetDeckLine(Sjis("タロット"), 22);
    for (int pile : {kHandPile, kFaceUpPile, kFaceDownPile, kDiscardPile})
        QVERIFY(w.List(pile)->Cards().empty());
    QCOMPARE(w.dialog.LookedFaceUpList()->count(), 0);
}

QTEST_MAIN(CardDialogQtTest)
#include "CardDialogQtTest.moc"
