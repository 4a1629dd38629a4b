// Log files: the names, the running text log, both snapshots, the colour-table
// fix-up and clearing. A fake control streams out through the RTF reader and
// writer as the real log widget does. A saved RTF log must also open in other
// programs: checked with LibreOffice (Debian package libreoffice-writer-nogui)
// when it is installed, skipped otherwise.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "chat/CChatLog.h"
#include "chat/LogFiles.h"
#include "net/MsgType.h"
#include "platform/CRtfReader.h"
#include "platform/CRtfWriter.h"
#include "platform/Cp932.h"
#include "platform/ILogControl.h"
#include "support/FixedClock.h"

namespace yarrow {
namespace {

namespace fs = std::filesystem;

class RunsControl : public ILogControl {
  public:
    void AppendRtf(const std::string& document, bool) override {
        for (RtfRun& run : CRtfReader::Read(document))
            runs.push_back(std::move(run));
    }
    std::string StreamOutRtf() const override { return CRtfWriter::WriteRtf(runs); }
    std::string StreamOutText() const override { return CRtfWriter::WriteText(runs); }
    void Clear() override { runs.clear(); }
    void SetBackgroundColor(std::uint32_t) override {}

    std::vector<RtfRun> runs;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const fs::path candidate = fs::path(dir) / program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

// Converts `file` with LibreOffice into `folder`/out; the converted content.
std::string ConvertWithLibreOffice(const std::string& soffice, const fs::path& folder,
                                   const fs::path& file, const std::string& filter,
                                   const std::string& extension) {
    const std::string command = "timeout 300 '" + soffice + "' -env:UserInstallation=file://" +
                                (folder / "profile").string() + " --headless --convert-to '" +
                                filter + "' --outdir '" + (folder / "out").string() + "' '" +
                                file.string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(folder / "out" / (file.stem().string() + extension));
}

class LogFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Names carry local time; pin the zone so they are predictable.
        setenv("TZ", "UTC", 1);
        tzset();
        clock.now = 1700000000;  // 2023-11-14 22:13:20 UTC
        fs::remove_all(folder);
        fs::create_directories(folder / "Log");
        log.SetLogFolderSource([this] { return logFolder; });
    }
    void TearDown() override { fs::remove_all(folder); }

    // Set before the chat log below is built with it.
    fs::path folder = fs::temp_directory_path() /
                      ("yarrow_logfile_" + std::to_string(::getpid()) + "_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string logFolder = "Log";
    RunsControl control;
    test::FixedClock clock;
    CChatLog log{&control, clock, folder.string() + "/"};
};

TEST(LogFileNames, TimeStampAndPrefix) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(TimeStampedName(LogFolderPrefix("Log"), 1700000000, ".txt"),
              "Log/2023_11_14_22_13_20.txt");
    EXPECT_EQ(TimeStampedName(LogFolderPrefix(""), 946684800, ".rtf"), "2000_01_01_00_00_00.rtf");
    EXPECT_EQ(ResolveInProgramFolder("/p/", "Log/a.txt"), "/p/Log/a.txt");
    EXPECT_EQ(ResolveInProgramFolder("/p/", "/var/logs/a.txt"), "/var/logs/a.txt");
    // A Windows-style folder works, and a double-byte name whose trail byte is
    // 0x5C keeps that byte as part of its character.
    EXPECT_EQ(ResolveInProgramFolder("/p/", "Old\\Log/a.txt"), "/p/Old/Log/a.txt");
    EXPECT_EQ(ResolveInProgramFolder("/p/", Sjis("表") + "/a.txt"), "/p/表/a.txt");
}

TEST_F(LogFileTest, TextLogNameAndLinesReachTheDiskAsAppended) {
    const LogFileResult r = log.StartTextLog();
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.text.empty());  // starting shows nothing
    EXPECT_EQ(r.fileName, "Log/2023_11_14_22_13_20.txt");
    const fs::path path = folder / "Log" / "2023_11_14_22_13_20.txt";
    EXPECT_EQ(log.TextLogPath(), path.string());
    EXPECT_EQ(ReadFile(path), "");  // no header

    log.AppendChatLine("GM", "hello<CR>world", 0, LogBox);
    // Readable while the log still runs: nothing waits in a buffer.
    EXPECT_EQ(ReadFile(path), Sjis("GM：hello\r\nworld\r\n"));
    log.AppendNoticeLine("<b>x</b>");
    EXPECT_EQ(ReadFile(path), Sjis("GM：hello\r\nworld\r\nx\r\n"));

    // A second start closes the first file and begins a new one.
    clock.now += 5;
    ASSERT_TRUE(log.StartTextLog().ok);
    log.AppendChatLine("GM", "new", 0, LogBox);
    EXPECT_EQ(ReadFile(path), Sjis("GM：hello\r\nworld\r\nx\r\n"));
    EXPECT_EQ(ReadFile(folder / "Log" / "2023_11_14_22_13_25.txt"), Sjis("GM：new\r\n"));

