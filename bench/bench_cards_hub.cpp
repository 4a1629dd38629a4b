// The hub's card actions with a full deck (32,768 cards) and 1,000 members
// holding cards: every draw, move and pass costs O(log n) per card involved,
// so a record stays within a few microseconds per card however many members
// and cards the hub keeps. The shuffle of the full deck is measured too.
//
// Each benchmark applies real records through CHubCardState, the step the hub
// runs for every card record before it relays it.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cards/CHubCardState.h"
#include "dice/CMersenneTwister.h"
#include "net/CMsg.h"
#include "net/CardLineText.h"
#include "platform/IClock.h"

namespace {

using namespace yarrow;

constexpr int kMembers = 1000;
constexpr int kCardsEach = 20;

// A hub's card state with the full deck loaded and 20 cards in each of the
// 1,000 members' hands.
struct FullHub {
    FullHub() : cards(random, clock) {
        const std::filesystem::path dir = std::filesystem::temp_directory_path();
        path = (dir / "yarrow-bench-Deck.ini").string();
        {
            std::ofstream out(path, std::ios::binary);
            out << "[DeckSet]\r\n0=Full\r\n[Full]\r\nCardNum=32768\r\nDeckNum=1\r\n";
            for (int i = 0; i < 32768; ++i)
                out << i << "=Card " << i << "\r\n";
        }
        random.RandomSeed(4357);
        if (!cards.Load(path))
            std::fprintf(stderr, "the benchmark deck did not load\n");
        for (int m = 1; m <= kMembers; ++m)
            cards.AddHolder(m);
        Deal();
    }
    // The deck file stays while the hub may select the set again.
    ~FullHub() { std::filesystem::remove(path); }

    // Every member's hand filled up to 20 cards.
    void Deal() {
        for (int m = 1; m <= kMembers; ++m) {
            while (cards.Box().Holder(m)->Pile(kHandPile).size() < kCardsEach)
                DrawInto(m);
        }
    }
    // One card into the member's hand, the discard pile going back into the
    // deck first when the draw pile is empty.
    CMsg DrawInto(std::int32_t member) {
        CMsg drawn = Apply(Record(DrawCard, member));
        if (drawn.Type != DrawCard) {
            Apply(Record(ResetGrave, member));
            drawn = Apply(Record(DrawCard, member));
        }
        return drawn;
    }

    static CMsg Record(std::int32_t type, std::int32_t member, std::int32_t param1 = 0) {
        CMsg msg;
        msg.Type = type;
        msg.ID = member;
        msg.Param1 = param1;
        return msg;
    }
    CMsg Apply(const CMsg& record) {
        CMsg working = record;
        cards.ApplyCardOperation(record, working);
        return working;
    }
    // The entries of the first `n` cards of the member's pile.
    std::vector<std::string> Entries(std::int32_t member, int pile, int n) const {
        std::vector<std::string> entries;
        for (std::uint16_t number : cards.Box().Holder(member)->Pile(pile)) {
            if (static_cast<int>(entries.size()) == n)
                break;
            entries.push_back(FormatCardEntry(number, cards.Box().DisplayText(number)));
        }
        return entries;
    }

