#include <gtest/gtest.h>

#include <vector>

#include "map/CMapBook.h"

namespace yarrow {
namespace {

TEST(MapBookTest, NextMapNumberFollowsTheRunFromTheSmallestNumber) {
    struct Case {
        std::vector<int> numbers;
        int next;
    };
    const Case cases[] = {
        {{0}, 1},    {{0, 1}, 2},    {{0, 5}, 1},       {{0, 1, 2}, 3},
        {{0, 2}, 1}, {{2, 0, 1}, 3}, {{0, 1, 3, 4}, 2}, {{}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMapBook::NextMapNumber(c.numbers), c.next);
}

TEST(MapBookTest, PagesAreCreatedFoundAndDeleted) {
    int reads = 0;
    CMapBook book([&] {
        ++reads;
        MapInitialSettings settings;
        settings.useSquareMap = true;
        settings.hexDirection = 1;
        return settings;
    });
    EXPECT_EQ(book.Numbers(), (std::vector<int>{0}));
    EXPECT_EQ(book.MainPage().MapNumber(), 0);
    EXPECT_FALSE(book.MainPage().HexShape());  // the settings reached the main map too

    bool created = false;
    CMapPage* one = book.GetOrCreate(-1, &created);
    ASSERT_NE(one, nullptr);
    EXPECT_TRUE(created);
    EXPECT_EQ(one->MapNumber(), 1);
    EXPECT_EQ(one->HexDirection(), 1);
    CMapPage* five = book.GetOrCreate(5, &created);
    EXPECT_EQ(five->MapNumber(), 5);
    EXPECT_EQ(book.GetOrCreate(5, &created), five);
    EXPECT_FALSE(created);
    EXPECT_EQ(book.NextMapNumber(), 2);
    EXPECT_EQ(reads, 3);

    EXPECT_TRUE(book.SetActive(5));
    EXPECT_EQ(book.ActivePage().MapNumber(), 5);
    EXPECT_FALSE(book.SetActive(9));
    EXPECT_FALSE(book.Delete(0));  // the main map stays
    EXPECT_TRUE(book.Delete(5));
    EXPECT_EQ(book.ActiveNumber(), 0);
    EXPECT_FALSE(book.Delete(5));
    EXPECT_EQ(book.Find(5), nullptr);
    EXPECT_EQ(book.Numbers(), (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace yarrow
