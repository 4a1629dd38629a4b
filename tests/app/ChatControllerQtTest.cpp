// Two whole chat windows in one process, as two players would use them: one
// hosts (its own hub, joined over TCP like everybody else), the other joins;
// they talk, roll, whisper, call, share the chart and the cards, and leave.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "cards/CDeckBox.h"
#include "cards/qt/CCardDialog.h"
#include "chart/qt/CChartWindow.h"
#include "chat/CChatLog.h"
#include "chat/CCountdown.h"
#include "chat/CDebugCodes.h"
#include "chat/CMemberList.h"
#include "chat/CommandIds.h"
#include "chat/qt/CConnectDialog.h"
#include "chat/qt/COptionPropSheet.h"
#include "chat/qt/CWhisperWindow.h"
#include "net/CDispatcher.h"
#include "platform/qt/QtCp932.h"
#include "support/ChatPlayer.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

// A deck of four cards and a set of three.
const std::map<std::string, std::string> kDeckFiles{
    {"Deck.ini",
     "[DeckSet]\r\n0=Four\r\n1=Three\r\n[Three]\r\nCardNum=3\r\n0=X\r\n1=Y\r\n2=Z\r\n"
     "[Four]\r\nCardNum=4\r\n0=A\r\n1=B\r\n2=C\r\n3=D\r\n"}};

// One player's program: its own folder, frame, chat view and controller.
struct Player : test::ChatPlayer<test::ScriptedPrompter> {
    explicit Player(const std::map<std::string, std::string>& files = {}) : ChatPlayer(files) {}
    void Roll(const QString& text) {
        View().DiceCombo()->setEditText(text);
        View().DiceButton()->click();
    }
    CCardDialog& Cards() const { return *chat->CardWindow(); }
    CCardPileList* Pile(int pile) const { return Cards().List(pile); }
    int Count(int pile) const { return Pile(pile)->topLevelItemCount(); }
    std::string Text(int pile, int row) const { return Pile(pile)->Cards()[row].text; }
    void Click(const char* button) const {
        auto* b = Cards().findChild<QPushButton*>(QString::fromLatin1(button));
        QVERIFY(b != nullptr);
        b->click();
    }
};

QString Caption(int left, const char* deck = "Four") {
    return QStringLiteral("カード管理：%1(残り%2枚)").arg(QLatin1String(deck)).arg(left);
}

// Runs `act` on the modal dialog of type D as soon as it is open (its exec()
// is running); `act` closes it.
template <class D>
void WhenModal(std::function<void(D&)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start(10);
}

}  // namespace

class ChatControllerQtTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void linesRollsAndWhispersReachTheOtherWindowUntilTheHostLeaves();
    void joinLinksFillTheDialogOrExplainWhyNot();
    void countdownAndMemberCheckRunOnTheWindowTimers();
    void typedExpressionsAndSubHandleNamesAreTakenAsTyped();
    void anOpenWhisperWindowFollowsWhoJoinsAndLeaves();
    void callAlertsWithoutUnmaximisingUnderTheOneHandleName();
    void autoShownChartLeavesTheFocusWithTheInputLine();
    void frameCommandsOpenTheWindowsCentredOnTheView();
    void cardsDrawAndPassBetweenTheWindows();
    void aRandomTakeIsAlwaysAnsweredAndOnlyTheHostSwitchesDecks();

  private:
    std::unique_ptr<Player> host_;
    std::unique_ptr<Player> guest_;
};

void ChatControllerQtTest::init() {
    host_ = std::make_unique<Player>(kDeckFiles);
    guest_ = std::make_unique<Player>();
    test::JoinBoth(*host_, *guest_);
}

void ChatControllerQtTest::cleanup() {
    guest_.reset();
    host_.reset();
}

