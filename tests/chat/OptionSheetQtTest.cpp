#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QtTest>

#include "chat/qt/CExtendedOptionPage.h"
#include "chat/qt/COptionPropSheet.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/TempDir.h"
#include "settings/CSettings.h"
#include "settings/DefaultSettings.h"
#include "support/QtControls.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;
using test::Child;

namespace {

void Type(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

class OptionSheetQtTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void okSavesOnlyThePagesThatWereShown();
    void diceEntriesAreCheckedBeforeTheyJoinTheList();
    void openingAnotherFileReloadsAndBecomesTheSettingsFile();
    void saveAsWritesACompleteCopy();
    void whileConnectedTheLiveAddressIsShownGreyedAndEnterNeverCloses();

  private:
    COptionPropSheet::Context Context() const;
    std::unique_ptr<test::TempDir> dir_;
    std::string path_;
    test::ScriptedPrompter prompter_;
};

void OptionSheetQtTest::init() {
    dir_ = std::make_unique<test::TempDir>();
    path_ = dir_->File("Yarrow.ini");
    QVERIFY(!CreateDefaultSettings(dir_->Folder()).failed());
    prompter_.prompts.clear();
}

COptionPropSheet::Context OptionSheetQtTest::Context() const {
    COptionPropSheet::Context c;
    c.currentSettingsPath = path_;
    c.defaultSettingsPath = path_;
    c.basic.handleName = "Kei";
    c.checkDiceFormat = [](const std::string& t) {
        return !t.empty() && t[0] >= '0' && t[0] <= '9';
    };
    return c;
}

void OptionSheetQtTest::okSavesOnlyThePagesThatWereShown() {
    CSettings settings(path_);
    QVERIFY(settings.WriteString(kInitialSetting, "DiceHoy", "kept"));
    QVERIFY(settings.WriteString(kInitialSetting, "HandleNameColor", "0x00C801"));
    {
        COptionPropSheet sheet(Context(), prompter_);
        sheet.show();
        QVERIFY(sheet.PageLoaded(0));
        QVERIFY(!sheet.PageLoaded(1));
        QCOMPARE(Child<QComboBox>(sheet, "1049")->currentIndex(), 9);  // custom
        sheet.accept();
    }
    QCOMPARE(settings.HandleName(), std::string("Kei"));  // the basic page saved
    QCOMPARE(settings.GetString(kInitialSetting, "HandleNameColor", ""), std::string("0x00C801"));
    QCOMPARE(settings.DiceHoy(), std::string("kept"));  // the extended page did not
    QVERIFY(!CProfileFile(path_).HasKey(kInitialSetting, "IsDiceHoyRandom"));

    COptionPropSheet sheet(Context(), prompter_);
    sheet.show();
    sheet.Tabs()->setCurrentIndex(1);
    auto* diceHoy = Child<QLineEdit>(sheet, "1051");
    QCOMPARE(diceHoy->text(), QStringLiteral("kept"));
    diceHoy->setText(QStringLiteral("がらがら"));
    Type(Child<QLineEdit>(sheet, "1062"), QStringLiteral("ころん"));
    sheet.accept();
    QCOMPARE(settings.DiceHoy(), Sjis("がらがら"));
    QCOMPARE(settings.RandomDiceHoys(), std::vector<std::string>{Sjis("ころん")});
    QVERIFY(!settings.IsDiceHoyRandom());
    QVERIFY(CProfileFile(path_).HasKey(kInitialSetting, "IsDiceHoyRandom"));
}

void OptionSheetQtTest::diceEntriesAreCheckedBeforeTheyJoinTheList() {
    COptionPropSheet sheet(Context(), prompter_);
    sheet.show();
    auto* list = Child<QListWidget>(sheet, "1047");
    auto* edit = Child<QLineEdit>(sheet, "1015");
    QCOMPARE(list->count(), 7);
    Type(edit, QStringLiteral("$TIMER,"));
    Type(edit, QStringLiteral("abc"));
    QCOMPARE(list->count(), 7);
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(prompter_.prompts.size(), std::size_t(2));
    QCOMPARE(prompter_.prompts[1].text, Sjis("ダイス書式が間違っています"));
    Type(edit, QStringLiteral("$TIMER,3m"));
    Type(edit, QStringLiteral("2D10"));
    QCOMPARE(list->count(), 9);

    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    Type(Child<QLineEdit>(sheet, "1017"), QStringLiteral("影"));
    Type(Child<QLineEdit>(sheet, "1017"), QString());
    sheet.accept();
    CSettings settings(path_);
    std::vector<std::string> dice = settings.DiceList();
    QCOMPARE(dice.size(), std::size_t(8));
    QCOMPARE(dice.front(), std::string("2D6"));
    QCOMPARE(dice.back(), std::string("2D10"));
    QCOMPARE(settings.SubHandleNames(), std::vector<std::string>{Sjis("影")});
}

void OptionSheetQtTest::openingAnotherFileReloadsAndBecomesTheSettingsFile() {
    std::string other = dir_->File("other.ini");
    test::TempDir::Write(other, "[InitialSetting]\r\nServerIP=10.1.1.1\r\nDiceHoy=x\r\n");
    COptionPropSheet sheet(Context(), prompter_);
    sheet.SetFileChooser(
        [&](QWidget*, bool save) { return save ? QString() : QString::fromStdString(other); });
    sheet.show();
    sheet.OpenSettingsFile();
    QCOMPARE(sheet.SettingsPath(), other);
    QCOMPARE(Child<QLineEdit>(sheet, "1018")->text(), QStringLiteral("10.1.1.1"));
    QCOMPARE(Child<QListWidget>(sheet, "1047")->count(), 0);
    QCOMPARE(Child<QLineEdit>(sheet, "1016")->text(), QStringLiteral("Kei"));  // never from a file
    sheet.Tabs()->setCurrentIndex(1);  // loads from the new file
    QCOMPARE(Child<QLineEdit>(sheet, "1051")->text(), QStringLiteral("x"));

    sheet.SaveSettingsFileAs();  // cancelled: nothing changes
    QCOMPARE(sheet.SettingsPath(), other);
}

void OptionSheetQtTest::saveAsWritesACompleteCopy() {
    std::string copy = dir_->File("copy.ini");
    COptionPropSheet sheet(Context(), prompter_);
    bool templateSaved = false;
    auto* third = new QWidget;
    sheet.AddPage(
        third, QStringLiteral("ダイステンプレート"), [](const std::string&) {},
        [&](const std::string&) { return templateSaved = true; }, false);
    sheet.SetFileChooser([&](QWidget*, bool) { return QString::fromStdString(copy); });
    sheet.show();
    sheet.SaveSettingsFileAs();
    QCOMPARE(sheet.SettingsPath(), copy);
    QVERIFY(!templateSaved);
    CSettings saved(copy);
    QCOMPARE(saved.HandleName(), std::string("Kei"));
    // The extended page was never opened but its values came along.
    QCOMPARE(saved.DiceHoy(), CSettings(path_).DiceHoy());
    QVERIFY(CProfileFile(copy).HasKey(kInitialSetting, "BackGroundColor"));
}

void OptionSheetQtTest::whileConnectedTheLiveAddressIsShownGreyedAndEnterNeverCloses() {
    COptionPropSheet::Context c = Context();
    c.basic.connected = true;
    c.basic.liveServerAddress = "198.51.100.7";
    c.basic.livePort = 16001;
    COptionPropSheet sheet(c, prompter_);
    sheet.show();
    for (const auto& [id, text] : {std::pair{"1018", "198.51.100.7"}, {"1019", "16001"}}) {
        QCOMPARE(Child<QLineEdit>(sheet, id)->text(), QString::fromLatin1(text));
        QVERIFY(!Child<QLineEdit>(sheet, id)->isEnabled());
    }
    QTest::keyClick(&sheet, Qt::Key_Return);
    QTest::keyClick(Child<QLineEdit>(sheet, "1016"), Qt::Key_Return);
    QVERIFY(sheet.isVisible());
    QCOMPARE(sheet.result(), int(QDialog::Rejected));
}

QTEST_MAIN(OptionSheetQtTest)
#include "OptionSheetQtTest.moc"
