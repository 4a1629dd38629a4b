// Encoding and decoding one UpdateMap record as large as the wire allows:
// 65,535 units and 65,535 tiles.

#include <benchmark/benchmark.h>

#include "net/CMsg.h"
#include "net/CMsgDecoder.h"

namespace {

yarrow::CMsg FullMap() {
    yarrow::CMsg map;
    map.Type = yarrow::UpdateMap;
    map.Param2 = 0;
    for (int key = 0; key < 0xFFFF; ++key) {
        const auto k = static_cast<std::uint16_t>(key);
        map.Units[k] = yarrow::CUnitRecord{1, key, static_cast<std::uint8_t>(key), "U", key};
        map.Tiles[k] = yarrow::CTileRecord{0x00FF00, 0, 9, "T"};
    }
    return map;
}

void BM_EncodeFullMap(benchmark::State& state) {
    const yarrow::CMsg map = FullMap();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string wire = map.Encode();
        bytes = wire.size();
        benchmark::DoNotOptimize(wire.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["wire_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeFullMap)->Unit(benchmark::kMillisecond);

void BM_DecodeFullMap(benchmark::State& state) {
    const std::string wire = FullMap().Encode();
    for (auto _ : state) {
        yarrow::CMsgDecoder decoder;
        decoder.Feed(wire);
        yarrow::CMsg msg;
        if (decoder.Next(msg) != yarrow::CMsgDecoder::Status::Record)
            state.SkipWithError("bad");
        benchmark::DoNotOptimize(msg.Units.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * wire.size()));
}
BENCHMARK(BM_DecodeFullMap)->Unit(benchmark::kMillisecond);

// The same record arriving in 64 KiB socket reads.
void BM_DecodeFullMapInPieces(benchmark::State& state) {
    const std::string wire = FullMap().Encode();
    for (auto _ : state) {
        yarrow::CMsgDecoder decoder;
        yarrow::CMsg msg;
        for (std::size_t at = 0; at < wire.size(); at += 65536) {
            decoder.Feed(std::string_view(wire).substr(at, 65536));
            decoder.Next(msg);
        }
        benchmark::DoNotOptimize(msg.Tiles.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * wire.size()));
}
BENCHMARK(BM_DecodeFullMapInPieces)->Unit(benchmark::kMillisecond);

}  // namespace
