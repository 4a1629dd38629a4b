// Start-up in a program folder, and the file menu on the chat log.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "chat/CChatLog.h"
#include "chat/CommandIds.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/QtCp932.h"
#include "support/FixedClock.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

namespace {

// 2026-12-06 12:34:56 local time, whatever the zone of the test machine.
std::time_t FixedTime() {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 6;
    tm.tm_hour = 12;
    tm.tm_min = 34;
    tm.tm_sec = 56;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct Started {
    explicit Started(const QString& folder)
        : clock(FixedTime()), app(folder.toStdString(), &clock) {
        app.Start(false);
        app.Frame().SetPrompter(&prompter);
    }
    test::FixedClock clock;
    CYarrowApp app;
    test::ScriptedPrompter prompter;
};

}  // namespace

class CYarrowAppQtTest : public QObject {
    Q_OBJECT
  private slots:
    void firstStartCreatesLogFolderAndSettings();
    void logFolderSettingIsHonoured();
    void saveClearAndTextLogFromTheFileMenu();
    void exitSavesTheLogBeforeQuitting();
};

void CYarrowAppQtTest::firstStartCreatesLogFolderAndSettings() {
    QTemporaryDir dir;
    {
        Started s(dir.path());
        QVERIFY(QFileInfo(dir.filePath("Log")).isDir());
        QVERIFY(s.app.LogFolder().created);
        const QByteArray ini = ReadAll(dir.filePath("Yarrow.ini"));
        QVERIFY(ini.startsWith("[InitialSetting]"));
        QVERIFY(ini.contains("LogFolder=Log"));
        QCOMPARE(s.app.Frame().ChatView()->LogControl()->StreamOutText(), std::string());
    }
    // A second start shows what an edited file holds, leaves it alone and the
    // folder as it is.
    WriteFile(dir.filePath("Yarrow.ini"),
              "[InitialSetting]\r\nHandleName=PL\r\nBackGroundColor=0x000000\r\n");
    Started again(dir.path());
    QVERIFY(!again.app.LogFolder().created);
    QCOMPARE(again.app.Frame().ChatView()->HandleNameField()->text(), QStringLiteral("PL"));
    QCOMPARE(again.app.Frame().ChatView()->LogControl()->palette().color(QPalette::Base),
             QColor(Qt::black));
    QVERIFY(ReadAll(dir.filePath("Yarrow.ini")).startsWith("[InitialSetting]\r\nHandleName=PL"));
}

void CYarrowAppQtTest::logFolderSettingIsHonoured() {
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString absolute = elsewhere.filePath("logs");
    const QString deep = elsewhere.filePath(QStringLiteral("記録/日誌"));
    const struct {
        QString setting;  // empty: the usual "Log" folder
        QString made;     // empty: none could be made
    } cases[] = {
        {absolute, absolute},
        // A folder two levels deep is not built; the user reads why in the
        // log, with the path as named, Japanese included.
        {deep, QString()},
        {QString(), dir.filePath("Log")},
    };
    for (const auto& c : cases) {
        WriteFile(dir.filePath("Yarrow.ini"),
                  "[InitialSetting]\r\nLogFolder=" +
                      QByteArray::fromStdString(ToCp932(c.setting).text) + "\r\n");
        Started s(dir.path());
        QCOMPARE(s.app.LogFolder().ok, !c.made.isEmpty());
        QCOMPARE(QFileInfo(dir.filePath("Log")).exists(), c.made == dir.filePath("Log"));
        if (!c.made.isEmpty()) {
            QVERIFY(QFileInfo(c.made).isDir());
            continue;
        }
        QVERIFY(!QFileInfo(deep).exists());
        const QString shown = s.app.Frame().ChatView()->LogControl()->toPlainText();
        QVERIFY2(
            shown.contains(QStringLiteral("ログフォルダを作成できません")) && shown.contains(deep),
            qPrintable(shown));
    }
}

void CYarrowAppQtTest::saveClearAndTextLogFromTheFileMenu() {
    QTemporaryDir dir;
    Started s(dir.path());
    CMainFrame& frame = s.app.Frame();
    s.app.ChatLog().AppendNoticeLine(Sjis("◇ テスト"));

    QVERIFY(frame.RunCommand(cmd::kSaveLogText));
    const QString txt = dir.filePath("Log/2026_12_06_12_34_56.txt");
    QCOMPARE(ReadAll(txt), QByteArray::fromStdString(Sjis("◇ テスト\r\n")));
    QCOMPARE(s.prompter.prompts.size(), std::size_t{1});
    QCOMPARE(FromCp932(s.prompter.prompts[0].text),
             QStringLiteral("ログをLog/2026_12_06_12_34_56.txtに保存しました"));

    QVERIFY(frame.RunCommand(cmd::kSaveLogRtf));
    const QByteArray rtf = ReadAll(dir.filePath("Log/2026_12_06_12_34_56.rtf"));
    QVERIFY(rtf.startsWith("{\\rtf1"));
    QVERIFY(rtf.contains("{\\colortbl;"));

    // Clearing asks first; "いいえ" keeps the log.
    s.prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
    QVERIFY(frame.RunCommand(cmd::kClearLog));
    QCOMPARE(FromCp932(s.prompter.prompts.back().text),
             QStringLiteral("ログをクリアします\r\nよろしいですか？"));
    QCOMPARE(s.prompter.prompts.back().buttons, PromptButtons::YesNo);
    QVERIFY(!s.app.Frame().ChatView()->LogControl()->StreamOutText().empty());
    QVERIFY(frame.RunCommand(cmd::kClearLog));
    QCOMPARE(s.app.Frame().ChatView()->LogControl()->StreamOutText(), std::string());

    // The text log needs a connection and runs one at a time.
    frame.UpdateCommandStates();
    QVERIFY(!frame.Action(cmd::kStartTextLog)->isEnabled());
    frame.SetConnectedMenu(true);
    QVERIFY(frame.Action(cmd::kStartTextLog)->isEnabled());
    const std::size_t before = s.prompter.prompts.size();
    QVERIFY(frame.RunCommand(cmd::kStartTextLog));
    QVERIFY(s.app.ChatLog().TextLogRunning());
    QCOMPARE(s.prompter.prompts.size(), before);  // starting shows nothing
    QVERIFY(!frame.Action(cmd::kStartTextLog)->isEnabled());

    // Scroll lock in the menu is the chat log's scroll lock.
    QVERIFY(frame.RunCommand(cmd::kScrollLock));
    QVERIFY(s.app.ChatLog().ScrollLock());
}

void CYarrowAppQtTest::exitSavesTheLogBeforeQuitting() {
    QTemporaryDir dir;
    Started s(dir.path());
    s.app.ChatLog().AppendNoticeLine(Sjis("bye"));
    s.app.Frame().SetExitAsker([] { return ExitOutcome::SaveTextAndQuit; });
    s.app.Frame().show();
    QVERIFY(s.app.Frame().close());
    QCOMPARE(ReadAll(dir.filePath("Log/2026_12_06_12_34_56.txt")), QByteArray("bye\r\n"));

    // When the snapshot cannot be written the window stays, and says why.
    QTemporaryDir dir2;
    Started s2(dir2.path());
    QVERIFY(QDir(dir2.path()).rmdir("Log"));
    WriteFile(dir2.filePath("Log"), "not a folder");
    s2.app.Frame().SetExitAsker([] { return ExitOutcome::SaveRtfAndQuit; });
    s2.app.Frame().show();
    QVERIFY(!s2.app.Frame().close());
    QVERIFY(s2.app.Frame().isVisible());
    QCOMPARE(FromCp932(s2.prompter.prompts.back().caption), QStringLiteral("ファイルエラー"));
    QVERIFY(FromCp932(s2.prompter.prompts.back().text)
                .startsWith(QStringLiteral("ファイルが開けません")));
}

QTEST_MAIN(CYarrowAppQtTest)
#include "CYarrowAppQtTest.moc"
