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

// The program folder with every file the windows read, each broken.
struct BrokenFolder {
    QTemporaryDir dir;
    std::map<std::string, std::string> written;  // name -> bytes

    std::string Path(const std::string& name) const {
        return dir.path().toStdString() + "/" + name;
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        written[name] = bytes;
    }
    // Every file still holds exactly what was written.
    bool Unchanged() const {
        for (const auto& [name, bytes] : written) {
            std::ifstream in(Path(name), std::ios::binary);
            const std::string now((std::istreambuf_iterator<char>(in)), {});
            if (now != bytes) {
                qWarning("%s changed on disk", name.c_str());
                return false;
            }
        }
        return true;
    }
};

struct Window {
    std::unique_ptr<CYarrowApp> app;
    std::unique_ptr<CChatController> chat;
    test::ScriptedPrompter prompter;

    explicit Window(const std::string& folder) {
        app = std::make_unique<CYarrowApp>(folder + "/");
        chat = std::make_unique<CChatController>(*app);
        app->Start(false);
        app->Frame().SetPrompter(&prompter);
    }
    ~Window() {
        chat.reset();
        app.reset();
    }
    std::string Log() const { return app->Frame().ChatView()->LogControl()->StreamOutText(); }
    // The texts of the message boxes shown since the last call.
    std::string TakePrompts() {
        std::string texts;
        for (const auto& p : prompter.prompts)
            texts += p.text + "\n";
        prompter.prompts.clear();
        return texts;
    }
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
        BrokenFolder folder;
        folder.Write("Yarrow.ini", settings);
        Window window(folder.dir.path().toStdString());
        QVERIFY(window.app->Frame().ChatView() != nullptr);
        QVERIFY(folder.Unchanged());
    }
}

void BrokenFilesQtTest::brokenChipsAreShownAsMissing() {
    BrokenFolder folder;
    folder.Write("ChipFile.ini",
                 "[ChipFile]\r\nChipNum=99999\r\n0=bad.bmp\r\n1=short.bmp\r\n"
                 "2=../../../../etc/passwd\r\n3=" +
                     std::string(400, 'a') + ".bmp\r\n[ChipName]\r\n0=" + Garbage(300, 3) +
                     "\r\n[ChipColor]\r\n0=0xQQ\r\n");
    folder.Write("bad.bmp", Garbage(2000, 4));
    folder.Write("short.bmp", std::string("BM\x36\x00\x00\x00", 6));
    Window window(folder.dir.path().toStdString());
    const CChipFile chips(folder.dir.path().toStdString() + "/");
    QCOMPARE(chips.ChipNum(), CChipFile::kMaxChips);
    test::ScriptedPrompter prompter;
    CChipDlg dialog(folder.dir.path().toStdString() + "/", prompter);
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
    QVERIFY(folder.Unchanged());
}

void BrokenFilesQtTest::brokenDeckFileHostsWithoutCards() {
    for (const std::string& deck :
         {Garbage(3000, 5),
          std::string("[DeckSet]\r\n0=A\r\n[A]\r\nCardNum=999999\r\nDeckNum=9\r\n"),
          std::string("[DeckSet]\r\n0=A\r\n[A]\r\nCardNum=-3\r\n")}) {
        BrokenFolder folder;
        folder.Write("Deck.ini", deck);
        Window window(folder.dir.path().toStdString());
        CommandLineRequest request;
        request.mode = CommandLineRequest::Mode::Host;
        request.port = 0;
        request.name = "GM";
        window.chat->ConnectFromCommandLine(request);
        QTRY_VERIFY_WITH_TIMEOUT(window.Log().find(Sjis("Deck.ini")) != std::string::npos, 10000);
        QVERIFY(folder.Unchanged());
    }
}

QTEST_MAIN(BrokenFilesQtTest)
#include "BrokenFilesQtTest.moc"
