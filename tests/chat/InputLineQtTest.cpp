#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "chat/CChatLog.h"
#include "chat/CDebugCodes.h"
#include "chat/CTraceLog.h"
#include "chat/CommandIds.h"
#include "chat/InputRules.h"
#include "chat/qt/CChatCommands.h"
#include "chat/qt/CInputLine.h"
#include "net/CMsg.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "support/FakeLogControl.h"
#include "support/FakeSession.h"
#include "support/FixedClock.h"

using namespace yarrow;

class InputLineQtTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        view = std::make_unique<test::FakeSession>();
        control = std::make_unique<test::FakeLogControl>();
        chatLog = std::make_unique<CChatLog>(control.get(), clock, dir.Folder());
        trace = std::make_unique<CTraceLog>(clock, dir.Folder());
        debug = std::make_unique<CDebugCodes>(*chatLog, *trace);
        line = std::make_unique<CInputLine>();
        line->Attach(view.get(), view.get(), debug.get());
        line->show();
    }
    void cleanup() { line.reset(); }

    // Keys the text edit would take for itself (word movement, its own copy
    // and undo) reach the window's commands while the user types.
    void commandKeysWinOverTheEditorsOwnBindings() {
        CChatCommands commands({line.get()}, view.get(), debug.get());
        line->setPlainText(QStringLiteral("abc def"));
        line->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(line.get()));
        const struct {
            int id;
            QKeyCombination key;
        } cases[] = {
            {cmd::kChooseHandleName, Qt::ControlModifier | Qt::Key_Left},
            {cmd::kChooseSubHandleName, Qt::ControlModifier | Qt::Key_Right},
            {cmd::kEditCopy, Qt::ControlModifier | Qt::Key_Insert},
            {cmd::kEditCut, Qt::ShiftModifier | Qt::Key_Delete},
            {cmd::kEditPaste, Qt::ShiftModifier | Qt::Key_Insert},
            {cmd::kEditUndo, Qt::AltModifier | Qt::Key_Backspace},
            {cmd::kEditUndo, Qt::ControlModifier | Qt::Key_Z},
        };
        for (const auto& c : cases) {
            QAction action(line.get());
            action.setShortcuts(CChatCommands::Shortcuts(c.id));
            action.setShortcutContext(Qt::WindowShortcut);
            line->addAction(&action);
            QSignalSpy fired(&action, &QAction::triggered);
            QTest::keyClick(line.get(), c.key.key(), c.key.keyboardModifiers());
            QCOMPARE(fired.count(), 1);
            line->removeAction(&action);
        }
        QCOMPARE(line->toPlainText(), QStringLiteral("abc def"));  // the editor did nothing
    }

    void enterSendsAndCtrlEnterBreaks() {
        view->speaker = Sjis("太郎");  // 4 bytes: continuation lines get 6 blanks
        QTest::keyClicks(line.get(), "first");
        QTest::keyClick(line.get(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(line.get(), "second");
        QTest::keyClick(line.get(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(line->height(), line->HeightFor(2));
        QTest::keyClicks(line.get(), "third");
        QTest::keyClick(line.get(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(line.get(), "fourth");
        QCOMPARE(line->height(), line->HeightFor(2));  // three rows at most
        QVERIFY(view->chats.empty());

        QTest::keyClick(line.get(), Qt::Key_Return);
        QCOMPARE(view->chats,
                 (std::vector<test::SentLine>{
                     {Sjis("太郎"), "first\r\n      second\r\n      third\r\n      fourth",
                      view->myColor, LogBox}}));
        QVERIFY(line->toPlainText().isEmpty());
        QCOMPARE(line->height(), line->HeightFor(0));
        // One NowSaying per remark, no EndSaying after it.
        QTest::keyClicks(line.get(), "x");
        QCOMPARE(view->texts,
                 (std::vector<test::SentLine>{{"", "", 0, NowSaying}, {"", "", 0, NowSaying}}));
        // What code page 932 cannot hold goes out as "〓", and the user is told.
        QVERIFY(view->notices.empty());
        line->insertPlainText(QStringLiteral("€"));
        QTest::keyClick(line.get(), Qt::Key_Return);
        QCOMPARE(view->chats.back().text, Sjis("x〓"));
        QCOMPARE(view->notices, std::vector<std::string>{UnsendableCharactersNotice()});
    }

    void emptyingWithoutSendingEndsTheTypingMarkAndOfflineSendsNone() {
        QTest::keyClicks(line.get(), "ab");
        QTest::keyClick(line.get(), Qt::Key_Backspace);
        QTest::keyClick(line.get(), Qt::Key_Backspace);
        QCOMPARE(view->texts.size(), size_t(2));
        QCOMPARE(view->texts[1].type, EndSaying);
        // An empty Enter sends nothing at all.
        QTest::keyClick(line.get(), Qt::Key_Return);
        QVERIFY(view->chats.empty());
        QCOMPARE(view->texts.size(), size_t(2));
        view->connected = false;
        view->texts.clear();
        QTest::keyClicks(line.get(), "ab");
        line->clear();
        QVERIFY(view->texts.empty());
        QVERIFY(!line->State().typing);
    }

    void tagInsertionIsOneUndoStep() {
        line->setPlainText(QStringLiteral("big text"));
        QTextCursor cursor = line->textCursor();
        cursor.setPosition(3);
        cursor.setPosition(0, QTextCursor::KeepAnchor);  // selected backwards
        line->setTextCursor(cursor);
        line->InsertSizeTags();
        QCOMPARE(line->toPlainText(), QStringLiteral("<size >big</size> text"));
        QCOMPARE(line->textCursor().position(), 6);  // after the blank
        line->undo();
        QCOMPARE(line->toPlainText(), QStringLiteral("big text"));

        // Without a selection both tags go in and the caret lands between.
        cursor.setPosition(8);
        line->setTextCursor(cursor);
        line->InsertColorTags();
        QTest::keyClicks(line.get(), "red");
        QCOMPARE(line->toPlainText(), QStringLiteral("big text<color red></color>"));

        line->setPlainText(QStringLiteral("love you"));
        cursor = line->textCursor();
        cursor.setPosition(5);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        line->setTextCursor(cursor);
        line->InsertHeart();
        QCOMPARE(line->toPlainText(), QStringLiteral("love <H>you"));
        line->undo();
        QCOMPARE(line->toPlainText(), QStringLiteral("love you"));
    }

    void buffersSwapWithTheCaretAtTheEnd() {
        QSignalSpy indicator(line.get(), &CInputLine::BufferIndicatorChanged);
        line->setPlainText(QStringLiteral("one"));
        QCOMPARE(line->SwapBuffers(), 2);
        QVERIFY(line->toPlainText().isEmpty());
        QTest::keyClicks(line.get(), "two");
        QCOMPARE(line->SwapBuffers(), 1);
        QCOMPARE(line->toPlainText(), QStringLiteral("one"));
        QCOMPARE(line->textCursor().position(), 3);
        QCOMPARE(indicator.count(), 2);
    }

    void debugInputRunsOneCodeAndKeepsAnInvalidOne() {
        CChatCommands commands({line.get()}, view.get(), debug.get());
        QVERIFY(commands.Execute(cmd::kDebugInput));
        QCOMPARE(control->texts.back(), std::string("DebugMode ON. Put code."));
        QTest::keyClicks(line.get(), "scrl_on");
        QTest::keyClick(line.get(), Qt::Key_Return);
        QVERIFY(debug->IsOn(CDebugCodes::kScrollTrace));
        QVERIFY(line->toPlainText().isEmpty());
        // The code went to nobody, so the typing mark it raised on the other
        // windows is taken down as for a line emptied without sending.
        const auto notices = [this] {
            std::vector<std::int32_t> types;
            for (const test::SentLine& sent : view->texts)
                types.push_back(sent.type);
            return types;
        };
        QCOMPARE(notices(), (std::vector<std::int32_t>{NowSaying, EndSaying}));
        // An invalid code stays in the line, and so does the mark; the next
        // Enter speaks it, which takes the mark down by itself.
        commands.Execute(cmd::kDebugInput);
        QTest::keyClicks(line.get(), "cmd_on!");
        QTest::keyClick(line.get(), Qt::Key_Return);
        QCOMPARE(control->texts.back(), std::string("[Invalid code]"));
        QCOMPARE(line->toPlainText(), QStringLiteral("cmd_on!"));
        QVERIFY(view->chats.empty());
        QTest::keyClick(line.get(), Qt::Key_Return);
        QCOMPARE(view->chats.at(0).text, std::string("cmd_on!"));
        QCOMPARE(notices(), (std::vector<std::int32_t>{NowSaying, EndSaying, NowSaying}));
    }

    void listedDiceRollOnlyWhenTheListIsLongEnough() {
        QComboBox dice;
        for (int i = 1; i <= 5; ++i)
            dice.addItem(QStringLiteral("%1d6").arg(i));
        CChatCommands::Controls controls;
        controls.diceCombo = &dice;
        CChatCommands commands(controls, view.get(), debug.get());
        QSignalSpy rolls(&commands, &CChatCommands::RollDiceRequested);
        QVERIFY(commands.Execute(cmd::kRollListEntry1 + 6));  // Ctrl+7
        QCOMPARE(rolls.count(), 0);
        QCOMPARE(dice.currentIndex(), 0);
        commands.Execute(cmd::kRollListEntry1 + 4);  // Ctrl+5
        QCOMPARE(rolls.count(), 1);
        QCOMPARE(dice.currentIndex(), 4);
    }

    void speakerControlsAndTypedSubHandle() {
        QLineEdit handle(QStringLiteral("GM"));
        QWidget form;  // the two radios are siblings on the form, so exclusive
        QRadioButton handleRadio(&form), subRadio(&form);
        handleRadio.setChecked(true);
        QComboBox sub;
        sub.setEditable(true);
        sub.addItem(QStringLiteral("Alice"));
        CChatCommands::Controls controls;
        controls.input = line.get();
        controls.handleName = &handle;
        controls.handleRadio = &handleRadio;
        controls.subRadio = &subRadio;
        controls.subCombo = &sub;
        CChatCommands commands(controls, view.get(), debug.get());

        QCOMPARE(commands.SpeakerName(), std::string("GM"));
        commands.Execute(cmd::kToggleSpeaker);
        QVERIFY(subRadio.isChecked() && !handleRadio.isChecked());
        QCOMPARE(commands.SpeakerName(), std::string("Alice"));

        sub.setEditText(QStringLiteral("Bob"));
        QCOMPARE(commands.SpeakerName(), std::string("Bob"));
        QCOMPARE(commands.SpeakerName(), std::string("Bob"));  // added once
        QCOMPARE(sub.count(), 2);
        QCOMPARE(sub.currentIndex(), 1);

        // Choosing the next or previous sub-handle wraps around; with none
        // chosen the previous is the last.
        commands.Execute(cmd::kNextSubHandle);
        QCOMPARE(sub.currentIndex(), 0);
        commands.Execute(cmd::kPreviousSubHandle);
        QCOMPARE(sub.currentIndex(), 1);
        sub.setCurrentIndex(-1);
        commands.Execute(cmd::kPreviousSubHandle);
        QCOMPARE(sub.currentIndex(), 1);
        commands.Execute(cmd::kChooseHandleName);
        QCOMPARE(commands.SpeakerName(), std::string("GM"));

        commands.Execute(cmd::kPleaseWait);
        QCOMPARE(view->chats.back(),
                 (test::SentLine{"GM", Sjis("<size 5>待った！</size>"), view->myColor, LogBox}));
    }

    void filterToggleShowsTheIndicator() {
        CChatCommands commands({line.get()}, view.get(), debug.get());
        QSignalSpy status(&commands, &CChatCommands::StatusTextChanged);
        line->SetFilterWords({Sjis("僕")}, {Sjis("私")});
        commands.Execute(cmd::kFirstPersonFilter);
        QCOMPARE(status.last().at(1).toString(), QStringLiteral("ﾌｨﾙﾀON"));
        line->setPlainText(QStringLiteral("僕だ"));
        QTest::keyClick(line.get(), Qt::Key_Return);
        QCOMPARE(view->chats.back().text, Sjis("私だ"));
        // A line the filter empties sends nothing, so the typing mark it
        // raised is taken down as for a line emptied by hand.
        line->SetFilterWords({Sjis("僕")}, {""});
        const std::size_t chats = view->chats.size();
        view->texts.clear();
        line->setPlainText(QStringLiteral("僕"));
        QTest::keyClick(line.get(), Qt::Key_Return);
        QCOMPARE(view->chats.size(), chats);
        QVERIFY(line->toPlainText().isEmpty());
        std::vector<std::int32_t> notices;
        for (const test::SentLine& sent : view->texts)
            notices.push_back(sent.type);
        QCOMPARE(notices, (std::vector<std::int32_t>{NowSaying, EndSaying}));
        commands.Execute(cmd::kFirstPersonFilter);
        QCOMPARE(status.last().at(1).toString(), QString());
        QVERIFY(!commands.Execute(32772));  // not one of these commands
    }

    void enterOutsideTheInputLineRollsOrIsSwallowed() {
        QWidget form;
        QComboBox dice(&form);
        dice.setEditable(true);
        dice.addItem(QStringLiteral("2d6"));
        QLineEdit other(&form);
        CChatCommands::Controls controls;
        controls.input = line.get();
        controls.diceCombo = &dice;
        CChatCommands commands(controls, view.get(), debug.get());
        commands.InstallEnterHandling(&form);
        QSignalSpy rolls(&commands, &CChatCommands::RollDiceRequested);
        form.show();

        line->State().debugInput = true;
        QTest::keyClick(dice.lineEdit(), Qt::Key_Return);
        QCOMPARE(rolls.count(), 1);
        QVERIFY(!line->State().debugInput);

        line->State().debugInput = true;
        QTest::keyClick(&other, Qt::Key_Return);
        QCOMPARE(rolls.count(), 1);
        QVERIFY(!line->State().debugInput);
        QVERIFY(view->chats.empty());
    }

    void contextMenusFollowTheSelectionAndCopyGoesToTheLastOne() {
        QTextEdit log;
        log.setPlainText(QStringLiteral("visit http://example.org/x now"));
        std::vector<QString> opened;
        CChatCommands commands({line.get()}, view.get(), debug.get());
        commands.SetUrlOpener([&](const QString& url) { opened.push_back(url); });
        // Copy and go-to-URL only over the log, enabled by what is selected.
        const auto enabled = [&](int selected) {
            QTextCursor cursor = log.textCursor();
            cursor.setPosition(0);
            cursor.setPosition(selected, QTextCursor::KeepAnchor);
            log.setTextCursor(cursor);
            std::unique_ptr<QMenu> menu(commands.BuildLogContextMenu(&log, nullptr));
            if (menu->actions()[1]->isEnabled())
                menu->actions()[1]->trigger();
            return std::pair{menu->actions()[0]->isEnabled(), menu->actions()[1]->isEnabled()};
        };
        QCOMPARE(enabled(0), std::pair(false, false));
        QCOMPARE(enabled(5), std::pair(true, false));  // "visit"
        QCOMPARE(enabled(log.toPlainText().size()), std::pair(true, true));
        QCOMPARE(opened, std::vector<QString>{QStringLiteral("http://example.org/x")});

        // Copy now goes to the log, cut and paste always to the input line.
        QApplication::clipboard()->clear();
        commands.Execute(cmd::kEditCopy);
        QCOMPARE(QApplication::clipboard()->text(), log.textCursor().selectedText());
        commands.Execute(cmd::kEditPaste);
        QVERIFY(line->toPlainText().contains(QStringLiteral("http://example.org/x")));
        std::unique_ptr<QMenu> menu(commands.BuildInputContextMenu(nullptr));
        QCOMPARE(menu->actions().size(), 3);
        QVERIFY(!menu->actions()[0]->isEnabled());  // nothing selected in the input line
        QVERIFY(menu->actions()[2]->isEnabled());   // the clipboard has text
    }

    void pasteThatWouldMakeARemarkTooBigToSendIsRefused() {
        // Each line break counts with room for its indent.
        line->insertPlainText(QStringLiteral("keep"));
        for (const QString& paste : {QString(kMaxRecordBytes / 32 + 1, QLatin1Char('x')),
                                     QString(5000, QLatin1Char('\n'))}) {
            QApplication::clipboard()->setText(paste);
            line->paste();
            QCOMPARE(line->toPlainText(), QStringLiteral("keep"));
        }
        QApplication::clipboard()->setText(QString(100000, QLatin1Char('y')));
        line->paste();
        QCOMPARE(line->toPlainText().size(), 100004);
    }

  private:
    test::TempDir dir;
    test::FixedClock clock;
    std::unique_ptr<test::FakeSession> view;
    std::unique_ptr<test::FakeLogControl> control;
    std::unique_ptr<CChatLog> chatLog;
    std::unique_ptr<CTraceLog> trace;
    std::unique_ptr<CDebugCodes> debug;
    std::unique_ptr<CInputLine> line;
};

QTEST_MAIN(InputLineQtTest)
#include "InputLineQtTest.moc"