    std::string path;
    CMersenneTwister random;
    CSystemClock clock;
    CHubCardState cards;
};

FullHub& Hub() {
    static FullHub hub;
    return hub;
}

// One card drawn into a member's hand and laid on the discard pile; when the
// draw pile runs out the discard pile is shuffled back in (one shuffle per
// 12,768 draws, included in the figure).
void BM_DrawCard(benchmark::State& state) {
    FullHub& hub = Hub();
    std::int32_t member = 1;
    for (auto _ : state) {
        const CMsg drawn = hub.DrawInto(member);
        CMsg discard = FullHub::Record(MoveCard, member, 0x0104);
        discard.Strings = {FormatCardEntry(drawn.Param1, drawn.Text)};
        benchmark::DoNotOptimize(hub.Apply(discard));
        member = member % kMembers + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawCard);

// N cards from hand to the face-down pile and back: 2 x N cards per iteration.
void BM_MoveCards(benchmark::State& state) {
    FullHub& hub = Hub();
    const int n = static_cast<int>(state.range(0));
    const std::int32_t member = 500;
    while (static_cast<int>(hub.cards.Box().Holder(member)->Pile(kHandPile).size()) < n)
        hub.DrawInto(member);
    CMsg down = FullHub::Record(MoveCard, member, 0x0103);
    down.Strings = hub.Entries(member, kHandPile, n);
    CMsg up = down;
    up.Param1 = 0x0301;
    for (auto _ : state) {
        benchmark::DoNotOptimize(hub.Apply(down));
        benchmark::DoNotOptimize(hub.Apply(up));
    }
    state.SetItemsProcessed(state.iterations() * 2 * n);
}
BENCHMARK(BM_MoveCards)->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

// N cards passed from one member to another and back: 2 x N cards.
void BM_PassCards(benchmark::State& state) {
    FullHub& hub = Hub();
    const int n = static_cast<int>(state.range(0));
    const std::int32_t giver = 100;
    const std::int32_t receiver = 900;
    while (static_cast<int>(hub.cards.Box().Holder(giver)->Pile(kHandPile).size()) < n)
        hub.DrawInto(giver);
    CMsg there = FullHub::Record(PassCard, giver, receiver);
    there.Strings = hub.Entries(giver, kHandPile, n);
    CMsg back = FullHub::Record(PassCard, receiver, giver);
    back.Strings = there.Strings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(hub.Apply(there));
        benchmark::DoNotOptimize(hub.Apply(back));
    }
    state.SetItemsProcessed(state.iterations() * 2 * n);
}
BENCHMARK(BM_PassCards)->Arg(1)->Arg(100);

// A look at a member's piles (counts and face-up texts).
void BM_GetCardStat(benchmark::State& state) {
    FullHub& hub = Hub();
    // Member 700 shows half its hand face up.
    CMsg up = FullHub::Record(MoveCard, 700, 0x0102);
    up.Strings = hub.Entries(700, kHandPile, kCardsEach / 2);
    hub.Apply(up);
    for (auto _ : state)
        benchmark::DoNotOptimize(hub.Apply(FullHub::Record(GetCardStat, 1, 700)));
}
BENCHMARK(BM_GetCardStat);

// Shuffling the draw pile of the full deck (what is not in the members' hands).
void BM_ShuffleDeck(benchmark::State& state) {
    FullHub& hub = Hub();
    for (auto _ : state)
        benchmark::DoNotOptimize(hub.Apply(FullHub::Record(ShuffleDeck, 1)));
    state.SetItemsProcessed(state.iterations() * hub.cards.Box().Remaining());
}
BENCHMARK(BM_ShuffleDeck);

// Selecting the full deck again: every holder's piles emptied, all 32,768
// cards back in the draw pile and shuffled.
void BM_SelectFullDeck(benchmark::State& state) {
    FullHub& hub = Hub();
    for (auto _ : state)
        benchmark::DoNotOptimize(hub.cards.SwitchDeck(0));
    state.SetItemsProcessed(state.iterations() * 32768);
    // Deal the hands again for the benchmarks that follow.
    hub.Deal();
}
BENCHMARK(BM_SelectFullDeck);

// Reading Deck.ini's largest set from scratch.
void BM_LoadFullDeck(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "yarrow-bench-load-Deck.ini").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << "[DeckSet]\r\n0=Full\r\n[Full]\r\nCardNum=32768\r\nDeckNum=1\r\n";
        for (int i = 0; i < 32768; ++i)
            out << i << "=Card " << i << "\r\n";
    }
    CMersenneTwister random;
    CSystemClock clock;
    for (auto _ : state) {
        CHubCardState cards(random, clock);
        benchmark::DoNotOptimize(cards.Load(path));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadFullDeck)->Unit(benchmark::kMillisecond);

}  // namespace
