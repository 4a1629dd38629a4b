// The chat log control under a long session: the cost of appending one line
// to an empty log and to a log that already holds 10,000 lines (it must not
// grow with the log), and saving such a log as RTF and as text.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <ctime>
#include <memory>
#include <string>

#include "chat/CChatLog.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/qt/CLogWidget.h"

namespace {

using namespace yarrow;

class CStillClock final : public IClock {
  public:
    std::time_t Now() const override { return 1'700'000'000; }
};

struct LogUnderTest {
    CStillClock clock;
    CLogWidget widget;
    CChatLog chat{&widget, clock, "/nonexistent/"};
    int lines = 0;

    LogUnderTest() {
        widget.resize(520, 400);
        widget.show();
    }

    // Chat lines with colour and size markup and a link, and bold notices,
    // in the mix of a real session.
    void AppendOne() {
        static const std::string kName = Sjis("ゲームマスター");
        static const std::string kText = Sjis(
            "<color FF0000>ゴブリン</color>が現れた！<size 4>注意</size> "
            "http://example.com/rules");
        static const std::string kNotice = Sjis("<b>◎ ダイス：2D6 → 7");
        if (lines % 3 == 2) {
            chat.AppendNoticeLine(kNotice);
        } else {
            chat.AppendChatLine(kName, kText, 0x0000FF + (lines % 7) * 0x100000, 3);
        }
        ++lines;
    }
};

void BM_AppendLine(benchmark::State& state) {
    LogUnderTest log;
    for (int i = 0; i < state.range(0); ++i) {
        log.AppendOne();
    }
    QApplication::processEvents();
    for (auto _ : state) {
        log.AppendOne();
    }
    state.counters["lines_before"] = static_cast<double>(state.range(0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendLine)->Arg(0)->Arg(10000)->Arg(30000)->Unit(benchmark::kMicrosecond);

void BM_SaveLog(benchmark::State& state) {
    LogUnderTest log;
    for (int i = 0; i < 10000; ++i) {
        log.AppendOne();
    }
    const bool rtf = state.range(0) == 1;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string out = rtf ? log.widget.StreamOutRtf() : log.widget.StreamOutText();
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(rtf ? "RTF, 10000 lines" : "text, 10000 lines");
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_SaveLog)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