void ChatControllerQtTest::linesRollsAndWhispersReachTheOtherWindowUntilTheHostLeaves() {
    guest_->Say(QStringLiteral("こんにちは"));
    QTRY_VERIFY(host_->LogHas("PL：こんにちは"));
    QTRY_VERIFY(guest_->LogHas("PL：こんにちは"));  // the sender sees the echo
    QVERIFY(guest_->View().InputLine()->toPlainText().isEmpty());
    // Typing a sub-handle name means speaking under it.
    QTest::keyClicks(guest_->View().SubHandleNameCombo()->lineEdit(), QStringLiteral("Elf"));
    guest_->Say(QStringLiteral("やあ"));
    QTRY_VERIFY(host_->LogHas("Elf：やあ"));

    host_->Roll(QStringLiteral("2D6"));
    QTRY_VERIFY(guest_->LogHas("GM(ダイス)："));
    // One click, one roll: the button and its command must not both roll.
    // Records arrive in order, so a second roll would be in before this line.
    host_->Say(QStringLiteral("marker"));
    QTRY_VERIFY(guest_->LogHas("GM：marker"));
    const std::string log = guest_->LogText();
    const std::string line = Sjis("GM(ダイス)：");
    QCOMPARE(log.find(line), log.rfind(line));

    // A whisper from the guest to the host, double-clicked in the list.
    emit guest_->chat->PlayerList()->WhisperRequested(1);
    CWhisperWindow* whisper = guest_->chat->WhisperWindow();
    QTRY_VERIFY(whisper->isVisible());
    whisper->TextEdit()->setPlainText(QStringLiteral("内緒"));
    QTest::keyClick(whisper->TextEdit(), Qt::Key_Return);
    QTRY_VERIFY(host_->LogHas("PL->GM(秘話)：内緒"));
    QVERIFY(guest_->LogHas("PL->GM(秘話)：内緒"));

    // The host leaves. Offline, a remark is only shown locally; a call or a
    // whisper does nothing at all.
    QVERIFY(host_->chat->Session().Disconnect(false));
    QTRY_VERIFY(guest_->LogHas("サーバとの接続が切断されました"));
    QTRY_COMPARE(guest_->chat->Session().State(), SessionState::Orphaned);
    guest_->Say(QStringLiteral("誰かいる？"));
    QVERIFY(guest_->LogHas("Elf：誰かいる？"));  // still under the sub-handle name
    const std::string before = guest_->LogText();
    emit guest_->chat->PlayerList()->CallRequested(1);
    whisper->TextEdit()->setPlainText(QStringLiteral("内緒"));
    QVERIFY(!whisper->SendWhisperNow());
    QCoreApplication::processEvents();
    QCOMPARE(guest_->LogText(), before);
}

void ChatControllerQtTest::joinLinksFillTheDialogOrExplainWhyNot() {
    const std::string hub =
        "yarrow://127.0.0.1:" + std::to_string(host_->chat->Session().PortNum());
    Player joiner;
    // An unusable link: its message, and no attempt.
    QVERIFY(!joiner.chat->ConnectFromCommandLine(ParseCommandLine({hub + "/room"})));
    QCOMPARE(joiner.prompter.prompts.size(), std::size_t(1));
    QVERIFY(joiner.prompter.prompts[0].text.find(Sjis("参加リンク")) != std::string::npos);
    QVERIFY(!joiner.chat->Session().IsConnecting() && !joiner.chat->Session().IsConnected());

    // A link without a name: the dialog opens as a client of the link's hub.
    QString shown;
    WhenModal<CConnectDialog>([&](CConnectDialog& dialog) {
        for (const char* field : {"1009", "1010"})
            shown += dialog.findChild<QLineEdit*>(QLatin1String(field))->text() + " ";
        if (dialog.findChild<QRadioButton*>(QStringLiteral("1008"))->isChecked())
            shown += QStringLiteral("client");
        dialog.findChild<QLineEdit*>(QStringLiteral("1011"))->setText(QStringLiteral("旅人"));
        dialog.accept();
    });
    QVERIFY(joiner.chat->ConnectFromCommandLine(ParseCommandLine({hub + "/"})));
    QCOMPARE(shown, QStringLiteral("127.0.0.1 %1 client").arg(host_->chat->Session().PortNum()));
    QTRY_COMPARE(joiner.chat->Session().MyID(), 3);
    QCOMPARE(joiner.View().HandleNameField()->text(), QStringLiteral("旅人"));
    QTRY_VERIFY(host_->LogHas("旅人 が接続しました"));
    // Connected, a shortcut or a stale menu cannot connect twice.
    QVERIFY(joiner.app->Frame().Action(cmd::kDisconnect)->isEnabled());
    QVERIFY(!joiner.app->Frame().Action(cmd::kConnect)->isEnabled());
    QVERIFY(!joiner.app->Frame().RunCommand(cmd::kConnect));
}

