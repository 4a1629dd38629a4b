// A saved RTF log must open in other programs with its text and colours.
// Checked with LibreOffice when it is installed (Debian package
// libreoffice-writer-nogui); skipped otherwise.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "chat/CChatLog.h"
#include "chat/CRtfReader.h"
#include "chat/CRtfWriter.h"
#include "chat/ILogControl.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"

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

class FixedClock : public IClock {
  public:
    std::time_t Now() const override { return 1700000000; }
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const fs::path candidate = fs::path(dir) / program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

class RtfInteropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        soffice = FindOnPath("soffice");
        if (soffice.empty())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed";
        fs::remove_all(folder);
        fs::create_directories(folder / "out");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Converts the file with LibreOffice; the converted file's content.
    std::string Convert(const fs::path& file, const std::string& filter,
                        const std::string& extension) {
        const std::string command = "timeout 300 '" + soffice + "' -env:UserInstallation=file://" +
                                    (folder / "profile").string() + " --headless --convert-to '" +
                                    filter + "' --outdir '" + (folder / "out").string() + "' '" +
                                    file.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ReadFile(folder / "out" / (file.stem().string() + extension));
    }

    std::string soffice;
    fs::path folder = fs::temp_directory_path() / ("yarrow_interop_" + std::to_string(::getpid()));
    RunsControl control;
    FixedClock clock;
    CChatLog log{&control, clock, folder.string() + "/"};
};

TEST_F(RtfInteropTest, SavedLogOpensWithItsTextAndColours) {
    log.AppendNoticeLine(Sjis("<b>◎ 太郎が接続しました"));
    log.AppendChatLine(Sjis("太郎"), Sjis("<color FF0000>赤い</color>扉{と}\\表"), 0x0000FF,
                       LogBox);
    log.AppendChatLine("GM", Sjis("<color 00AA00>緑の<h></color>"), 0x000000, DiceRoll);
    const LogFileResult saved = log.SaveLogRtf();
    ASSERT_TRUE(saved.ok) << saved.text;
    const fs::path rtf = folder / saved.fileName;

    const std::string text = Convert(rtf, "txt:Text (encoded):UTF8", ".txt");
    EXPECT_NE(text.find("◎ 太郎が接続しました"), std::string::npos) << text;
    EXPECT_NE(text.find("太郎：赤い扉{と}\\表"), std::string::npos) << text;
    EXPECT_NE(text.find("GM(ダイス)：緑の"), std::string::npos) << text;

    // The flat document format names each span's colour.
    const std::string odt = Convert(rtf, "fodt", ".fodt");
    for (const char* color : {"#ff0000", "#0000ff", "#00aa00"}) {
        EXPECT_NE(odt.find(color), std::string::npos) << color;
    }
}

}  // namespace
}  // namespace yarrow
