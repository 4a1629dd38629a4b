#include <QSignalSpy>
#include <QtTest>

#include "chat/qt/CPlayerListView.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

namespace {

QImage IconImage(const QListWidgetItem* item) {
    return item->icon().pixmap(16, 16).toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

class MemberListQtTest : public QObject {
    Q_OBJECT
  private slots:
    void listedByIdWithIdleAndTypingImages() {
        CPlayerListView view;
        view.RebuildMembers({{Sjis("七"), 7}, {"two", 2}, {"five", 5}});
        QCOMPARE(view.count(), 3);
        QCOMPARE(view.item(0)->text(), QStringLiteral("two"));
        QCOMPARE(view.item(1)->text(), QStringLiteral("five"));
        QCOMPARE(view.item(2)->text(), QStringLiteral("七"));
        QCOMPARE(view.item(2)->data(CPlayerListView::kIdRole).toInt(), 7);
        QVERIFY(CPlayerListView::IdleImage() != CPlayerListView::TypingImage());

        const QImage idle =
            CPlayerListView::IdleImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage typing =
            CPlayerListView::TypingImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(IconImage(view.item(row)), idle);

        view.SetTyping(5, true);
        QCOMPARE(view.item(1)->data(CPlayerListView::kImageRole).toInt(),
                 CPlayerListView::kTypingImage);
        QCOMPARE(IconImage(view.item(1)), typing);
        QCOMPARE(IconImage(view.item(0)), idle);
        view.SetTyping(5, false);
        QCOMPARE(IconImage(view.item(1)), idle);

        view.RemoveMember(5);
        QCOMPARE(view.count(), 2);
        QCOMPARE(view.MemberIDs(), (std::vector<std::int32_t>{2, 7}));
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
        QCOMPARE(calls.count(), 0);

        prompter.answers = {PromptAnswer::No};
        QTest::mouseDClick(view.viewport(), Qt::RightButton, {}, ben);
        QCOMPARE(calls.count(), 0);
        QCOMPARE(prompter.prompts.size(), size_t(1));
        QCOMPARE(prompter.prompts[0].text, Sjis("Ben さんをコールします。\r\nよろしいですか？"));
        QCOMPARE(prompter.prompts[0].caption, Sjis("コール"));

        prompter.answers = {PromptAnswer::Yes};
        QTest::mouseDClick(view.viewport(), Qt::RightButton, {}, ben);
        QCOMPARE(calls.count(), 1);
        QCOMPARE(calls.at(0).at(0).toInt(), 8);
        QCOMPARE(whispers.count(), 1);
    }
};

QTEST_MAIN(MemberListQtTest)
#include "MemberListQtTest.moc"
