// Broken files the windows open by themselves, in a whole chat window (the
// settings file, Deck.ini, ChipFile.ini and the chip bitmaps), and the .cht
// and .map files the chart and map windows are told to open. Whatever is in
// them, nothing crashes, the user is told what went wrong, and opening a file
// never changes it on disk.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "chart/CChartFile.h"
#include "chart/ChartPayload.h"
#include "chart/qt/CChartWindow.h"
#include "map/CChipFile.h"
#include "map/CMapBook.h"
#include "map/CMapFile.h"
#include "map/MapQtFakes.h"
#include "map/qt/CChipDlg.h"
#include "map/qt/CMapPageView.h"
#include "map/qt/CMapPropSheet.h"
#include "map/qt/MapCommandIds.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "support/ChatPlayer.h"
#include "support/FakeSession.h"
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

// Whether the file at `path` still holds `bytes` (says which file when not).
bool Holds(const std::string& path, const std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    const bool same = std::string((std::istreambuf_iterator<char>(in)), {}) == bytes;
    if (!same)
        qWarning("%s changed on disk", path.c_str());
    return same;
}

// A whole chat window over a program folder holding the given broken files.
struct Window : test::ChatPlayer<test::ScriptedPrompter> {
    explicit Window(const std::map<std::string, std::string>& files)
        : ChatPlayer(files), written(files) {}
    bool Unchanged() const {
        for (const auto& [name, bytes] : written) {
            if (!Holds(Folder() + name, bytes))
                return false;
        }
        return true;
    }
    std::map<std::string, std::string> written;
};

// Every broken kind of file a window's "open" can be given, in `folder`: an
// empty one, one of NUL bytes, the `extra` contents, one a byte beyond the
// reader's `limit` (sparse, so nothing is written), a folder and a name that
// does not exist.
struct BrokenSet {
    struct Entry {
        std::string path;
        std::optional<std::string> bytes;  // what a file holds; none: see `size`
        std::uintmax_t size = 0;
    };
    std::vector<Entry> entries;

    BrokenSet(const std::string& folder, const std::string& extension, std::uintmax_t limit,
              const std::vector<std::string>& extra) {
        namespace fs = std::filesystem;
        std::vector<std::string> contents{"", std::string(64, '\0')};
        contents.insert(contents.end(), extra.begin(), extra.end());
        for (std::size_t i = 0; i < contents.size(); ++i) {
            const std::string path = folder + "broken" + std::to_string(i) + extension;
            std::ofstream(path, std::ios::binary) << contents[i];
            entries.push_back({path, contents[i]});
        }
        const std::string huge = folder + "huge" + extension;
        std::ofstream(huge, std::ios::binary).flush();
        fs::resize_file(huge, limit + 1);
        entries.push_back({huge, std::nullopt, limit + 1});
        fs::create_directory(folder + "folder" + extension);
        entries.push_back({folder + "folder" + extension, std::nullopt});
        entries.push_back({folder + "missing" + extension, std::nullopt});
    }
    // Each file holds what it held, the folder is a folder and the missing
    // name is still missing.
    bool Unchanged() const {
        namespace fs = std::filesystem;
        for (const Entry& e : entries) {
            const bool same = e.bytes      ? Holds(e.path, *e.bytes)
                              : e.size > 0 ? fs::file_size(e.path) == e.size
                              : e.path.find("folder") != std::string::npos
                                  ? fs::is_directory(e.path)
                                  : !fs::exists(e.path);
            if (!same)
                return false;
        }
        return true;
    }
};

// File choosers that answer with `path` and ask nothing else.
struct ChartChooser final : IChartDialogs {
    std::optional<std::string> OpenFileName(QWidget*) override { return path; }
    std::optional<std::string> SaveFileName(QWidget*) override { return std::nullopt; }
    std::optional<QString> AskColumnHeader(QWidget*) override { return std::nullopt; }
    std::optional<std::vector<int>> ChooseColumnsToDelete(const QStringList&, IPrompter&,
                                                          QWidget*) override {
        return std::nullopt;
    }
    std::string path;
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
    void brokenChartAndMapFilesOpenedInTheirWindows();
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

void BrokenFilesQtTest::brokenChartAndMapFilesOpenedInTheirWindows() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    test::ScriptedPrompter prompter;

    // The chart window says why and keeps the chart it shows. Any bytes with
    // a line in them are a chart, so only files without one are broken.
    test::FakeSession session;
    auto chartChooser = std::make_unique<ChartChooser>();
    ChartChooser& chooseChart = *chartChooser;
    CChartWindow chart(session, prompter, nullptr, std::move(chartChooser));
    CChartModel shown;
    shown.Assign({Sjis("名前"), "HP"}, {{"A", "3"}}, 0);
    chart.ApplyChart(BuildChartMsg(shown, 2));
    const std::string chartBefore = CChartFile::Format(chart.Model());
    const BrokenSet charts(folder, ".cht", CChartFile::kMaxFileBytes, {});
    for (const auto& entry : charts.entries) {
        chooseChart.path = entry.path;
        const std::size_t told = prompter.prompts.size();
        chart.OpenChartFile();
        QVERIFY2(prompter.prompts.size() == told + 1, entry.path.c_str());
        QCOMPARE(prompter.prompts.back().caption, Sjis("エラー"));
        QCOMPARE(CChartFile::Format(chart.Model()), chartBefore);
    }
    QVERIFY(session.records.empty());
    QVERIFY(charts.Unchanged());

    // The map window says why, keeps the page, sends nothing, and its next
    // save offers the name of the last file that did load.
    CMapBook book([&] { return CMapPropSheet::InitialSettings(folder + "Yarrow.ini", folder); });
    auto mapChooser = std::make_unique<test::ScriptedMapDialogs>();
    test::ScriptedMapDialogs& chooseMap = *mapChooser;
    CMapPropSheet maps(book, prompter, folder, folder + "Yarrow.ini", nullptr,
                       std::move(mapChooser));
    int sent = 0;
    maps.SetSendHook([&](const CMapPage&) { return ++sent > 0; });
    const std::string sample = YARROW_FIXTURES "/../../fuzz/corpus/fuzz_map_file/sample.map";
    chooseMap.openNames.push_back(sample);
    QVERIFY(maps.RunCommand(mapcmd::kOpenMap));
    QCOMPARE(sent, 1);
    const CMapPage& page = maps.ActiveView()->Page();
    const std::string mapBefore = CMapFile::Format(page);
    QVERIFY(!page.Tiles().empty());
    std::ifstream in(sample, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), {});
    const BrokenSet mapFiles(folder, ".map", CMapFile::kMaxFileBytes,
                             {Garbage(3000, 7), good.substr(0, good.size() / 2),
                              std::string("\x03\x00\x00\xff\xff\xff\x7f", 7)});
    for (const auto& entry : mapFiles.entries) {
        chooseMap.openNames.push_back(entry.path);
        const std::size_t told = prompter.prompts.size();
        QVERIFY(maps.RunCommand(mapcmd::kOpenMap));
        QVERIFY2(prompter.prompts.size() == told + 1, entry.path.c_str());
        QCOMPARE(prompter.prompts.back().caption, Sjis("エラー"));
        QCOMPARE(CMapFile::Format(page), mapBefore);
    }
    QCOMPARE(sent, 1);
    QVERIFY(maps.RunCommand(mapcmd::kSaveMap));
    QCOMPARE(chooseMap.saveInitialNames.back(), std::string("sample.map"));
    QVERIFY(mapFiles.Unchanged());
}

QTEST_MAIN(BrokenFilesQtTest)
#include "BrokenFilesQtTest.moc"
