// The chat log's cost per line, at the start and after 10,000 lines (it must
// not grow with the log), and the cost of saving such a log as RTF and text.
// The fake controls here are cheap so that only the chat log's own work is
// measured; the widget's cost is measured with the widget.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "chat/CChatLog.h"
#include "net/MsgType.h"
#include "platform/CRtfReader.h"
#include "platform/CRtfWriter.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/ILogControl.h"

namespace yarrow {
namespace {

class CountingControl : public ILogControl {
  public:
    void AppendRtf(const std::string& document, bool) override { bytes += document.size(); }
    std::string StreamOutRtf() const override { return {}; }
    std::string StreamOutText() const override { return {}; }
    void Clear() override { bytes = 0; }
    void SetBackgroundColor(std::uint32_t) override {}
    std::size_t bytes = 0;
};

// Keeps what a log widget keeps: the styled runs of every line.
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

constexpr int kLogLines = 10000;
constexpr int kMeasuredLines = 1000;

// Line i of a busy session: remarks with markup, rolls, whispers, cards,
// timers and notices, from a dozen speakers with their own colours.
void AppendMixedLine(CChatLog& log, int i) {
    static const std::string kNames[] = {Sjis("GM"), Sjis("太郎"), Sjis("花子"), Sjis("ゴブリン")};
    static const std::string kTexts[] = {
        Sjis("こんにちは、今日もよろしく"),   Sjis("<color FF0000>赤い</color>扉を開ける<h>"),
        Sjis("<size 5>待った！</size>"),      Sjis("2D6 → 3,4 → 7"),
        Sjis("表示\\テスト{括弧}<cr>二行目"),
    };
    static const std::string kNotice = Sjis("<b>◎ 太郎が接続しました");
    const std::string& name = kNames[i % 4];
    const std::uint32_t color = 0x101010u * static_cast<std::uint32_t>(i % 12);
    switch (i % 8) {
        case 0:
            log.AppendNoticeLine(kNotice);
            break;
        case 1:
            log.AppendChatLine(name, kTexts[3], color, DiceRoll);
            break;
        case 2:
            log.AppendChatLine(name, kTexts[4], color, Secret);
            break;
        case 3:
            log.AppendChatLine(name, Sjis("ハートのA\t山札\t手札"), color, MoveCard);
            break;
        case 4:
            log.AppendChatLine(name, Sjis("残り3分"), color, StartTimer);
            break;
        default:
            log.AppendChatLine(name, kTexts[i % 3], color, LogBox);
            break;
    }
}

// Appends kMeasuredLines lines to a log that already holds range(0) lines.
void BM_AppendLines(benchmark::State& state) {
    const int before = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        CountingControl control;
        FixedClock clock;
        CChatLog log(&control, clock, "/nonexistent/");
        for (int i = 0; i < before; ++i)
            AppendMixedLine(log, i);
        state.ResumeTiming();
        for (int i = before; i < before + kMeasuredLines; ++i)
            AppendMixedLine(log, i);
        benchmark::DoNotOptimize(control.bytes);
    }
    state.counters["per_line"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kMeasuredLines,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AppendLines)->Arg(0)->Arg(kLogLines - kMeasuredLines)->Unit(benchmark::kMillisecond);

// What the widget pays per appended line to understand its document.
void BM_ReadLineDocument(benchmark::State& state) {
    CountingControl control;
    FixedClock clock;
    CChatLog log(&control, clock, "/nonexistent/");
    const std::string doc = log.ChatDocument(
        Sjis("太郎"), Sjis("<color FF0000>赤い</color>扉を開ける<h>"), 0x00FF00, LogBox);
    for (auto _ : state)
        benchmark::DoNotOptimize(CRtfReader::Read(doc));
}
BENCHMARK(BM_ReadLineDocument);

struct SavedLog {
    SavedLog() {
        folder = std::filesystem::temp_directory_path() /
                 ("yarrow_bench_chat_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        for (int i = 0; i < kLogLines; ++i)
            AppendMixedLine(log, i);
    }
    ~SavedLog() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    RunsControl control;
    FixedClock clock;
    CChatLog log{&control, clock, folder.string() + "/"};
};

void BM_SaveLogRtf(benchmark::State& state) {
    SavedLog saved;
    for (auto _ : state) {
        if (!saved.log.SaveLogRtf().ok)
            state.SkipWithError("cannot write the RTF snapshot");
    }
    state.counters["lines"] = kLogLines;
}
BENCHMARK(BM_SaveLogRtf)->Unit(benchmark::kMillisecond);

void BM_SaveLogText(benchmark::State& state) {
    SavedLog saved;
    for (auto _ : state) {
        if (!saved.log.SaveLogText().ok)
            state.SkipWithError("cannot write the text snapshot");
    }
    state.counters["lines"] = kLogLines;
}
BENCHMARK(BM_SaveLogText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yarrow
