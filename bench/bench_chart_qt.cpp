// How long the chart window takes to apply the largest chart a peer may send
// (256 rows of 256 cells): the window must not freeze for more than a moment.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "chart/qt/CChartWindow.h"
#include "net/CMsg.h"
#include "net/ISessionPort.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"

namespace {

using namespace yarrow;

class QuietSession final : public ISessionPort {
  public:
    bool IsConnected() const override { return false; }
    std::int32_t MyID() const override { return 1; }
    std::string MyName() const override { return "bench"; }
    std::int32_t MyColor() const override { return 0; }
    std::string SpeakerName() const override { return "bench"; }
    bool SendChat(const std::string&, const std::string&, std::int32_t, std::int32_t) override {
        return false;
    }
    bool SendText(const std::string&, std::int32_t) override { return false; }
    bool DoSerialize(const CMsg&) override { return false; }
};

class SilentPrompter final : public IPrompter {
  public:
    PromptAnswer Ask(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::No;
    }
};

CMsg LargestChart() {
    CMsg msg;
    msg.Type = Chart;
    msg.ChartRows = 257;
    msg.ChartColumns = 256;
    msg.Strings.reserve(257 * 256);
    for (int i = 0; i < 257 * 256; ++i)
        msg.Strings.push_back(Sjis("セル") + std::to_string(i));
    return msg;
}

void BM_ApplyLargestChart(benchmark::State& state) {
    QuietSession session;
    SilentPrompter prompter;
    CChartWindow window(session, prompter);
    window.show();
    const CMsg msg = LargestChart();
    for (auto _ : state) {
        window.ApplyChart(msg);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ApplyLargestChart)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
