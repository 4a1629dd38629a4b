// Broken files the windows open by themselves, in a whole chat window: the
// settings file, Deck.ini, ChipFile.ini and the chip bitmaps. Whatever is in them, nothing crashes,
// the user is told what went wrong, and opening a file never changes it on disk.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "map/CChipFile.h"
#include "map/qt/CChipDlg.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "support/ChatPlayer.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

std::string Garbage(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

// A whole chat window over a program folder holding the given broken files.
struct Window : test::ChatPlayer<test::ScriptedPrompter> {
    explicit Window(const std::map<std::string, std::string>& files)
        : ChatPlayer(files), written(files) {}
    // Every file still holds exactly what was written.
    bool Unchanged() const {
        for (const auto& [name, bytes] : written) {
            std::ifstream in(Folder() + name, std::ios::binary);
            const std::string now((std::istreambuf_iterator<char>(in)), {});
            if (now != bytes) {
                qWarning("%s changed on disk", name.c_str());
                return false;
            }
        }
        return true;
    }
    std::map<std::string, std::string> written;
};

}  // namespace
}  // namespace yarrow

using namespace yarrow;

class BrokenFilesQtTest : public QObject {
    Q_OBJECT
  private slots:
    void settingsFileOfGarbageStartsWithDefaults();
    void brokenChipsAreShownAsMissing();
    void brokenDeckFileHostsWithoutCards();
};

void BrokenFilesQtTest::settingsFileOfGarbageStartsWithDefaults() {
    for (const std::string& settings :
         {Garbage(4096, 1),
          std::string("[InitialSetting]\r\nPortNum=99999999999\r\nCharSize=-7\r\n"
                      "HandleNameColor=0xZZ\r\nForeGroundColor=-1\r\nFilter=") +
              std::string(70000, ',') + "\r\n[Dice]\r\nFormNum=2147483647\r\n",
          std::string("[InitialSetting]\r\nHandleName=") + std::string(300, '\x82') + "\r\n"}) {
        Window window({{"Yarrow.ini", settings}});
        QVERIFY(window.app->Frame().ChatView() != nullptr);
        QVERIFY(window.Unchanged());
    }
}

void BrokenFilesQtTest::brokenChipsAreShownAsMissing() {
    Window window({{"ChipFile.ini",
                    "[ChipFile]\r\nChipNum=99999\r\n0=bad.bmp\r\n1=short.bmp\r\n"
                    "2=../../../../etc/passwd\r\n3=" +
                        std::string(400, 'a') + ".bmp\r\n[ChipName]\r\n0=" + Garbage(300, 3) +
                        "\r\n[ChipColor]\r\n0=0xQQ\r\n"},
                   {"bad.bmp", Garbage(2000, 4)},
                   {"short.bmp", std::string("BM\x36\x00\x00\x00", 6)}});
    QCOMPARE(CChipFile(window.Folder()).ChipNum(), CChipFile::kMaxChips);
    test::ScriptedPrompter prompter;
    CChipDlg dialog(window.Folder(), prompter);
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("1058"));
    auto* preview = dialog.findChild<QLabel*>(QStringLiteral("1059"));
    QVERIFY(list != nullptr && preview != nullptr);
    QVERIFY(list->count() >= 2);
    for (int i = 0; i < list->count(); ++i) {
        list->setCurrentIndex(i);
        // No picture, and a word that says so instead of an empty box.
        QVERIFY(preview->pixmap().isNull());
        QVERIFY2(!preview->text().isEmpty(), qPrintable(list->itemText(i)));
    }
    QVERIFY(window.Unchanged());
}

void BrokenFilesQtTest::brokenDeckFileHostsWithoutCards() {
    for (const std::string& deck :
         {Garbage(3000, 5),
          std::string("[DeckSet]\r\n0=A\r\n[A]\r\nCardNum=999999\r\nDeckNum=9\r\n"),
          std::string("[DeckSet]\r\n0=A\r\n[A]\r\nCardNum=-3\r\n")}) {
        Window window({{"Deck.ini", deck}});
        window.Connect(CommandLineRequest::Mode::Host, 0, "GM");
        QTRY_VERIFY_WITH_TIMEOUT(window.LogHas("Deck.ini"), 10000);
        QVERIFY(window.Unchanged());
    }
}

QTEST_MAIN(BrokenFilesQtTest)
#include "BrokenFilesQtTest.moc"
