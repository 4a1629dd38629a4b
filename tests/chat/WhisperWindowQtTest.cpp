#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

#include "chat/CMemberList.h"
#include "chat/InputRules.h"
#include "chat/qt/CWhisperWindow.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

using namespace yarrow;

class WhisperWindowQtTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        view = test::FakeSession();
        members.RebuildMembers({{"Ben", 5}, {"GM", 1}, {"Ann", 2}});
        window = std::make_unique<CWhisperWindow>();
        window->Attach(&view, &view, &members);
    }

    void offersEveryoneButOneselfWithThePresetChecked() {
        window->SetPresetTarget(5);
        window->show();
        QListWidget* list = window->MemberList();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Ann"));
        QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(list->item(1)->checkState(), Qt::Checked);
        // Presenting the open window again checks the new choice.
        members.RebuildMembers({{"Ben", 5}, {"GM", 1}, {"Ann", 2}, {"Cy", 9}});
        window->SetPresetTarget(9);
        window->Present();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(2)->checkState(), Qt::Checked);
    }

    void enterSendsToEveryCheckedMemberAndCtrlEnterBreaks() {
        view.speaker = "Narrator";
        window->SetPresetTarget(2);
        window->show();
        window->MemberList()->item(1)->setCheckState(Qt::Checked);
        QPlainTextEdit* edit = window->TextEdit();
        QTest::keyClicks(edit, "hi");
        QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(edit, "there");
        QVERIFY(view.records.empty());
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(view.records.size(), size_t(1));
        const CMsg& msg = view.records[0];
        QCOMPARE(msg.Type, static_cast<std::int32_t>(Secret));
        // Sent under the handle, addressed by its recipients alone; continuation
        // lines line up under the speaker ("Narrator" + 2).
        QCOMPARE(msg.Name, std::string("GM"));
        QCOMPARE(msg.ID, 0);
        QCOMPARE(msg.Text, std::string("hi\r\n          there"));
        QCOMPARE(msg.Recipients, (std::map<std::uint16_t, std::int32_t>{{0, 2}, {1, 5}}));
        QCOMPARE(view.lines.size(), size_t(1));
        QCOMPARE(view.lines[0].name, std::string("GM->Ann"));
        QVERIFY(edit->toPlainText().isEmpty());
        QVERIFY(view.notices.empty());

        // A character code page 932 cannot hold goes out as "〓", and the
        // sender is told so, as for a remark.
        edit->insertPlainText(QStringLiteral("€5"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(view.records.size(), size_t(2));
        QCOMPARE(view.records[1].Text, Sjis("〓5"));
        QCOMPARE(view.notices, std::vector<std::string>{UnsendableCharactersNotice()});
    }

    void enterInTheListIsSwallowedNothingGoesOutUnsendableEscapeHides() {
        window->show();
        QPlainTextEdit* edit = window->TextEdit();
        QListWidgetItem* ann = window->MemberList()->item(0);
        edit->setPlainText(QStringLiteral("keep"));
        ann->setCheckState(Qt::Checked);
        QTest::keyClick(window->MemberList(), Qt::Key_Return);
        QCOMPARE(edit->toPlainText(), QStringLiteral("keep"));
        // Nobody checked, no text, or no connection: nothing goes out.
        ann->setCheckState(Qt::Unchecked);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(edit->toPlainText().isEmpty());
        ann->setCheckState(Qt::Checked);
        QTest::keyClick(edit, Qt::Key_Return);
        view.connected = false;
        QTest::keyClicks(edit, "x");
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(view.records.empty() && view.lines.empty());
        QTest::keyClick(window->TextEdit(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    void anOpenWindowFollowsTheMembersKeepingEachCheck() {
        window->SetPresetTarget(2);
        window->show();
        window->MemberList()->item(1)->setCheckState(Qt::Checked);  // Ann and Ben
        const auto shown = [this] {
            QStringList rows;
            for (int i = 0; i < window->MemberList()->count(); ++i) {
                const QListWidgetItem* row = window->MemberList()->item(i);
                rows << row->text() + (row->checkState() == Qt::Checked ? "+" : "");
            }
            return rows.join(' ');
        };
        // Ann leaves, Cy joins.
        members.RebuildMembers({{"Ben", 5}, {"GM", 1}, {"Cy", 9}});
        window->UpdateMembers();
        QCOMPARE(shown(), QStringLiteral("Ben+ Cy"));
        // A member list reset: empty until everybody has answered again.
        members.ClearMembers();
        window->UpdateMembers();
        QCOMPARE(shown(), QString());
        members.RebuildMembers({{"Ben", 5}, {"GM", 1}, {"Ann", 2}, {"Cy", 9}});
        window->UpdateMembers();
        QCOMPARE(shown(), QStringLiteral("Ann+ Ben+ Cy"));
        // A hub started anew gives the ids out again: Ann's id, now Dee's,
        // does not take Ann's check along.
        members.ClearMembers();
        window->UpdateMembers();
        members.RebuildMembers({{"GM", 1}, {"Dee", 2}, {"Ben", 5}});
        window->UpdateMembers();
        QCOMPARE(shown(), QStringLiteral("Dee Ben+"));
        members.RebuildMembers({{"Ben", 5}, {"GM", 1}, {"Ann", 2}, {"Cy", 9}});
        window->UpdateMembers();
        QCOMPARE(shown(), QStringLiteral("Ann+ Ben+ Cy"));  // Ann herself has it again
        // A closed window waits for its next show, which starts afresh.
        window->hide();
        members.RebuildMembers({{"GM", 1}, {"Cy", 9}});
        window->UpdateMembers();
        QCOMPARE(shown(), QStringLiteral("Ann+ Ben+ Cy"));
        window->show();
        QCOMPARE(shown(), QStringLiteral("Cy"));
    }

  private:
    test::FakeSession view;
    CMemberList members;
    std::unique_ptr<CWhisperWindow> window;
};

QTEST_MAIN(WhisperWindowQtTest)
#include "WhisperWindowQtTest.moc"
