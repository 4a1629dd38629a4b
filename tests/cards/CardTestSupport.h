#pragma once
// Deck.ini files for the card tests and the check that every card of the
// deck in use lies in exactly one place.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cards/CDeckBox.h"
#include "platform/TempDir.h"

namespace yarrow::test {

// Writes `lines` as Deck.ini with CR LF line ends into `dir`; returns its path.
inline std::string WriteDeckIni(const TempDir& dir, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    const std::string path = dir.File("Deck.ini");
    TempDir::Write(path, bytes);
    return path;
}

// `head` followed by the set `name` of `count` cards "C0", "C1", ...
inline std::vector<std::string> WithSet(std::vector<std::string> head, const std::string& name,
                                        int count) {
    head.push_back("[" + name + "]");
    head.push_back("CardNum=" + std::to_string(count));
    for (int i = 0; i < count; ++i)
        head.push_back(std::to_string(i) + "=C" + std::to_string(i));
    return head;
}

// Every card of the current deck is in exactly one of: the draw pile, the
// discard pile, one pile of one of `members`.
inline void ExpectEveryCardOnce(const CDeckBox& box, const std::vector<std::int32_t>& members) {
    const CDeck* deck = box.Current();
    ASSERT_NE(deck, nullptr);
    std::vector<int> found(deck->DrawPile().begin(), deck->DrawPile().end());
    for (auto n : deck->DiscardPile())
        found.push_back(n);
    for (std::int32_t member : members) {
        if (const CCardHolder* holder = box.Holder(member)) {
            for (const auto& pile : holder->piles)
                found.insert(found.end(), pile.begin(), pile.end());
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<int> cards;
    for (int n = 0; n < deck->CardNum() * deck->DeckNum(); ++n) {
        if (deck->Card(n) != nullptr)
            cards.push_back(n);
    }
    EXPECT_EQ(found, cards);
}

}  // namespace yarrow::test
