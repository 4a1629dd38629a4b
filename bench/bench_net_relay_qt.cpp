// LogBox records relayed by the hub to 16 participants on 127.0.0.1.
// BM_RelayLatency sends one record at a time and reports p50 and p99 of the
// time from the send to the last participant's delivery; BM_RelayThroughput
// sends in bursts and reports records delivered per second (16 deliveries
// per record).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "bench_net_support.h"

namespace {

using yarrow::bench::Client;
using yarrow::bench::HubThread;
constexpr int kClients = 16;

struct Session {
    HubThread hub;
    std::vector<std::unique_ptr<Client>> clients;
    std::string record;

    bool Open() {
        const int port = hub.StartHub();
        for (int i = 0; i < kClients; ++i) {
            auto c = std::make_unique<Client>();
            if (!c->Connect(port))
                return false;
            clients.push_back(std::move(c));
        }
        yarrow::CMsg chat;
        chat.Type = yarrow::LogBox;
        chat.ID = 1;
        chat.Name = "GM";
        chat.Text = "The dragon wakes up and looks at the party.";
        record = chat.Encode();
        return true;
    }
    std::size_t Target(std::size_t more) const { return clients.back()->received + more; }
    bool WaitAll(std::size_t count) {
        for (auto& c : clients) {
            if (!c->WaitFor(count))
                return false;
        }
        return true;
    }
};

void BM_RelayLatency(benchmark::State& state) {
    Session s;
    if (!s.Open()) {
        state.SkipWithError("could not connect");
        return;
    }
    std::vector<double> micros;
    for (auto _ : state) {
        const std::size_t target = s.Target(1);
        const auto start = std::chrono::steady_clock::now();
        s.clients[0]->Send(s.record);
        if (!s.WaitAll(target)) {
            state.SkipWithError("lost a record");
            return;
        }
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    state.counters["deliveries_per_s"] = benchmark::Counter(
        static_cast<double>(kClients), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RelayLatency)->Iterations(5000)->UseRealTime();

void BM_RelayThroughput(benchmark::State& state) {
    Session s;
    if (!s.Open()) {
        state.SkipWithError("could not connect");
        return;
    }
    const int burst = static_cast<int>(state.range(0));
    std::string bytes;
    for (int i = 0; i < burst; ++i)
        bytes += s.record;
    for (auto _ : state) {
        const std::size_t target = s.Target(static_cast<std::size_t>(burst));
        s.clients[0]->Send(bytes);
        if (!s.WaitAll(target)) {
            state.SkipWithError("lost a record");
            return;
        }
    }
    state.counters["records_per_s"] = benchmark::Counter(
        static_cast<double>(burst), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["deliveries_per_s"] = benchmark::Counter(
        static_cast<double>(burst) * kClients, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RelayThroughput)->Arg(256)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
