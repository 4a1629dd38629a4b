// The card window offscreen: drag and drop between and within its pile lists
// (the drag's data, the drop events and the end of the drag, as QDrag would
// run them), the buttons and menu, and what the records tell it.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "CardFakes.h"
#include "cards/CCardSender.h"
#include "cards/CDeckBox.h"
#include "cards/qt/CCardDialog.h"
#include "platform/Cp932.h"
#include "platform/qt/QtCp932.h"
#include "support/FakeSession.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;
using namespace yarrow::test;

namespace {

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

void Select(CCardPileList* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int row : rows)
        list->topLevelItem(row)->setSelected(true);
}

struct Window {
    Window() : sender(host, host), dialog(sender, prompter, random) {
        host.myId = 2;
        host.myColor = 0x00FF00;
        host.speaker = "Me";
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    CCardPileList* List(int pile) const { return dialog.List(pile); }
    void Deal(std::initializer_list<int> numbers) {
        for (int n : numbers)
            dialog.AddToHand(n, "C" + std::to_string(n));
    }
    QPushButton* Button(const char* name) const {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QAction* Action(const char* name) const {
        return dialog.findChild<QAction*>(QString::fromLatin1(name));
    }

    FakeSession host;
    CCardSender sender;
    ScriptedPrompter prompter;
    FixedRandom random;
    CCardDialog dialog;
};

}  // namespace

class CardDialogQtTest : public QObject {
    Q_OBJECT
  private slots:
    void movingCardsBetweenListsSendsOneMove();
    void dropPositionsFollowTheInsertionRules();
    void aMoveWithinOneListOnlyRearrangesIt();
    void droppingItemsOntoThemselvesIsRefused();
    void dropsFromElsewhereAreRefused();
    void withoutAConnectionDropsStayLocal();
    void dragMarksTheItemAndScrollsNearTheEdges();
    void aLongCardWidensTheColumn();
    void buttonsSendTheirRecords();
    void passingTakesTheCardsOutAndTheHubsEchoSettlesThem();
    void giveRandomCardPassesTheDrawnPosition();
    void menuShufflesSortsResetsAndSwitchesDecks();
    void recordsFillSelectorsDiscardAndLook();
};

void CardDialogQtTest::movingCardsBetweenListsSendsOneMove() {
    Window w;
    w.Deal({4, 7, 9});
    CCardPileList* hand = w.List(kHandPile);
    CCardPileList* faceDown = w.List(kFaceDownPile);
    Select(hand, {1, 2});
    std::unique_ptr<QMimeData> mime(hand->BeginDrag());
    QVERIFY(mime);
    QVERIFY(mime->hasFormat(CCardPileList::MimeType()));
    // Dropped on the empty face-down list; the move ends the drag at the source.
    QCOMPARE(DropAt(faceDown, mime.get(), QPoint(10, 10)), Qt::MoveAction);
    hand->EndDrag(Qt::MoveAction);
    QCOMPARE(Numbers(hand), std::vector<int>{4});
    QCOMPARE(Numbers(faceDown), (std::vector<int>{7, 9}));
    // The last inserted item is selected.
    QVERIFY(faceDown->topLevelItem(1)->isSelected());
    QVERIFY(!faceDown->topLevelItem(0)->isSelected());
    QCOMPARE(w.host.records.size(), size_t(1));
    const CMsg& move = w.host.records[0];
    QCOMPARE(move.Type, std::int32_t(MoveCard));
    QCOMPARE(move.Param1, 0x0103);
    QCOMPARE(move.Name, std::string("Me"));
    QCOMPARE(move.ID, 2);
    QCOMPARE(move.Strings, (std::vector<std::string>{"00007C7", "00009C9"}));

    // Holding Ctrl still moves: a card is never in two piles.
    Select(faceDown, {0});
    mime.reset(faceDown->BeginDrag());
    QCOMPARE(DropAt(w.List(kDiscardPile), mime.get(), QPoint(10, 10), Qt::ControlModifier),
             Qt::MoveAction);
    faceDown->EndDrag(Qt::MoveAction);
    QCOMPARE(Numbers(faceDown), std::vector<int>{9});
    QCOMPARE(w.host.records.back().Param1, 0x0304);
}

void CardDialogQtTest::dropPositionsFollowTheInsertionRules() {
    struct Case {
        const char* name;
        int dropRow;  // -1: below the last item, -2: beside the items
        std::vector<int> expected;
        bool accepted;
    };
    const Case cases[] = {
        {"before the first", 0, {1, 10, 11, 12}, true},
        {"before the last", 2, {10, 11, 1, 12}, true},
        {"below the last", -1, {10, 11, 12, 1}, true},
        {"beside the items", -2, {10, 11, 12}, false},
    };
    for (const Case& c : cases) {
        Window w;
        w.Deal({1});
        CCardPileList* up = w.List(kFaceUpPile);
        up->InsertCards(0, {{10, "a"}, {11, "b"}, {12, "c"}});
        Select(w.List(kHandPile), {0});
        std::unique_ptr<QMimeData> mime(w.List(kHandPile)->BeginDrag());
        QPoint at;
        if (c.dropRow >= 0) {
            at = OnRow(up, c.dropRow);
        } else if (c.dropRow == -1) {
            at = QPoint(10, up->visualItemRect(up->topLevelItem(2)).bottom() + 20);
        } else {
            // Right of the one column, on the rows: no item and not above or below them.
            at = QPoint(up->columnWidth(0) + 20, OnRow(up, 1).y());
        }
        const Qt::DropAction action = DropAt(up, mime.get(), at);
        QVERIFY2((action == Qt::MoveAction) == c.accepted, c.name);
        w.List(kHandPile)->EndDrag(action);
        QVERIFY2(Numbers(up) == c.expected, c.name);
        QCOMPARE(Numbers(w.List(kHandPile)).size(), c.accepted ? size_t(0) : size_t(1));
        QCOMPARE(w.host.records.size(), c.accepted ? size_t(1) : size_t(0));
    }
    // The zone above the first visible item, which a pointer inside the list
    // cannot reach, and refused positions.
    QCOMPARE(DropInsertIndex(DropZone::AboveFirstVisible, -1, 5), 0);
    QCOMPARE(DropInsertIndex(DropZone::OnItem, 5, 5), -1);
    QCOMPARE(DropInsertIndex(DropZone::Elsewhere, 2, 5), -1);
}

void CardDialogQtTest::aMoveWithinOneListOnlyRearrangesIt() {
    Window w;
    w.Deal({1, 2, 3, 4});
    CCardPileList* hand = w.List(kHandPile);
    Select(hand, {0, 1});
    std::unique_ptr<QMimeData> mime(hand->BeginDrag());
    QCOMPARE(DropAt(hand, mime.get(), OnRow(hand, 3)), Qt::MoveAction);
    hand->EndDrag(Qt::MoveAction);
    QCOMPARE(Numbers(hand), (std::vector<int>{3, 1, 2, 4}));
    QVERIFY(hand->topLevelItem(2)->isSelected());
    QVERIFY(w.host.records.empty());
}

void CardDialogQtTest::droppingItemsOntoThemselvesIsRefused() {
    Window w;
    w.Deal({1, 2, 3, 4});
    CCardPileList* hand = w.List(kHandPile);
    for (int row : {1, 2, 3}) {
        Select(hand, {1, 3});
        std::unique_ptr<QMimeData> mime(hand->BeginDrag());
        QCOMPARE(DropAt(hand, mime.get(), OnRow(hand, row)), Qt::IgnoreAction);
        hand->EndDrag(Qt::IgnoreAction);
        QCOMPARE(Numbers(hand), (std::vector<int>{1, 2, 3, 4}));
    }
    // Told once each drag is over.
    QTRY_COMPARE(w.prompter.prompts.size(), size_t(3));
    QCOMPARE(w.prompter.prompts[0].text, std::string("An item can't be dropped onto itself"));
    QVERIFY(w.host.records.empty());
}

void CardDialogQtTest::dropsFromElsewhereAreRefused() {
    Window w;
    Window other;
    other.Deal({5});
    Select(other.List(kHandPile), {0});
    std::unique_ptr<QMimeData> foreign(other.List(kHandPile)->BeginDrag());
    // Another card window's cards are not this member's.
    QCOMPARE(DropAt(w.List(kHandPile), foreign.get(), QPoint(10, 10)), Qt::IgnoreAction);
    QVERIFY(w.List(kHandPile)->Cards().empty());

    // Damaged data of the right type, and plain text.
    QMimeData damaged;
    damaged.setData(CCardPileList::MimeType(), QByteArray("\x01\x02garbage", 9));
    QCOMPARE(DropAt(w.List(kHandPile), &damaged, QPoint(10, 10)), Qt::IgnoreAction);
    QMimeData text;
    text.setText(QStringLiteral("00001Ace"));
    QCOMPARE(DropAt(w.List(kHandPile), &text, QPoint(10, 10)), Qt::IgnoreAction);
    QVERIFY(w.List(kHandPile)->Cards().empty());
    QVERIFY(w.host.records.empty());
}

void CardDialogQtTest::withoutAConnectionDropsStayLocal() {
    Window w;
    w.host.connected = false;
    w.Deal({1, 2});
    Select(w.List(kHandPile), {0});
    std::unique_ptr<QMimeData> mime(w.List(kHandPile)->BeginDrag());
    QCOMPARE(DropAt(w.List(kFaceUpPile), mime.get(), QPoint(10, 10)), Qt::MoveAction);
    w.List(kHandPile)->EndDrag(Qt::MoveAction);
    QCOMPARE(Numbers(w.List(kFaceUpPile)), std::vector<int>{1});
    QVERIFY(w.host.records.empty());
    // A pass that cannot go out keeps the cards in the hand.
    w.dialog.SetPlayers({{"Ann", 5}});
    Select(w.List(kHandPile), {0});
    w.dialog.PassSelected();
    QCOMPARE(Numbers(w.List(kHandPile)), std::vector<int>{2});
    // Draws tell the user why nothing happens.
    w.dialog.DrawOpen();
    QCOMPARE(w.host.notices,
             std::vector<std::string>{Sjis("◇ この機能はサーバに接続していないと使用できません")});
}

void CardDialogQtTest::dragMarksTheItemAndScrollsNearTheEdges() {
    Window w;
    CCardPileList* up = w.List(kFaceUpPile);
    auto* timer = new ManualScrollTimer;
    up->SetScrollTimer(std::unique_ptr<IScrollTimer>(timer));
    for (int i = 0; i < 60; ++i)
        up->AppendCard({i, "card " + std::to_string(i)});
    w.Deal({100});
    Select(w.List(kHandPile), {0});
    std::unique_ptr<QMimeData> mime(w.List(kHandPile)->BeginDrag());
    const Qt::DropActions offered = Qt::MoveAction;

    QDragEnterEvent enter(OnRow(up, 2), offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(up->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(up->DropMarkRow(), 2);
    QVERIFY(!timer->IsActive());

    // Near the bottom edge: a line after 300 ms, then every 100 ms.
    const QPoint bottom(10, up->viewport()->height() - 3);
    QDragMoveEvent nearBottom(bottom, offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(up->viewport(), &nearBottom);
    QVERIFY(timer->IsActive());
    QCOMPARE(timer->starts, std::vector<int>{300});
    const QModelIndex top = up->indexAt(QPoint(0, 0));
    timer->Fire();
    QCOMPARE(up->indexAt(QPoint(0, 0)).row(), top.row() + 1);
    QCOMPARE(timer->starts, (std::vector<int>{300, 100}));
    // Until the top item no longer changes.
    for (int i = 0; i < 100 && timer->IsActive(); ++i)
        timer->Fire();
    QVERIFY(!timer->IsActive());
    // The list stopped at its end: the last card is in view.
    QVERIFY(up->visualItemRect(up->topLevelItem(59)).bottom() <= up->viewport()->height());

    // Near the top edge it scrolls back; leaving the edge stops it.
    QDragMoveEvent nearTop(QPoint(10, 2), offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(up->viewport(), &nearTop);
    const int before = up->indexAt(QPoint(0, 0)).row();
    timer->Fire();
    QCOMPARE(up->indexAt(QPoint(0, 0)).row(), before - 1);
    QDragMoveEvent middle(QPoint(10, up->viewport()->height() / 2), offered, mime.get(),
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(up->viewport(), &middle);
    QVERIFY(!timer->IsActive());

    QDragLeaveEvent leave;
    QApplication::sendEvent(up->viewport(), &leave);
    QCOMPARE(up->DropMarkRow(), -1);
    w.List(kHandPile)->EndDrag(Qt::IgnoreAction);
}

void CardDialogQtTest::aLongCardWidensTheColumn() {
    Window w;
    CCardPileList* hand = w.List(kHandPile);
    QCOMPARE(hand->columnWidth(0), CCardPileList::kInitialColumnWidth);
    hand->AppendCard({1, "short"});
    QCOMPARE(hand->columnWidth(0), CCardPileList::kInitialColumnWidth);
    const std::string text = Sjis("とても長い名前のカードで列の幅を超えるもの");
    w.dialog.AddToHand(2, text);
    const int width = hand->fontMetrics().horizontalAdvance(FromCp932(text));
    QVERIFY(width > CCardPileList::kInitialColumnWidth);
    QCOMPARE(hand->columnWidth(0), width + CCardPileList::kColumnPadding);
    // Bytes that are not code page 932 are kept and shown replaced.
    w.dialog.AddToHand(3, "\xFF\xFFok");
    QCOMPARE(hand->Cards().back().text, std::string("\xFF\xFFok"));
    QVERIFY(hand->topLevelItem(2)->text(0).contains(QChar(0xFFFD)));
}

void CardDialogQtTest::buttonsSendTheirRecords() {
    Window w;
    w.dialog.SetPlayers({{"Ann", 5}, {"Bob", 7}});
    QTest::mouseClick(w.Button("drawOpenButton"), Qt::LeftButton);
    QTest::mouseClick(w.Button("drawHiddenButton"), Qt::LeftButton);
    w.dialog.PassTarget()->setCurrentIndex(1);
    QTest::mouseClick(w.Button("randomTakeButton"), Qt::LeftButton);
    QTest::mouseClick(w.Button("lookButton"), Qt::LeftButton);
    QCOMPARE(w.host.records.size(), size_t(4));
    QCOMPARE(w.host.records[0].Type, std::int32_t(DrawCard));
    QCOMPARE(w.host.records[0].Color, 0x00FF00);
    QCOMPARE(w.host.records[1].Type, std::int32_t(ScreenCard));
    QCOMPARE(w.host.records[2].Type, std::int32_t(RndmGet));
    QCOMPARE(w.host.records[2].Param1, 7);
    QCOMPARE(w.host.records[3].Type, std::int32_t(GetCardStat));
    QCOMPARE(w.host.records[3].Param1, 5);
    // Without a member to ask, nothing goes out.
    w.dialog.SetPlayers({});
    QTest::mouseClick(w.Button("randomTakeButton"), Qt::LeftButton);
    QTest::mouseClick(w.Button("lookButton"), Qt::LeftButton);
    QTest::mouseClick(w.Button("passButton"), Qt::LeftButton);
    QCOMPARE(w.host.records.size(), size_t(4));
    // OK hides the window.
    QTest::mouseClick(w.Button("okButton"), Qt::LeftButton);
    QVERIFY(!w.dialog.isVisible());
}

void CardDialogQtTest::passingTakesTheCardsOutAndTheHubsEchoSettlesThem() {
    Window w;
    w.dialog.SetPlayers({{"Ann", 5}});
    w.Deal({1, 2, 3, 4});
    CCardPileList* hand = w.List(kHandPile);
    Select(hand, {0, 2, 3});
    QTest::mouseClick(w.Button("passButton"), Qt::LeftButton);
    QCOMPARE(Numbers(hand), std::vector<int>{2});
    QCOMPARE(w.host.records.back().Type, std::int32_t(PassCard));
    QCOMPARE(w.host.records.back().Param1, 5);
    QCOMPARE(w.host.records.back().Strings,
             (std::vector<std::string>{"00001C1", "00003C3", "00004C4"}));
    // The hub passed only two of them: the third comes back.
    w.dialog.SettleOwnPass({"00001C1", "00004C4"});
    QCOMPARE(Numbers(hand), (std::vector<int>{2, 3}));
    // Nothing selected: nothing happens.
    hand->clearSelection();
    w.dialog.PassSelected();
    QCOMPARE(w.host.records.size(), size_t(1));
}

void CardDialogQtTest::giveRandomCardPassesTheDrawnPosition() {
    Window w;
    w.Deal({10, 20, 30});
    w.random.draws = {7};  // 7 % 3 = 1
    w.dialog.GiveRandomCard(9);
    QCOMPARE(Numbers(w.List(kHandPile)), (std::vector<int>{10, 30}));
    QCOMPARE(w.host.records.back().Type, std::int32_t(PassCard));
    QCOMPARE(w.host.records.back().Param1, 9);
    QCOMPARE(w.host.records.back().Strings, std::vector<std::string>{"00020C20"});
    w.dialog.SettleOwnPass({"00020C20"});
    QCOMPARE(Numbers(w.List(kHandPile)), (std::vector<int>{10, 30}));
}

void CardDialogQtTest::menuShufflesSortsResetsAndSwitchesDecks() {
    Window w;
    w.Deal({5, 1, 3});
    w.Action("sortHand")->trigger();
    QCOMPARE(Numbers(w.List(kHandPile)), (std::vector<int>{1, 3, 5}));
    w.Action("shuffleDeck")->trigger();
    QCOMPARE(w.host.records.back().Type, std::int32_t(ShuffleDeck));
    QCOMPARE(w.host.records.back().Text, std::string());
    // The reset asks first.
    w.prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
    w.Action("resetDiscard")->trigger();
    QCOMPARE(w.host.records.size(), size_t(1));
    w.Action("resetDiscard")->trigger();
    QCOMPARE(w.host.records.back().Type, std::int32_t(ResetGrave));
    QCOMPARE(w.prompter.prompts[0].text,
             Sjis("捨て札を全て山札に戻し、シャッフルします\r\nよろしいですか？"));
    QCOMPARE(w.prompter.prompts[0].caption, Sjis("確認"));
    QCOMPARE(w.prompter.prompts[0].icon, PromptIcon::Question);

    // The deck switch is offered while this window's program runs the hub.
    std::vector<int> switched;
    bool hosting = true;
    w.dialog.SetDeckSwitch([&](int index) { switched.push_back(index); }, [&] { return hosting; });
    w.dialog.SetDeckSetNames({Sjis("トランプ"), Sjis("タロット")});
    QVERIFY(w.dialog.DeckMenu()->menuAction()->isVisible());
    const QList<QAction*> items = w.dialog.DeckMenu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[1]->text(), QStringLiteral("タロット(&1)"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("40001"));
    items[1]->trigger();
    QCOMPARE(switched, std::vector<int>{1});
    hosting = false;
    emit w.dialog.findChild<QMenu*>(QStringLiteral("cardFunctionMenu"))->aboutToShow();
    QVERIFY(!w.dialog.DeckMenu()->menuAction()->isVisible());
}

void CardDialogQtTest::recordsFillSelectorsDiscardAndLook() {
    Window w;
    w.dialog.SetDeckLine(Sjis("トランプ"), 54);
    QCOMPARE(w.dialog.windowTitle(), QStringLiteral("カード管理：トランプ(残り54枚)"));
    w.dialog.SetCardsLeft(53);
    QCOMPARE(w.dialog.windowTitle(), QStringLiteral("カード管理：トランプ(残り53枚)"));

    w.dialog.SetPlayers({{"Ann", 5}, {Sjis("ボブ"), 7}});
    for (QComboBox* combo : {w.dialog.PassTarget(), w.dialog.LookTarget()}) {
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(combo->itemText(1), QStringLiteral("ボブ"));
    }
    w.dialog.RemovePlayer(5);
    QCOMPARE(w.dialog.PassTarget()->count(), 1);
    QCOMPARE(w.dialog.LookTarget()->currentData().toInt(), 7);

    CCardPileList* discard = w.List(kDiscardPile);
    w.dialog.FollowDiscardMove(0x0104, {"00003Ace", "00008Two", "bad"});
    QCOMPARE(Numbers(discard), (std::vector<int>{3, 8}));
    w.dialog.FollowDiscardMove(0x0402, {"00003Ace"});
    QCOMPARE(Numbers(discard), std::vector<int>{8});
    // Moves between private piles leave the discard list alone.
    w.dialog.FollowDiscardMove(0x0103, {"00009X"});
    QCOMPARE(Numbers(discard), std::vector<int>{8});
    w.dialog.ClearDiscard();
    QVERIFY(discard->Cards().empty());

    QCOMPARE(w.dialog.HandCountLabel()->text(), QStringLiteral("手札：0枚"));
    w.dialog.ShowCardStat(4, 1, {"Ace", "Two"});
    QCOMPARE(w.dialog.HandCountLabel()->text(), QStringLiteral("手札：4枚"));
    QCOMPARE(w.dialog.FaceDownCountLabel()->text(), QStringLiteral("場札(伏)：1枚"));
    QCOMPARE(w.dialog.LookedFaceUpList()->count(), 2);
    QCOMPARE(w.dialog.LookedFaceUpList()->item(1)->text(), QStringLiteral("Two"));

    w.Deal({1});
    w.List(kFaceUpPile)->AppendCard({2, "x"});
    w.dialog.ResetDeck(Sjis("タロット"), 22);
    QCOMPARE(w.dialog.windowTitle(), QStringLiteral("カード管理：タロット(残り22枚)"));
    for (int pile : {kHandPile, kFaceUpPile, kFaceDownPile, kDiscardPile})
        QVERIFY(w.List(pile)->Cards().empty());
    // The look at another member's piles is forgotten with them.
    QCOMPARE(w.dialog.HandCountLabel()->text(), QStringLiteral("手札：0枚"));
    QCOMPARE(w.dialog.LookedFaceUpList()->count(), 0);
}

QTEST_MAIN(CardDialogQtTest)
#include "CardDialogQtTest.moc"
