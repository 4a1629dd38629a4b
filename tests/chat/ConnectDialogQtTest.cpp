#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "chat/qt/CConnectDialog.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/TempDir.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"
#include "support/QtControls.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;
using test::Child;

class ConnectDialogQtTest : public QObject {
    Q_OBJECT
  private slots:
    void badEntriesAreNamedAndKeepTheDialogOpen();
    void loadsTheDefaultsAndReturnsTheEntries();
    void serverRoleFixesTheLocalAddress();
    void defaultsAreWrittenBack();

  private:
    // The settings file the dialog reads, with these lines.
    std::string Ini(const char* lines) {
        test::TempDir::Write(dir.File("Yarrow.ini"), std::string("[InitialSetting]\r\n") + lines);
        return dir.File("Yarrow.ini");
    }
    test::TempDir dir;
    test::ScriptedPrompter prompter;
};

void ConnectDialogQtTest::badEntriesAreNamedAndKeepTheDialogOpen() {
    CConnectDialog dialog(Ini("IsClient=1\r\n"), prompter);
    dialog.show();
    const struct {
        const char* name;  // handle, server, port
        const char* server;
        const char* port;
        const char* told;  // "|" between messages, "*" any one message; empty: accepted
    } cases[] = {
        // Every empty field is named in turn.
        {"", "", "15001", "ハンドルネームが入力されていません|サーバIPが入力されていません"},
        {"Kei", "192.0.2.1", "", "ポート番号が入力されていません"},
        {"Kei", "192.0.2.1", "70000", "*"},
        {"K\u00e9i", "192.0.2.1", "15001", "*"},  // no code page 932 form
        {"Kei", "192.0.2.1", "15001", ""},
    };
    for (const auto& c : cases) {
        prompter.prompts.clear();
        Child<QLineEdit>(dialog, "1011")->setText(QString::fromUtf8(c.name));
        Child<QLineEdit>(dialog, "1009")->setText(QString::fromUtf8(c.server));
        Child<QLineEdit>(dialog, "1010")->setText(QString::fromUtf8(c.port));
        dialog.accept();
        const bool refused = *c.told != '\0';
        QCOMPARE(dialog.isVisible(), refused);
        QCOMPARE(dialog.result(), int(refused ? QDialog::Rejected : QDialog::Accepted));
        QStringList told;
        for (const test::Prompt& p : prompter.prompts) {
            told << (*c.told == '*' ? QStringLiteral("*") : FromCp932(p.text));
            QVERIFY(p.caption == Sjis("エラー") && p.icon == PromptIcon::Exclamation);
        }
        QCOMPARE(told.join(QLatin1Char('|')), FromCp932(Sjis(c.told)));
    }
}

void ConnectDialogQtTest::loadsTheDefaultsAndReturnsTheEntries() {
    std::optional<std::uint32_t> pick;
    CConnectDialog dialog(
        Ini("HandleName=\x83\x4c\x83\x43\r\nServerIP=10.0.0.2\r\nPortNum=16000\r\n"
            "IsClient=1\r\nIsSaveLog=2\r\nHandleNameColor=0x00C801\r\n"),
        prompter, [&](QWidget*, std::uint32_t) { return pick; });
    QCOMPARE(Child<QLineEdit>(dialog, "1011")->text(), QStringLiteral("キイ"));
    QVERIFY(!Child<QCheckBox>(dialog, "1012")->isChecked());  // only exactly 1 ticks it
    auto* color = Child<QComboBox>(dialog, "1022");
    QCOMPARE(color->currentIndex(), 9);
    ConnectRequest r = dialog.Request();
    QCOMPARE(r.handleName, std::string("\x83\x4c\x83\x43"));
    QVERIFY(r.asClient);
    QCOMPARE(r.serverAddress, std::string("10.0.0.2"));
    QCOMPARE(r.port, 16000);
    QCOMPARE(r.color, std::uint32_t(0x00C801));  // the custom colour survives
    QVERIFY(!r.startLog && !r.makeDefault);

    // A picked custom colour is taken; a cancelled pick falls back to black.
    pick = 0x123456;
    color->setCurrentIndex(9);
    emit color->activated(9);
    QCOMPARE(dialog.Request().color, std::uint32_t(0x123456));
    pick.reset();
    emit color->activated(9);
    QCOMPARE(color->currentIndex(), 0);
    QCOMPARE(dialog.Request().color, std::uint32_t(0));
}

void ConnectDialogQtTest::serverRoleFixesTheLocalAddress() {
    CConnectDialog dialog(Ini("ServerIP=10.0.0.2\r\nIsClient=0\r\n"), prompter);
    auto* address = Child<QLineEdit>(dialog, "1009");
    QVERIFY(!address->isEnabled());
    Child<QRadioButton>(dialog, "1008")->click();
    QVERIFY(address->isEnabled());
    address->setText(QStringLiteral("example.org"));
    Child<QRadioButton>(dialog, "1007")->click();
    QVERIFY(!address->isEnabled());
    QCOMPARE(address->text(), QStringLiteral("127.0.0.1"));
    QVERIFY(!dialog.Request().asClient);
}

void ConnectDialogQtTest::defaultsAreWrittenBack() {
    test::TempDir::Write(dir.File("cur.ini"), "[InitialSetting]\r\nLogFolder=Logs\r\n");
    ConnectRequest r;
    r.handleName = "GM2";
    r.serverAddress = "127.0.0.1";
    r.port = 15002;
    r.color = 0xFF8040;
    r.asClient = false;
    r.startLog = true;
    QVERIFY(CConnectDialog::WriteDefaults(r, dir.File("cur.ini")));
    QCOMPARE(test::TempDir::Read(dir.File("cur.ini")),
             std::string("[InitialSetting]\r\nLogFolder=Logs\r\nHandleName=GM2\r\n"
                         "ServerIP=127.0.0.1\r\nPortNum=15002\r\nHandleNameColor=0xFF8040\r\n"
                         "IsClient=0\r\nIsSaveLog=1\r\n"));
}

QTEST_MAIN(ConnectDialogQtTest)
#include "ConnectDialogQtTest.moc"
