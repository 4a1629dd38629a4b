#include <QSignalSpy>
#include <QtTest>

#include "chat/qt/CPlayerListView.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

class MemberListQtTest : public QObject {
    Q_OBJECT
  private slots:
    void listedByIdWithIdleAndTypingImages() {
        CPlayerListView view;
        view.RebuildMembers({{Sjis("七"), 7}, {"two", 2}, {"five", 5}});
        QCOMPARE(view.count(), 3);
        QCOMPARE(view.item(0)->text(), QStringLiteral("two"));
        QCOMPARE(view.item(2)->text(), QStringLiteral("七"));
        QCOMPARE(view.item(2)->data(CPlayerListView::kIdRole).toInt(), 7);
        const auto image = [&](int row) {
            return view.item(row)->icon().pixmap(16, 16).toImage().convertToFormat(
                QImage::Format_ARGB32_Premultiplied);
        };
        const QImage idle =
            CPlayerListView::IdleImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage typing =
            CPlayerListView::TypingImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(idle != typing);
        view.SetTyping(5, true);
        view.SetTyping(4, true);  // unknown ids change nothing
        QCOMPARE(image(1), typing);
        QCOMPARE(image(0), idle);
        view.SetTyping(5, false);
        QCOMPARE(image(1), idle);
        view.SetTyping(7, true);
        view.RebuildMembers({{Sjis("七"), 7}, {"two", 2}, {"five", 5}});  // clears the marks
        QCOMPARE(image(2), idle);
        view.RemoveMember(99);
        view.RemoveMember(5);
        QCOMPARE(view.MemberIDs(), (std::vector<std::int32_t>{2, 7}));
        QCOMPARE(view.MemberName(7), Sjis("七"));
    }

    void doubleClickWhispersRightDoubleClickCallsAfterAsking() {
        CPlayerListView view;
        test::ScriptedPrompter prompter;
        view.SetPrompter(&prompter);
        view.resize(200, 200);
        view.show();
        view.RebuildMembers({{"Ann", 3}, {"Ben", 8}});
        QSignalSpy whispers(&view, &CPlayerListView::WhisperRequested);
        QSignalSpy calls(&view, &CPlayerListView::CallRequested);
        const QPoint ben = view.visualItemRect(view.item(1)).center();
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, ben);
        QCOMPARE(whispers.count(), 1);
        QCOMPARE(whispers.at(0).at(0).toInt(), 8);

        prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
        QTest::mouseDClick(view.viewport(), Qt::RightButton, {}, ben);
        QCOMPARE(calls.count(), 0);
        QCOMPARE(prompter.prompts.at(0).text, Sjis("Ben さんをコールします。\r\nよろしいですか？"));
        QTest::mouseDClick(view.viewport(), Qt::RightButton, {}, ben);
        QCOMPARE(calls.count(), 1);
        QCOMPARE(calls.at(0).at(0).toInt(), 8);
        QCOMPARE(whispers.count(), 1);
    }
};

QTEST_MAIN(MemberListQtTest)
#include "MemberListQtTest.moc"
