#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "chat/qt/CConnectDialog.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/TempDir.h"
#include "settings/CSettings.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

namespace {

template <typename W>
W* Child(QWidget& parent, const char* id) {
    W* w = parent.findChild<W*>(QString::fromLatin1(id));
    if (!w)
        qFatal("no control %s", id);
    return w;
}

}  // namespace

class ConnectDialogQtTest : public QObject {
    Q_OBJECT
  private slots:
    void emptyFieldsAreNamedInTurnAndKeepTheDialogOpen();
    void loadsTheDefaultsAndReturnsTheEntries();
    void serverRoleFixesTheLocalAddress();
    void cancelledCustomColourFallsBackToBlack();
    void defaultsAreWrittenBack();
};

void ConnectDialogQtTest::emptyFieldsAreNamedInTurnAndKeepTheDialogOpen() {
    test::TempDir dir;
    test::TempDir::Write(dir.File("Yarrow.ini"), "[InitialSetting]\r\nIsClient=1\r\n");
    test::ScriptedPrompter prompter;
    CConnectDialog dialog(dir.File("Yarrow.ini"), prompter);
    dialog.show();
    Child<QLineEdit>(dialog, "1011")->clear();
    Child<QLineEdit>(dialog, "1009")->clear();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.isVisible());
    QCOMPARE(prompter.prompts.size(), std::size_t(2));
    QCOMPARE(prompter.prompts[0].text, Sjis("ハンドルネームが入力されていません"));
    QCOMPARE(prompter.prompts[1].text, Sjis("サーバIPが入力されていません"));
    for (const test::Prompt& t : prompter.prompts) {
        QCOMPARE(t.caption, Sjis("エラー"));
        QVERIFY(t.icon == PromptIcon::Exclamation);
    }

    prompter.prompts.clear();
    Child<QLineEdit>(dialog, "1011")->setText(QStringLiteral("Kei"));
    Child<QLineEdit>(dialog, "1009")->setText(QStringLiteral("192.0.2.1"));
    Child<QLineEdit>(dialog, "1010")->clear();
    dialog.accept();
    QCOMPARE(prompter.prompts.size(), std::size_t(1));
    QCOMPARE(prompter.prompts[0].text, Sjis("ポート番号が入力されていません"));

    prompter.prompts.clear();
    Child<QLineEdit>(dialog, "1010")->setText(QStringLiteral("70000"));
    dialog.accept();
    QCOMPARE(prompter.prompts.size(), std::size_t(1));
    QVERIFY(dialog.isVisible());

    prompter.prompts.clear();
    Child<QLineEdit>(dialog, "1010")->setText(QStringLiteral("15001"));
    Child<QLineEdit>(dialog, "1011")->setText(QStringLiteral("K\u00e9i"));  // no code page 932 form
    dialog.accept();
    QCOMPARE(prompter.prompts.size(), std::size_t(1));
    QVERIFY(dialog.isVisible());

    prompter.prompts.clear();
    Child<QLineEdit>(dialog, "1011")->setText(QStringLiteral("Kei"));
    dialog.accept();
    QVERIFY(prompter.prompts.empty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void ConnectDialogQtTest::loadsTheDefaultsAndReturnsTheEntries() {
    test::TempDir dir;
    test::TempDir::Write(dir.File("Yarrow.ini"),
                         "[InitialSetting]\r\nHandleName=\x83\x4c\x83\x43\r\nServerIP=10.0.0.2\r\n"
                         "PortNum=16000\r\nIsClient=1\r\nIsSaveLog=2\r\n"
                         "HandleNameColor=0x00C801\r\n");
    test::ScriptedPrompter prompter;
    CConnectDialog dialog(dir.File("Yarrow.ini"), prompter);
    QCOMPARE(Child<QLineEdit>(dialog, "1011")->text(), QStringLiteral("キイ"));
    QVERIFY(Child<QRadioButton>(dialog, "1008")->isChecked());
    QVERIFY(Child<QLineEdit>(dialog, "1009")->isEnabled());
    QVERIFY(!Child<QCheckBox>(dialog, "1012")->isChecked());  // only exactly 1 ticks it
    QCOMPARE(Child<QComboBox>(dialog, "1022")->currentIndex(), 9);

    ConnectRequest r = dialog.Request();
    QCOMPARE(r.handleName, std::string("\x83\x4c\x83\x43"));
    QVERIFY(r.asClient);
    QCOMPARE(r.serverAddress, std::string("10.0.0.2"));
    QCOMPARE(r.port, 16000);
    QCOMPARE(r.color, std::uint32_t(0x00C801));  // the custom colour survives
    QVERIFY(!r.startLog);
    QVERIFY(!r.makeDefault);

    Child<QComboBox>(dialog, "1022")->setCurrentIndex(2);
    QCOMPARE(dialog.Request().color, std::uint32_t(0x00C800));
}

void ConnectDialogQtTest::serverRoleFixesTheLocalAddress() {
    test::TempDir dir;
    test::TempDir::Write(dir.File("Yarrow.ini"),
                         "[InitialSetting]\r\nServerIP=10.0.0.2\r\nIsClient=0\r\n");
    test::ScriptedPrompter prompter;
    CConnectDialog dialog(dir.File("Yarrow.ini"), prompter);
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

void ConnectDialogQtTest::cancelledCustomColourFallsBackToBlack() {
    test::TempDir dir;
    test::ScriptedPrompter prompter;
    std::optional<std::uint32_t> pick;
    CConnectDialog dialog(dir.File("Yarrow.ini"), prompter,
                          [&](QWidget*, std::uint32_t) { return pick; });
    auto* combo = Child<QComboBox>(dialog, "1022");
    pick = 0x123456;
    combo->setCurrentIndex(9);
    emit combo->activated(9);
    QCOMPARE(dialog.Request().color, std::uint32_t(0x123456));
    pick.reset();
    emit combo->activated(9);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(dialog.Request().color, std::uint32_t(0));
}

void ConnectDialogQtTest::defaultsAreWrittenBack() {
    test::TempDir dir;
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