void ChatControllerQtTest::countdownAndMemberCheckRunOnTheWindowTimers() {
    host_->Roll(QStringLiteral("$TIMER,3"));
    host_->HoldTimer(CCountdown::kTickTimer);
    QTRY_VERIFY(guest_->LogHas("GM(タイマ)：3秒"));
    for (int i = 0; i < 2; ++i)
        host_->FireTimer(CCountdown::kTickTimer);
    QTRY_VERIFY(guest_->LogHas("あと 1秒"));
    QVERIFY(guest_->LogHas("あと 2秒"));
    host_->FireTimer(CCountdown::kEndTimer);
    QTRY_VERIFY(guest_->LogHas("Time Up!"));
    QVERIFY(!host_->TimerRunning(CCountdown::kTickTimer));
    QVERIFY(!host_->TimerRunning(CCountdown::kEndTimer));

    // The host is listed, so the item resets the list for everybody.
    QVERIFY(host_->app->Frame().RunCommand(cmd::kResetMemberList));
    for (Player* p : {host_.get(), guest_.get()})
        p->HoldTimer(CDispatcher::kMemberCheckTimer);
    for (Player* p : {host_.get(), guest_.get()})
        QTRY_COMPARE(p->chat->PlayerList()->count(), 2);  // everybody answered
    host_->FireTimer(CDispatcher::kMemberCheckTimer);
    QVERIFY(!host_->TimerRunning(CDispatcher::kMemberCheckTimer));
    QCOMPARE(host_->chat->PlayerList()->count(), 2);
}

void ChatControllerQtTest::typedExpressionsAndSubHandleNamesAreTakenAsTyped() {
    // Typed key by key into the focused field, as a player types: a listed
    // entry that starts with the typed text must not take its place.
    const auto type = [](Player& p, QComboBox* combo, const QString& text) {
        p.app->Frame().show();
        p.app->Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.app->Frame()));
        combo->lineEdit()->clear();
        combo->lineEdit()->setFocus();
        QTest::keyClicks(combo->lineEdit(), text);
        QCOMPARE(combo->currentText(), text);
    };
    QComboBox* dice = host_->View().DiceCombo();
    host_->Roll(QStringLiteral("$TIMER,30,10"));
    host_->HoldTimer(CCountdown::kTickTimer);
    QTRY_VERIFY(guest_->LogHas("GM(タイマ)：30秒(10秒間隔)"));
    type(*host_, dice, QStringLiteral("$TIMER"));  // "$TIMER," is listed
    QTest::keyClick(dice->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY(guest_->LogHas("タイマをキャンセルしました"));
    QVERIFY(!host_->TimerRunning(CCountdown::kTickTimer));

    host_->Roll(QStringLiteral("1D6+100"));
    type(*host_, dice, QStringLiteral("1D6+1"));
    QTest::keyClick(dice->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY(guest_->LogHas("1D6+1 = "));

    QComboBox* sub = guest_->View().SubHandleNameCombo();
    type(*guest_, sub, QStringLiteral("Elf"));
    guest_->Say(QStringLiteral("one"));
    QTRY_VERIFY(host_->LogHas("Elf：one"));
    type(*guest_, sub, QStringLiteral("E"));
    guest_->Say(QStringLiteral("two"));
    QTRY_VERIFY(host_->LogHas("E：two"));
}

void ChatControllerQtTest::anOpenWhisperWindowFollowsWhoJoinsAndLeaves() {
    emit host_->chat->PlayerList()->WhisperRequested(2);
    CWhisperWindow* whisper = host_->chat->WhisperWindow();
    QTRY_VERIFY(whisper->isVisible());
    QListWidget* list = whisper->MemberList();
    QCOMPARE(list->count(), 1);
    {
        Player third;
        QVERIFY(
            third.Connect(CommandLineRequest::Mode::Join, host_->chat->Session().PortNum(), "P3"));
        QTRY_COMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("P3"));
        QCOMPARE(list->item(0)->checkState(), Qt::Checked);  // PL stays checked
    }
    QTRY_COMPARE(list->count(), 1);  // P3 has left
    QCOMPARE(list->item(0)->text(), QStringLiteral("PL"));
    QCOMPARE(list->item(0)->checkState(), Qt::Checked);

    // Through a member list reset PL keeps the check.
    QVERIFY(host_->app->Frame().RunCommand(cmd::kResetMemberList));
    host_->HoldTimer(CDispatcher::kMemberCheckTimer);
    QTRY_COMPARE(host_->chat->PlayerList()->count(), 2);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->checkState(), Qt::Checked);
}