    log.StopTextLog();
    EXPECT_FALSE(log.TextLogRunning());
    log.AppendChatLine("GM", "after", 0, LogBox);
    EXPECT_EQ(ReadFile(folder / "Log" / "2023_11_14_22_13_25.txt"), Sjis("GM：new\r\n"));
}

TEST_F(LogFileTest, TextLogThatCannotBeCreated) {
    logFolder = "missing";
    const LogFileResult r = log.StartTextLog();
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(log.TextLogRunning());
    EXPECT_EQ(r.caption, Sjis("ファイルエラー"));
    EXPECT_EQ(r.icon, PromptIcon::Stop);
    EXPECT_TRUE(r.beep);
    const std::string head = Sjis("ファイルが開けません\r\n");
    ASSERT_GT(r.text.size(), head.size());  // the system's reason follows
    EXPECT_EQ(r.text.substr(0, head.size()), head);
    log.AppendChatLine("GM", "hi", 0, LogBox);  // still shown, nothing written
    EXPECT_EQ(control.runs.empty(), false);
}

TEST_F(LogFileTest, TextSnapshotAndSavingTwiceInOneSecond) {
    log.AppendNoticeLine(Sjis("◇ 開始"));
    log.AppendChatLine("GM", "a<cr>b", 0xFF0000, LogBox);
    LogFileResult r = log.SaveLogText();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fileName, "Log/2023_11_14_22_13_20.txt");
    EXPECT_EQ(r.text, Sjis("ログをLog/2023_11_14_22_13_20.txtに保存しました"));
    EXPECT_EQ(r.caption, Sjis("確認"));
    EXPECT_EQ(r.icon, PromptIcon::Information);
    const fs::path path = folder / "Log" / "2023_11_14_22_13_20.txt";
    EXPECT_EQ(ReadFile(path), Sjis("◇ 開始\r\nGM：a\r\nb\r\n"));

    // Same second: a new name; nothing written before is touched.
    log.ClearLog();
    log.AppendNoticeLine("z");
    r = log.SaveLogText();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fileName, "Log/2023_11_14_22_13_20_2.txt");
    EXPECT_EQ(ReadFile(path), Sjis("◇ 開始\r\nGM：a\r\nb\r\n"));
    EXPECT_EQ(ReadFile(folder / "Log" / "2023_11_14_22_13_20_2.txt"), "z\r\n");
}

TEST_F(LogFileTest, RunningLogIsNeverTruncatedByASnapshotOrAnotherStart) {
    ASSERT_TRUE(log.StartTextLog().ok);
    log.AppendChatLine("GM", "one", 0, LogBox);
    // A snapshot and a second start within the same second take new names.
    const LogFileResult snapshot = log.SaveLogText();
    ASSERT_TRUE(snapshot.ok);
    EXPECT_EQ(snapshot.fileName, "Log/2023_11_14_22_13_20_2.txt");
    log.AppendChatLine("GM", "two", 0, LogBox);
    ASSERT_TRUE(log.StartTextLog().ok);
    EXPECT_EQ(log.TextLogPath(), (folder / "Log" / "2023_11_14_22_13_20_3.txt").string());
    log.AppendChatLine("GM", "three", 0, LogBox);
    log.StopTextLog();
    EXPECT_EQ(ReadFile(folder / "Log" / "2023_11_14_22_13_20.txt"), Sjis("GM：one\r\nGM：two\r\n"));
    EXPECT_EQ(ReadFile(folder / "Log" / "2023_11_14_22_13_20_3.txt"), Sjis("GM：three\r\n"));
}

TEST_F(LogFileTest, SnapshotsWithoutLogFolderGoToTheProgramFolder) {
    logFolder.clear();
    log.AppendNoticeLine("n");
    LogFileResult r = log.SaveLogRtf();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fileName, "2023_11_14_22_13_20.rtf");
    EXPECT_TRUE(fs::exists(folder / "2023_11_14_22_13_20.rtf"));

    logFolder = "missing";
    r = log.SaveLogText();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.caption, Sjis("ファイルエラー"));
}

TEST_F(LogFileTest, RtfSnapshotCarriesTheLogColourTable) {
    log.SetTextColor(0x00FF00);
    log.AppendChatLine("GM", "<color 0000FF>b</color>g", 0xFF0000, LogBox);
    ASSERT_TRUE(log.SaveLogRtf().ok);
    const std::string saved = ReadFile(folder / "Log" / "2023_11_14_22_13_20.rtf");
    EXPECT_NE(saved.find(log.LogColorTable() + "\r\n\\viewkind"), std::string::npos);

    // Read back, every piece has the colour it was shown in.
    const auto runs = CRtfReader::Read(saved);
    std::vector<std::pair<std::string, std::uint32_t>> colored;
    for (const RtfRun& run : runs) {
        if (!run.text.empty())
            colored.emplace_back(run.text, run.format.color.value_or(1));
    }
    ASSERT_EQ(colored.size(), 4u);
    EXPECT_EQ(colored[0], std::make_pair(std::string("GM"), 0xFF0000u));
    EXPECT_EQ(colored[1], std::make_pair(std::string("："), 0x00FF00u));
    EXPECT_EQ(colored[2], std::make_pair(std::string("b"), 0x0000FFu));
    EXPECT_EQ(colored[3], std::make_pair(std::string("g"), 0x00FF00u));
}

