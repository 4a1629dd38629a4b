// The hub's resident memory with 32 idle participants: each has joined
// (handshake and reply) and then stays quiet. Reported as the process's RSS
// before and after the participants joined; the clients' own sockets are in
// the same process, so the growth is an upper bound for the hub's share.

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_net_support.h"

namespace {

double RssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6));
    }
    return 0;
}

void BM_HubRssWith32IdleClients(benchmark::State& state) {
    for (auto _ : state) {
        yarrow::bench::HubThread hub;
        const int port = hub.StartHub();
        const double before = RssKiB();
        std::vector<std::unique_ptr<yarrow::bench::Client>> clients;
        for (int i = 0; i < 32; ++i) {
            auto c = std::make_unique<yarrow::bench::Client>();
            if (!c->Connect(port)) {
                state.SkipWithError("could not connect");
                return;
            }
            yarrow::CMsg reply;
            reply.Type = yarrow::CnctReply;
            reply.ID = c->last.ID;
            reply.Text = std::to_string(i);
            reply.Text.insert(0, 1, 'P');
            c->Send(reply.Encode());
            clients.push_back(std::move(c));
        }
        // Each join is relayed to everybody who joined before it.
        for (int i = 0; i < 32; ++i) {
            if (!clients[i]->WaitFor(1 + 32 - i))
                state.SkipWithError("lost a record");
        }
        const double after = RssKiB();
        state.counters["rss_before_KiB"] = before;
        state.counters["rss_after_KiB"] = after;
        state.counters["growth_per_client_KiB"] = (after - before) / 32;
    }
}
BENCHMARK(BM_HubRssWith32IdleClients)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