void ChatControllerQtTest::callAlertsWithoutUnmaximisingUnderTheOneHandleName() {
    CMainFrame& frame = host_->app->Frame();
    frame.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    // Renaming in the field renames the member in everything it sends, and
    // the options show it.
    guest_->View().HandleNameField()->setText(QStringLiteral("PL2"));
    emit guest_->chat->PlayerList()->CallRequested(1);
    QTRY_VERIFY(host_->LogHas("PL2 さんからのコールです(呼出時間 "));
    QVERIFY(frame.isMaximized());
    QVERIFY(!guest_->LogHas("コールです"));

    frame.showMinimized();
    emit guest_->chat->PlayerList()->CallRequested(1);
    QTRY_VERIFY(!frame.isMinimized());
    QVERIFY(frame.isMaximized());  // restored to what it was

    guest_->chat->ChartWindow()->AnnounceChartLock();
    QTRY_VERIFY(host_->chat->ChartWindow()->windowTitle().contains(QStringLiteral("PL2")));
    QString named;
    WhenModal<COptionPropSheet>([&named](COptionPropSheet& sheet) {
        named = sheet.findChild<QLineEdit*>(QStringLiteral("1016"))->text();
        sheet.reject();
    });
    QVERIFY(guest_->app->Frame().RunCommand(cmd::kOptions));
    QCOMPARE(named, QStringLiteral("PL2"));
    QVERIFY(guest_->chat->Session().Disconnect(false));
    QTRY_VERIFY(host_->LogHas("PL2 の接続が切断されました"));
    QTRY_COMPARE(host_->chat->PlayerList()->count(), 1);
}

void ChatControllerQtTest::autoShownChartLeavesTheFocusWithTheInputLine() {
    CMainFrame& frame = guest_->app->Frame();
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    guest_->View().InputLine()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), guest_->View().InputLine());

    // The chart sent by the host shows itself in the guest's window.
    QVERIFY(!guest_->chat->ChartWindow()->isVisible());
    host_->chat->ChartWindow()->SendChart();
    QTRY_VERIFY(guest_->chat->ChartWindow()->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), &frame);
    QCOMPARE(QApplication::focusWidget(), guest_->View().InputLine());
}

void ChatControllerQtTest::frameCommandsOpenTheWindowsCentredOnTheView() {
    CMainFrame& frame = host_->app->Frame();
    frame.resize(900, 600);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    host_->chat->DebugCodes().Run("cmd_on");  // traces every command, not just the chat's
    const std::map<int, QWidget*> windows{{cmd::kWhisper, host_->chat->WhisperWindow()},
                                          {cmd::kChart, host_->chat->ChartWindow()},
                                          {cmd::kUseCards, host_->chat->CardWindow()}};
    for (const auto& [id, window] : windows) {
        QVERIFY(frame.RunCommand(id));
        QTRY_VERIFY(window->isVisible());
        const QPoint offset = window->mapToGlobal(window->rect().center()) -
                              host_->View().mapToGlobal(host_->View().rect().center());
        QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QString::number(id)));
    }
    QVERIFY(host_->LogHas("Cmd:Chart Code:0"));
    // The dice exchange, which has no window, says it happened.
    QVERIFY(frame.RunCommand(cmd::kChangeDice));
    QCOMPARE(host_->prompter.prompts.back().text, Sjis("ダイスを交換しました"));
    // Over a view narrower than itself, in the screen's corner, a window
    // still opens wholly on the screen.
    frame.move(frame.screen()->availableGeometry().topLeft());
    frame.resize(320, 240);
    QWidget* cards = host_->chat->CardWindow();
    host_->View().CentreOnView(cards);
    const QRect free = frame.screen()->availableGeometry();
    QCOMPARE(cards->frameGeometry().left(), free.left());
    QVERIFY(free.contains(cards->frameGeometry().topLeft()));
}

