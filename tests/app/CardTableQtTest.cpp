// Cards between two whole chat windows over a real hub: what each window's
// lists show must match what the hub decided, also when the members act at
// the same moment or the deck cannot be switched.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>
#include <map>
#include <memory>
#include <string>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "cards/CDeckBox.h"
#include "cards/qt/CCardDialog.h"
#include "chat/CommandIds.h"
#include "support/ChatPlayer.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

const std::map<std::string, std::string> kDeckFiles{
    {"Deck.ini",
     "[DeckSet]\r\n0=Four\r\n1=Three\r\n[Three]\r\nCardNum=3\r\n0=X\r\n1=Y\r\n2=Z\r\n"
     "[Four]\r\nCardNum=4\r\n0=A\r\n1=B\r\n2=C\r\n3=D\r\n"}};

struct Player : test::ChatPlayer<test::ScriptedPrompter> {
    explicit Player(const std::map<std::string, std::string>& files = {}) : ChatPlayer(files) {}
    CCardDialog& Cards() const { return *chat->CardWindow(); }
    CCardPileList* Pile(int pile) const { return Cards().List(pile); }
    int Count(int pile) const { return Pile(pile)->topLevelItemCount(); }
    void Click(const char* button) const {
        auto* b = Cards().findChild<QPushButton*>(QString::fromLatin1(button));
        QVERIFY(b != nullptr);
        b->click();
    }
    // Drags the first card of pile `from` onto the empty or last place of
    // pile `to`, as the mouse would.
    void DragFirst(int from, int to) const {
        CCardPileList* source = Pile(from);
        source->clearSelection();
        source->topLevelItem(0)->setSelected(true);
        std::unique_ptr<QMimeData> mime(source->BeginDrag());
        CCardPileList* target = Pile(to);
        const QPoint below(10, target->viewport()->height() - 20);
        const Qt::DropActions offered = Qt::MoveAction;
        QDragEnterEvent enter(below, offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target->viewport(), &enter);
        QDropEvent drop(QPointF(below), offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target->viewport(), &drop);
        QVERIFY(drop.isAccepted());
        source->EndDrag(drop.dropAction());
    }
};

QString Caption(int left, const char* deck) {
    return QStringLiteral("カード管理：%1(残り%2枚)").arg(QLatin1String(deck)).arg(left);
}

}  // namespace

class CardTableQtTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void aDiscardedCardTakenByTwoAtOnceEndsInOneHand();
    void aDeckSwitchThatCannotHappenTellsTheHostAndTakesNoCards();

  private:
    std::unique_ptr<Player> host_;
    std::unique_ptr<Player> guest_;
};

void CardTableQtTest::init() {
    host_ = std::make_unique<Player>(kDeckFiles);
    guest_ = std::make_unique<Player>();
    test::JoinBoth(*host_, *guest_);
    for (Player* p : {host_.get(), guest_.get()}) {
        QVERIFY(p->app->Frame().RunCommand(cmd::kUseCards));
        QTRY_VERIFY(p->Cards().isVisible());
    }
}

void CardTableQtTest::cleanup() {
    guest_.reset();
    host_.reset();
}

void CardTableQtTest::aDiscardedCardTakenByTwoAtOnceEndsInOneHand() {
    host_->Click("drawOpenButton");
    QTRY_COMPARE(host_->Count(kHandPile), 1);
    host_->DragFirst(kHandPile, kDiscardPile);
    QTRY_COMPARE(guest_->Count(kDiscardPile), 1);

    // Both take it before either hears of the other: the hub gives it to
    // whoever came first, and the other's window must not keep a copy.
    host_->DragFirst(kDiscardPile, kHandPile);
    guest_->DragFirst(kDiscardPile, kHandPile);
    host_->View().InputLine()->setPlainText(QStringLiteral("m1"));
    guest_->View().InputLine()->setPlainText(QStringLiteral("m2"));
    QTest::keyClick(host_->View().InputLine(), Qt::Key_Return);
    QTest::keyClick(guest_->View().InputLine(), Qt::Key_Return);
    for (Player* p : {host_.get(), guest_.get()}) {
        QTRY_VERIFY(p->LogHas("GM：m1"));
        QTRY_VERIFY(p->LogHas("PL：m2"));
    }
    QCOMPARE(host_->Count(kHandPile) + guest_->Count(kHandPile), 1);
    QCOMPARE(host_->Count(kDiscardPile) + guest_->Count(kDiscardPile), 0);
}

void CardTableQtTest::aDeckSwitchThatCannotHappenTellsTheHostAndTakesNoCards() {
    guest_->Click("drawOpenButton");
    QTRY_COMPARE(guest_->Count(kHandPile), 1);
    QTRY_COMPARE(host_->Cards().windowTitle(), Caption(3, "Four"));
    emit host_->Cards().findChild<QMenu*>(QStringLiteral("cardFunctionMenu"))->aboutToShow();
    QMenu* decks = host_->Cards().DeckMenu();
    QCOMPARE(decks->actions().size(), 2);

    // The file is gone and "Three" was never read: nothing changes, and the
    // host is told why, instead of every hand emptying while the hub keeps
    // the cards.
    QVERIFY(QFile::remove(QString::fromStdString(host_->Folder() + "Deck.ini")));
    decks->actions()[1]->trigger();
    QCOMPARE(host_->prompter.prompts.size(), size_t(1));
    QCOMPARE(host_->prompter.prompts[0].caption, Sjis("エラー"));
    QVERIFY(host_->prompter.prompts[0].text.find(Sjis("Three")) != std::string::npos);
    guest_->Say(QStringLiteral("marker"));
    QTRY_VERIFY(guest_->LogHas("PL：marker"));
    QCOMPARE(guest_->Count(kHandPile), 1);
    QCOMPARE(guest_->Cards().windowTitle(), Caption(3, "Four"));

    // "Four" was read when the hub started: it needs no file, and its cards
    // all come back.
    decks->actions()[0]->trigger();
    QTRY_COMPARE(guest_->Cards().windowTitle(), Caption(4, "Four"));
    QCOMPARE(guest_->Count(kHandPile), 0);
    QCOMPARE(host_->prompter.prompts.size(), size_t(1));
}

}  // namespace yarrow

QTEST_MAIN(yarrow::CardTableQtTest)
#include "CardTableQtTest.moc"
