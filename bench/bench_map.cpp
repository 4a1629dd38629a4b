// A full map page, as large as a page may get: 65,535 items and 65,535
// tiles. What a participant pays to send it, to receive it (decode plus
// apply, the whole way from the socket bytes to the page), to save and load
// it as a .map file, and to find the nearest free cell on a crowded map.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "map/CMapBook.h"
#include "map/CMapFile.h"
#include "net/CMsg.h"
#include "net/CMsgDecoder.h"

namespace {

using namespace yarrow;

// Every cell but the last holds an item and a tile; the texts are short, as
// symbols typed in the unit dialog are.
void FillPage(CMapPage& page) {
    UnitMap units;
    TileMap tiles;
    for (int key = 0; key < 0xFFFF; ++key) {
        const auto k = static_cast<CellKey>(key);
        units.emplace_hint(
            units.end(), k,
            CUnitRecord{static_cast<std::uint8_t>(key % 6), key, static_cast<std::uint8_t>(key),
                        std::string(1, 'U').append(std::to_string(key % 100)), kNoAnchor});
        tiles.emplace_hint(tiles.end(), k, CTileRecord{0x00FF00, 0, key & 3, key % 7 ? "" : "T"});
    }
    page.ReplaceContents(std::move(units), std::move(tiles), page.MapFlags(), false, true);
}

std::string FullPageWire() {
    CMapPage page(0);
    FillPage(page);
    return CMapBook::BuildUpdate(page, 1).Encode();
}

// Sending: the record built from the page and encoded.
void BM_MapSendEncode(benchmark::State& state) {
    CMapPage page(0);
    FillPage(page);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const CMsg msg = CMapBook::BuildUpdate(page, 1);
        const std::string wire = msg.Encode();
        bytes = wire.size();
        benchmark::DoNotOptimize(wire.data());
    }
    state.counters["wire_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MapSendEncode)->Unit(benchmark::kMillisecond);

// Receiving: the record decoded from its bytes and applied to a page that
// already holds a full map (which is freed on the way). The decoder lives as
// long as the connection, as a socket's does.
void BM_MapReceiveDecodeAndApply(benchmark::State& state) {
    const std::string wire = FullPageWire();
    CMapBook book;
    book.MainPage().SetClientSize(800, 600);
    const MapReceiveContext shown{true, true, false};
    CMsgDecoder decoder;
    for (auto _ : state) {
        decoder.Feed(wire);
        CMsg msg;
        if (decoder.Next(msg) != CMsgDecoder::Status::Record)
            state.SkipWithError("the record did not decode");
        const MapReceiveReport report = book.ReceiveMap(msg, shown);
        benchmark::DoNotOptimize(report.growth.clientWidth);
    }
    state.counters["items"] = static_cast<double>(book.MainPage().Units().size());
    state.counters["tiles"] = static_cast<double>(book.MainPage().Tiles().size());
}
BENCHMARK(BM_MapReceiveDecodeAndApply)->Unit(benchmark::kMillisecond);

// The same with the bytes arriving in 64 KiB socket reads, each decoded as
// far as it goes: the total work of receiving a full page.
void BM_MapReceiveInPiecesAndApply(benchmark::State& state) {
    const std::string wire = FullPageWire();
    CMapBook book;
    const MapReceiveContext shown{true, true, false};
    CMsgDecoder decoder;
    for (auto _ : state) {
        CMsg msg;
        CMsgDecoder::Status status = CMsgDecoder::Status::NeedMore;
        for (std::size_t at = 0; at < wire.size(); at += 65536) {
            decoder.Feed(std::string_view(wire).substr(at, 65536));
            status = decoder.Next(msg);
        }
        if (status != CMsgDecoder::Status::Record)
            state.SkipWithError("the record did not decode");
        benchmark::DoNotOptimize(book.ReceiveMap(msg, shown).growth.clientWidth);
    }
}
BENCHMARK(BM_MapReceiveInPiecesAndApply)->Unit(benchmark::kMillisecond);

// Only the decoding part.
void BM_MapReceiveDecodeOnly(benchmark::State& state) {
    const std::string wire = FullPageWire();
    CMsgDecoder decoder;
    for (auto _ : state) {
        decoder.Feed(wire);
        CMsg msg;
        if (decoder.Next(msg) != CMsgDecoder::Status::Record)
            state.SkipWithError("the record did not decode");
        benchmark::DoNotOptimize(msg.Units.size());
    }
}
BENCHMARK(BM_MapReceiveDecodeOnly)->Unit(benchmark::kMillisecond);

std::string TempMapPath() {
    return (std::filesystem::temp_directory_path() / "yarrow_bench_map.map").string();
}

void BM_MapFileSave(benchmark::State& state) {
    CMapPage page(0);
    FillPage(page);
    const std::string path = TempMapPath();
    for (auto _ : state) {
        const CMapResult result = CMapFile::Save(path, page);
        if (result.icon != PromptIcon::Information)
            state.SkipWithError("the file could not be written");
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_MapFileSave)->Unit(benchmark::kMillisecond);

void BM_MapFileLoad(benchmark::State& state) {
    CMapPage source(0);
    FillPage(source);
    const std::string path = TempMapPath();
    CMapFile::Save(path, source);
    CMapPage page(1);
    for (auto _ : state) {
        const CMapResult result = CMapFile::Load(path, page);
        if (!result.changed)
            state.SkipWithError("the file did not load");
    }
    state.counters["items"] = static_cast<double>(page.Units().size());
    std::filesystem::remove(path);
}
BENCHMARK(BM_MapFileLoad)->Unit(benchmark::kMillisecond);

// A crowded map: every cell holds an item but the one farthest from where
// the item is dropped, so the search walks every ring. Argument: 0 square,
// 1 hex direction 0, 2 hex direction 1.
void BM_NearestFreeCellCrowded(benchmark::State& state) {
    CMapPage page(0);
    page.SetHexShape(state.range(0) != 0);
    page.SetHexDirection(state.range(0) == 2 ? 1 : 0);
    UnitMap units;
    for (int key = 0; key <= 0xFFFF; ++key)
        units.emplace_hint(units.end(), static_cast<CellKey>(key), CUnitRecord{});
    units.erase(MakeCellKey(255, 255));
    page.ReplaceContents(std::move(units), {}, page.MapFlags(), false, true);
    for (auto _ : state) {
        const std::optional<MapCell> cell = page.NearestFreeCell({0, 0});
        if (!cell || cell->column != 255 || cell->row != 255)
            state.SkipWithError("wrong cell");
        benchmark::DoNotOptimize(cell);
    }
}
BENCHMARK(BM_NearestFreeCellCrowded)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
