#pragma once
// Deck.ini files written out in the tests and a check that every card of the
// deck in use lies in exactly one place.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cards/CDeckBox.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

namespace yarrow::test {

// Writes `lines` (UTF-8, turned into code page 932) as Deck.ini with CR LF
// line ends into `dir` and returns its path.
inline std::string WriteDeckIni(const TempDir& dir, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += Sjis(line) + "\r\n";
    const std::string path = dir.File("Deck.ini");
    TempDir::Write(path, bytes);
    return path;
}

// A set named `name` of `count` cards "C0", "C1", ... in one copy.
inline std::vector<std::string> PlainSet(const std::string& name, int count) {
    std::vector<std::string> lines{"[" + name + "]", "CardNum=" + std::to_string(count)};
    for (int i = 0; i < count; ++i)
        lines.push_back(std::to_string(i) + "=C" + std::to_string(i));
    return lines;
}

// Every card of the current deck is in exactly one of: the draw pile, the
// discard pile, one pile of one of `members`.
inline void ExpectEveryCardOnce(const CDeckBox& box, const std::vector<std::int32_t>& members) {
    const CDeck* deck = box.Current();
    ASSERT_NE(deck, nullptr);
    std::vector<int> seen(static_cast<std::size_t>(deck->CardNum() * deck->DeckNum()), 0);
    auto count = [&](int number, const char* where) {
        ASSERT_GE(number, 0) << where;
        ASSERT_LT(static_cast<std::size_t>(number), seen.size()) << where;
        ++seen[static_cast<std::size_t>(number)];
    };
    for (auto n : deck->DrawPile())
        count(n, "draw pile");
    for (auto n : deck->DiscardPile())
        count(n, "discard pile");
    for (std::int32_t member : members) {
        if (const CCardHolder* holder = box.Holder(member)) {
            for (const auto& pile : holder->piles) {
                for (auto n : pile)
                    count(n, "holder");
            }
        }
    }
    std::size_t total = 0;
    for (std::size_t n = 0; n < seen.size(); ++n) {
        const int expected = deck->Card(static_cast<int>(n)) != nullptr ? 1 : 0;
        EXPECT_EQ(seen[n], expected) << "card " << n;
        total += static_cast<std::size_t>(seen[n]);
    }
    EXPECT_EQ(total, deck->CardCount());
}

}  // namespace yarrow::test