TEST_F(LogFileTest, ClearThenSaveRtfHasOnlyNewColours) {
    log.AppendChatLine("GM", "<color 0000FF>b", 0xFF0000, LogBox);
    log.ClearLog();
    EXPECT_TRUE(control.runs.empty());
    EXPECT_EQ(log.LogColorTable(), "{\\colortbl;}");

    ASSERT_TRUE(log.SaveLogRtf().ok);
    std::string saved = ReadFile(folder / "Log" / "2023_11_14_22_13_20.rtf");
    EXPECT_NE(saved.find("{\\colortbl;}\r\n\\viewkind"), std::string::npos);

    log.AppendChatLine("PL", "x", 0x123456, LogBox);
    ASSERT_TRUE(log.SaveLogRtf().ok);
    saved = ReadFile(folder / "Log" / "2023_11_14_22_13_20_2.rtf");
    EXPECT_NE(saved.find("{\\colortbl; \\red18\\green52\\blue86; \\red0\\green0\\blue0;}"),
              std::string::npos);
    EXPECT_EQ(saved.find("blue255"), std::string::npos);
    EXPECT_EQ(CChatLog::ClearLogQuestion(), Sjis("ログをクリアします\r\nよろしいですか？"));
}

TEST_F(LogFileTest, ColourTableFixUp) {
    log.ColorIndex(0x0000FF);  // 1
    log.ColorIndex(0xFF0000);  // 2
    // A control that numbers the same colours the other way round, and a text
    // that merely looks like a colour word.
    const std::string streamed =
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
        "\\viewkind4 \\cf1 r\\cf2 b\\cf0 a \\\\cf1 \\cf9 z}";
    EXPECT_EQ(
        log.FixUpColorTable(streamed),
        "{\\rtf1" + log.LogColorTable() + "\r\n\\viewkind4 \\cf2 r\\cf1 b\\cf0 a \\\\cf1 \\cf0 z}");

    // Without a table one is put before the marker; without the marker the
    // text stays as it is.
    EXPECT_EQ(log.FixUpColorTable("{\\rtf1 \\viewkind x}"),
              "{\\rtf1 " + log.LogColorTable() + "\r\n\\viewkind x}");
    EXPECT_EQ(log.FixUpColorTable("{\\rtf1 {\\colortbl;\\red1\\green1\\blue1;} x}"),
              "{\\rtf1 {\\colortbl;\\red1\\green1\\blue1;} x}");

    // Colours the table did not know yet are added rather than lost.
    const std::string extra = "{\\colortbl;\\red1\\green2\\blue3;}\\viewkind \\cf1 q";
    const std::string fixed = log.FixUpColorTable(extra);
    EXPECT_EQ(fixed, log.LogColorTable() + "\\viewkind \\cf3 q");
    EXPECT_EQ(log.Colors().Colors().back(), 0x010203u);
}

TEST_F(LogFileTest, SavedRtfOpensInLibreOfficeWithTextAndColours) {
    const std::string soffice = FindOnPath("soffice");
    if (soffice.empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    log.AppendNoticeLine(Sjis("<b>◎ 太郎が接続しました"));
    log.AppendChatLine(Sjis("太郎"), Sjis("<color FF0000>赤い</color>扉{と}\\表"), 0x0000FF,
                       LogBox);
    log.AppendChatLine("GM", Sjis("<color 00AA00>緑の<h></color>"), 0x000000, DiceRoll);
    const LogFileResult saved = log.SaveLogRtf();
    ASSERT_TRUE(saved.ok) << saved.text;
    const fs::path rtf = folder / saved.fileName;

    const std::string text =
        ConvertWithLibreOffice(soffice, folder, rtf, "txt:Text (encoded):UTF8", ".txt");
    EXPECT_NE(text.find("◎ 太郎が接続しました"), std::string::npos) << text;
    EXPECT_NE(text.find("太郎：赤い扉{と}\\表"), std::string::npos) << text;
    EXPECT_NE(text.find("GM(ダイス)：緑の"), std::string::npos) << text;

    // The flat document format names each span's colour.
    const std::string odt = ConvertWithLibreOffice(soffice, folder, rtf, "fodt", ".fodt");
    for (const char* color : {"#ff0000", "#0000ff", "#00aa00"}) {
        EXPECT_NE(odt.find(color), std::string::npos) << color;
    }
}

}  // namespace
}  // namespace yarrow