void ChatControllerQtTest::cardsDrawAndPassBetweenTheWindows() {
    // Each window's selectors hold the other member only.
    QTRY_COMPARE(guest_->Cards().PassTarget()->count(), 1);
    QTRY_COMPARE(host_->Cards().LookTarget()->count(), 1);
    QCOMPARE(guest_->Cards().windowTitle(), Caption(4));
    QVERIFY(guest_->app->Frame().RunCommand(cmd::kUseCards));
    QTRY_VERIFY(guest_->Cards().isVisible());

    // "$CARD" from the dice box is an open draw: the drawer's hand, everybody's
    // count.
    guest_->Roll(QStringLiteral("$CARD"));
    QTRY_COMPARE(guest_->Count(kHandPile), 1);
    const std::string first = guest_->Text(kHandPile, 0);
    QTRY_COMPARE(host_->Cards().windowTitle(), Caption(3));
    QTRY_VERIFY(host_->LogHas("PL(カード)：" + first + "を引きました"));

    // A hidden draw: the others see the fixed line and the count only.
    host_->Click("drawHiddenButton");
    QTRY_COMPARE(host_->Count(kHandPile), 1);
    const std::string hiddenShown = "GM(カード)：" + host_->Text(kHandPile, 0) + "を引きました";
    QTRY_VERIFY(guest_->LogHas("GM(隠しカード)：カードを1枚引きました"));
    QTRY_COMPARE(guest_->Cards().windowTitle(), Caption(2));
    QVERIFY(!guest_->LogHas(hiddenShown));
    QVERIFY(host_->LogHas(hiddenShown));

    // The guest passes its hand to the host.
    guest_->Pile(kHandPile)->selectAll();
    guest_->Click("passButton");
    QCOMPARE(guest_->Count(kHandPile), 0);
    QTRY_COMPARE(host_->Count(kHandPile), 2);  // with its own hidden card
    QTRY_VERIFY(guest_->LogHas("PL(カード)：カードをGMに1枚渡しました"));

    // A newcomer's past log shows what a member who did not act saw.
    Player late;
    QVERIFY(late.Connect(CommandLineRequest::Mode::Join, host_->chat->Session().PortNum(), "NPC"));
    QTRY_VERIFY(late.LogHas("過去ログ"));
    QVERIFY(late.LogHas("GM(隠しカード)：カードを1枚引きました"));
    QVERIFY(late.LogHas("カードをGMに1枚渡しました"));
    QVERIFY(!late.LogHas(hiddenShown));
    QCOMPARE(late.Cards().windowTitle(), Caption(2));
}

void ChatControllerQtTest::aRandomTakeIsAlwaysAnsweredAndOnlyTheHostSwitchesDecks() {
    host_->Click("drawOpenButton");
    QTRY_COMPARE(host_->Count(kHandPile), 1);
    const std::string card = host_->Text(kHandPile, 0);
    const std::string refusal = "GM(カード)：PL からのカード譲渡要求を拒否しました";

    // No keeps the card and refuses. The host's message box runs its own
    // event loop, as a real one does: the request's own line is in before
    // the question is asked, and the guest keeps talking while it is open.
    bool lineFirst = false;
    host_->prompter.whileOpen = [&] {
        lineFirst = host_->LogHas("PL(カード)：GMにカードの譲渡要求をしました");
        guest_->Say(QStringLiteral("まだ？"));
        QTRY_VERIFY(host_->LogHas("PL：まだ？"));
    };
    host_->prompter.answers = {PromptAnswer::No};
    guest_->Click("randomTakeButton");
    QTRY_VERIFY(guest_->LogHas(refusal));
    host_->prompter.whileOpen = nullptr;
    QVERIFY(lineFirst);
    QCOMPARE(host_->Count(kHandPile), 1);

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

    // Only the host switches decks, for everybody: the hands empty.
    for (Player* p : {host_.get(), guest_.get()})
        emit p->Cards().findChild<QMenu*>(QStringLiteral("cardFunctionMenu"))->aboutToShow();
    QVERIFY(!guest_->Cards().DeckMenu()->menuAction()->isVisible());
    QMenu* decks = host_->Cards().DeckMenu();
    QVERIFY(decks->menuAction()->isVisible());

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

QTEST_MAIN(yarrow::ChatControllerQtTest)
#include "ChatControllerQtTest.moc"
