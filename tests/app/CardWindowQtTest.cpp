// The card window in two whole chat windows of one process, joined over TCP
// through the host's own hub: what the buttons and drops send, what the
// records the hub answers make of each window's piles, the host's deck
// switch, and what the hub keeps for newcomers.

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "cards/CDeckBox.h"
#include "cards/qt/CCardDialog.h"
#include "chat/CommandIds.h"
#include "chat/qt/CPlayerListView.h"
#include "net/CClientSession.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/QtCp932.h"
#include "support/ChatPlayer.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

// Twenty cards "Card0".."Card19" and a set of three.
const char kDeckIni[] =
    "[DeckSet]\r\n0=Twenty\r\n1=Three\r\n[Three]\r\nCardNum=3\r\n0=X\r\n1=Y\r\n2=Z\r\n"
    "[Twenty]\r\nCardNum=20\r\n";

std::map<std::string, std::string> DeckFiles(bool withDeck) {
    if (!withDeck)
        return {};
    std::string bytes(kDeckIni);
    for (int i = 0; i < 20; ++i)
        bytes += std::to_string(i) + "=Card" + std::to_string(i) + "\r\n";
    return {{"Deck.ini", bytes}};
}

struct Player : test::ChatPlayer<test::ScriptedPrompter> {
    explicit Player(bool withDeck = false) : ChatPlayer(DeckFiles(withDeck)) {}

    CCardDialog& Cards() const { return *chat->CardWindow(); }
    CCardPileList* Pile(int pile) const { return Cards().List(pile); }
    int Count(int pile) const { return Pile(pile)->topLevelItemCount(); }
    std::string Text(int pile, int row) const { return Pile(pile)->Cards()[row].text; }
    void Click(const char* button) const {
        auto* b = Cards().findChild<QPushButton*>(QString::fromLatin1(button));
        QVERIFY(b != nullptr);
        b->click();
    }
    void Choose(QComboBox* combo, std::int32_t id) const {
        combo->setCurrentIndex(combo->findData(id));
        QVERIFY(combo->currentIndex() >= 0);
    }
};

