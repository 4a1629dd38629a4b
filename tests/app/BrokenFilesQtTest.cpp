// Broken files the windows open by themselves, in a whole chat window (the
// settings file, Deck.ini, ChipFile.ini and the chip bitmaps), and the .map
// files the map window is told to open. Whatever is in them, nothing crashes,
// the user is told what went wrong, and opening a file never changes it on
// disk.

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "map/CMapBook.h"
#include "map/CMapFile.h"
#include "map/qt/CChipDlg.h"
#include "map/qt/CMapPageView.h"
#include "map/qt/CMapPropSheet.h"
#include "map/qt/MapCommandIds.h"
#include "support/ChatPlayer.h"
#include "support/ScriptedMapDialogs.h"
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

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Whether every file (`folder` + name → bytes) still holds what it held.
bool Unchanged(const std::string& folder, const std::map<std::string, std::string>& files) {
    for (const auto& [name, bytes] : files) {
        if (Read(folder + name) != bytes) {
            qWarning("%s changed on disk", name.c_str());
            return false;
        }
    }
    return true;
}

// A whole chat window over a program folder holding the given broken files.
using Window = test::ChatPlayer<test::ScriptedPrompter>;

}  // namespace
}  // namespace yarrow

using namespace yarrow;

class BrokenFilesQtTest : public QObject {
    Q_OBJECT
  private slots:
    void brokenSettingsAndDecksStillHost();
    void brokenChipsAreShownAsMissing();
    void brokenMapFilesOpenedInTheMapWindow();
};

// Settings that cannot be used start with defaults; a Deck.ini without a
// usable deck is named in the log and the window hosts without cards.
void BrokenFilesQtTest::brokenSettingsAndDecksStillHost() {
    const std::pair<const char*, std::string> cases[] = {
        {"Yarrow.ini", Garbage(4096, 1)},
        {"Yarrow.ini",
         "[InitialSetting]\r\nPortNum=99999999999\r\nCharSize=-7\r\n"
         "HandleNameColor=0xZZ\r\nForeGroundColor=-1\r\nFilter=" +
             std::string(70000, ',') + "\r\n[Dice]\r\nFormNum=2147483647\r\n"},
        {"Yarrow.ini", "[InitialSetting]\r\nHandleName=" + std::string(300, '\x82') + "\r\n"},
        {"Deck.ini", Garbage(3000, 5)},
        {"Deck.ini", "[DeckSet]\r\n0=A\r\n[A]\r\nCardNum=999999\r\nDeckNum=9\r\n"},
        {"Deck.ini", "[DeckSet]\r\n0=A\r\n[A]\r\nCardNum=-3\r\n"},
    };
    for (const auto& [name, bytes] : cases) {
        const std::map<std::string, std::string> files{{name, bytes}};
        Window window(files);
        QVERIFY(window.Connect(CommandLineRequest::Mode::Host, 0, "GM"));
        QTRY_COMPARE_WITH_TIMEOUT(window.chat->Session().MyID(), 1, 10000);
        if (std::string(name) == "Deck.ini")
            QTRY_VERIFY(window.LogHas("Deck.ini"));
        QVERIFY(Unchanged(window.Folder(), files));
    }
}

void BrokenFilesQtTest::brokenChipsAreShownAsMissing() {
    const std::map<std::string, std::string> files{
        {"ChipFile.ini",
         "[ChipFile]\r\nChipNum=99999\r\n0=bad.bmp\r\n1=short.bmp\r\n"
         "2=../../../../etc/passwd\r\n3=" +
             std::string(400, 'a') + ".bmp\r\n[ChipName]\r\n0=" + Garbage(300, 3) +
             "\r\n[ChipColor]\r\n0=0xQQ\r\n"},
        {"bad.bmp", Garbage(2000, 4)},
        {"short.bmp", std::string("BM\x36\x00\x00\x00", 6)}};
    Window window(files);
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
    QVERIFY(Unchanged(window.Folder(), files));
}

// Told to open a .map file that does not load (garbage, a folder, a missing
// name; every kind the reader refuses is the map file tests'), the map window
// says why, keeps the page, sends nothing and changes no file, and its next
// save still offers the name of the last file that did load.
void BrokenFilesQtTest::brokenMapFilesOpenedInTheMapWindow() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    test::ScriptedPrompter prompter;
    CMapBook book([&] { return CMapPropSheet::InitialSettings(folder + "Yarrow.ini", folder); });
    auto dialogs = std::make_unique<test::ScriptedMapDialogs>();
    test::ScriptedMapDialogs& choose = *dialogs;
    CMapPropSheet maps(book, prompter, folder, folder + "Yarrow.ini", nullptr, std::move(dialogs));
    int sent = 0;
    maps.SetSendHook([&](const CMapPage&) { return ++sent > 0; });
    choose.openNames.push_back(YARROW_FIXTURES "/app/tiles.map");
    QVERIFY(maps.RunCommand(mapcmd::kOpenMap));
    QCOMPARE(sent, 1);
    const CMapPage& page = maps.ActiveView()->Page();
    const std::string before = CMapFile::Format(page);
    QVERIFY(!page.Tiles().empty());

    const std::map<std::string, std::string> garbage{{folder + "garbage.map", Garbage(3000, 7)}};
    std::ofstream(folder + "garbage.map", std::ios::binary) << garbage.begin()->second;
    std::filesystem::create_directory(folder + "folder.map");
    for (const char* name : {"garbage.map", "folder.map", "missing.map"}) {
        choose.openNames.push_back(folder + name);
        const std::size_t told = prompter.prompts.size();
        QVERIFY(maps.RunCommand(mapcmd::kOpenMap));
        QVERIFY2(prompter.prompts.size() == told + 1, name);
        QCOMPARE(prompter.prompts.back().caption, Sjis("エラー"));
        QCOMPARE(CMapFile::Format(page), before);
    }
    QCOMPARE(sent, 1);
    QVERIFY(maps.RunCommand(mapcmd::kSaveMap));
    QCOMPARE(choose.saveInitialNames.back(), std::string("tiles.map"));
    QVERIFY(Unchanged("", garbage));
    QVERIFY(!std::filesystem::exists(folder + "missing.map"));
}

QTEST_MAIN(BrokenFilesQtTest)
#include "BrokenFilesQtTest.moc"