// Drags the selected cards of `from` onto the empty list `to`, as a user's
// move would go, and ends the drag at the source.
void Drag(CCardPileList* from, CCardPileList* to) {
    std::unique_ptr<QMimeData> mime(from->BeginDrag());
    QVERIFY(mime);
    const QPoint below(10, 10);
    const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
    QDragEnterEvent enter(below, offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(to->viewport(), &enter);
    QDragMoveEvent move(below, offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(to->viewport(), &move);
    QDropEvent drop(QPointF(below), offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(to->viewport(), &drop);
    QVERIFY(drop.isAccepted());
    from->EndDrag(Qt::MoveAction);
}

QString Caption(int left, const char* deck = "Twenty") {
    return QStringLiteral("カード管理：%1(残り%2枚)").arg(QLatin1String(deck)).arg(left);
}

}  // namespace

class CardWindowQtTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void drawMoveLookAndPassBetweenTwoWindows();
    void aRandomTakeIsAlwaysAnswered();
    void onlyTheHostSwitchesDecksForEverybody();

  private:
    std::unique_ptr<Player> host_;
    std::unique_ptr<Player> guest_;
};

void CardWindowQtTest::init() {
    host_ = std::make_unique<Player>(true);
    guest_ = std::make_unique<Player>();
    test::JoinBoth(*host_, *guest_);
    // Each window's selectors hold the other member only.
    QTRY_COMPARE(guest_->Cards().PassTarget()->count(), 1);
    QTRY_COMPARE(host_->Cards().LookTarget()->count(), 1);
    QCOMPARE(guest_->Cards().PassTarget()->currentData().toInt(), 1);
    QCOMPARE(host_->Cards().LookTarget()->currentData().toInt(), 2);
    QCOMPARE(guest_->Cards().windowTitle(), Caption(20));
}

void CardWindowQtTest::cleanup() {
    guest_.reset();
    host_.reset();
}

void CardWindowQtTest::drawMoveLookAndPassBetweenTwoWindows() {
    // The frame menu's item opens the window; closing only hides it.
    CMainFrame& frame = guest_->app->Frame();
    QVERIFY(frame.RunCommand(cmd::kUseCards));
    QTRY_VERIFY(guest_->Cards().isVisible());
    guest_->Cards().close();
    QVERIFY(!guest_->Cards().isVisible());
    QVERIFY(guest_->chat->CardWindow() != nullptr);

    // An open draw: the drawer's hand, everybody's count.
    guest_->Click("drawOpenButton");
    QTRY_COMPARE(guest_->Count(kHandPile), 1);
    const std::string first = guest_->Text(kHandPile, 0);
    QTRY_COMPARE(host_->Cards().windowTitle(), Caption(19));
    QTRY_VERIFY(host_->LogHas("PL(カード)：" + first + "を引きました"));

    // A hidden draw: the others see the fixed line and the count only.
    host_->Click("drawHiddenButton");
    QTRY_COMPARE(host_->Count(kHandPile), 1);
    const std::string hidden = host_->Text(kHandPile, 0);
    QTRY_VERIFY(guest_->LogHas("GM(隠しカード)：カードを1枚引きました"));
    QTRY_COMPARE(guest_->Cards().windowTitle(), Caption(18));
    const std::string hiddenShown = "GM(カード)：" + hidden + "を引きました";
    QVERIFY(!guest_->LogHas(hiddenShown));
    QVERIFY(host_->LogHas(hiddenShown));

    // "$CARD" from the dice box draws like the open button.
    guest_->app->Frame().ChatView()->DiceCombo()->setEditText(QStringLiteral("$CARD"));
    guest_->app->Frame().ChatView()->DiceButton()->click();
    QTRY_COMPARE(guest_->Count(kHandPile), 2);

    // The guest lays its first card face up; the host looks at it.
    guest_->Pile(kHandPile)->topLevelItem(0)->setSelected(true);
    Drag(guest_->Pile(kHandPile), guest_->Pile(kFaceUpPile));
    QCOMPARE(guest_->Count(kFaceUpPile), 1);
    QTRY_VERIFY(host_->LogHas("PL(カード)：" + first + "を手札から場札(公)に移動しました"));
    host_->Click("lookButton");
    QTRY_COMPARE(host_->Cards().LookedFaceUpList()->count(), 1);
    QCOMPARE(host_->Cards().LookedFaceUpList()->item(0)->text(), FromCp932(first));

    // The guest draws one more and passes both hand cards to the host.
    guest_->Click("drawHiddenButton");
    QTRY_COMPARE(guest_->Count(kHandPile), 2);
    guest_->Pile(kHandPile)->selectAll();
    guest_->Click("passButton");
    QCOMPARE(guest_->Count(kHandPile), 0);
    QTRY_COMPARE(host_->Count(kHandPile), 3);  // with its own hidden card
    QTRY_VERIFY(guest_->LogHas("PL(カード)：カードをGMに2枚渡しました"));

    // A newcomer's past log shows what a member who did not act saw.
    Player late;
    QVERIFY(late.Connect(CommandLineRequest::Mode::Join, host_->chat->Session().PortNum(), "NPC"));
    QTRY_VERIFY(late.LogHas("過去ログ"));
    QVERIFY(late.LogHas("GM(隠しカード)：カードを1枚引きました"));
    QVERIFY(late.LogHas("カードをGMに2枚渡しました"));
    QVERIFY(!late.LogHas(hiddenShown));
    QCOMPARE(late.Cards().windowTitle(), Caption(16));
}

void CardWindowQtTest::aRandomTakeIsAlwaysAnswered() {
    host_->Click("drawOpenButton");
    QTRY_COMPARE(host_->Count(kHandPile), 1);
    const std::string card = host_->Text(kHandPile, 0);
    const std::string refusal = "GM(カード)：PL からのカード譲渡要求を拒否しました";

    // No keeps the card and refuses.
    host_->prompter.answers = {PromptAnswer::No};
    guest_->Click("randomTakeButton");
    QTRY_VERIFY(guest_->LogHas(refusal));
    QCOMPARE(host_->Count(kHandPile), 1);
    QCOMPARE(host_->prompter.prompts.back().text,
             Sjis("PL からカードの譲渡要求があります。\r\n譲渡しますか？"));

    // Yes hands the card over.
    host_->prompter.answers = {PromptAnswer::Yes};
    guest_->Click("randomTakeButton");
    QTRY_COMPARE(guest_->Count(kHandPile), 1);
    QCOMPARE(guest_->Text(kHandPile, 0), card);
    QCOMPARE(host_->Count(kHandPile), 0);

    // Yes with an empty hand still answers: with the refusal.
    const std::size_t prompts = host_->prompter.prompts.size();
    host_->prompter.answers = {PromptAnswer::Yes};
    guest_->Click("randomTakeButton");
    QTRY_COMPARE(host_->prompter.prompts.size(), prompts + 1);
    QTRY_VERIFY(guest_->LogText().find(Sjis(refusal)) != guest_->LogText().rfind(Sjis(refusal)));
}

void CardWindowQtTest::onlyTheHostSwitchesDecksForEverybody() {
    guest_->Click("drawOpenButton");
    QTRY_COMPARE(guest_->Count(kHandPile), 1);

    for (Player* p : {host_.get(), guest_.get()})
        emit p->Cards().findChild<QMenu*>(QStringLiteral("cardFunctionMenu"))->aboutToShow();
    QVERIFY(!guest_->Cards().DeckMenu()->menuAction()->isVisible());
    QMenu* decks = host_->Cards().DeckMenu();
    QVERIFY(decks->menuAction()->isVisible());
    QCOMPARE(decks->actions().size(), 2);
    QCOMPARE(decks->actions()[1]->text(), QStringLiteral("Three(&1)"));

    decks->actions()[1]->trigger();
    QTRY_COMPARE(guest_->Cards().windowTitle(), Caption(3, "Three"));
    QCOMPARE(guest_->Count(kHandPile), 0);
    QTRY_COMPARE(host_->Cards().windowTitle(), Caption(3, "Three"));
    guest_->Click("drawOpenButton");
    QTRY_COMPARE(guest_->Count(kHandPile), 1);
    const std::string drawn = guest_->Text(kHandPile, 0);
    QVERIFY(drawn == "X" || drawn == "Y" || drawn == "Z");
}

}  // namespace yarrow

QTEST_MAIN(yarrow::CardWindowQtTest)
#include "CardWindowQtTest.moc"
