#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <set>

#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/ProgramFolder.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

// The sample files as they are in the source tree (the build copies them
// beside the program unchanged).
const std::string kData = YARROW_FIXTURES "/../../data/";

std::string Read(const std::string& name) {
    return test::TempDir::Read(kData + name);
}

TEST(SampleData, TextFilesAreCodePage932WithCrLf) {
    for (const char* name : {"Deck.ini", "Chart.ini", "ChipFile.ini", "help/index.html"}) {
        std::string bytes = Read(name);
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_FALSE(Cp932ToUtf8(bytes).replaced) << name;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << " at byte " << i;
            }
        }
    }
}

TEST(SampleData, DeckHoldsPlayingCardsWithJokersAndTheMajorArcana) {
    CProfileFile deck(kData + "Deck.ini");
    const std::vector<std::string> sets = {deck.GetString("DeckSet", "0"),
                                           deck.GetString("DeckSet", "1")};
    EXPECT_EQ(deck.GetString("DeckSet", "2"), "");

    auto cards = [&](const std::string& set) {
        std::vector<std::string> texts;
        int n = deck.GetInt(set, "CardNum", 0);
        for (int e = 0; e < n; ++e) {
            std::string t = deck.GetString(set, std::to_string(e));
            EXPECT_FALSE(t.empty()) << set << " entry " << e;
            texts.push_back(t);
        }
        return texts;
    };
    std::vector<std::string> playing = cards(sets[0]);
    EXPECT_EQ(playing.size(), 54u);
    EXPECT_EQ(std::count(playing.begin(), playing.end(), Sjis("ジョーカー")), 2);
    EXPECT_EQ(std::set<std::string>(playing.begin(), playing.end()).size(), 53u);
    std::vector<std::string> arcana = cards(sets[1]);
    EXPECT_EQ(std::set<std::string>(arcana.begin(), arcana.end()).size(), 22u);
    EXPECT_EQ(deck.GetInt(sets[1], "Attribute", 1), 2);
    EXPECT_EQ(deck.GetString(sets[1], "Attr0"), Sjis("正位置"));
    EXPECT_EQ(deck.GetString(sets[1], "Attr1"), Sjis("逆位置"));
}

TEST(SampleData, EveryChartTableRollsOnlyToItsOwnEntries) {
    CProfileFile chart(kData + "Chart.ini");
    std::vector<std::string> tables = chart.SectionNames();
    ASSERT_GE(tables.size(), 3u);
    const std::regex term("([0-9]+)D([0-9]+)");
    for (const std::string& table : tables) {
        SCOPED_TRACE(Cp932ToUtf8(table).text);
        EXPECT_EQ(table.find(' '), std::string::npos);  // table names cannot hold a space
        std::smatch m;
        std::string dice = chart.GetString(table, "UseDice", {}, kChartValueBytes);
        ASSERT_TRUE(std::regex_match(dice, m, term)) << dice;
        int low = std::stoi(m[1]);
        int high = low * std::stoi(m[2]);
        // Every possible total has a result: its own entry or a Min/Max fallback.
        for (int v = low; v <= high; ++v) {
            bool own = !chart.GetString(table, std::to_string(v), {}, kChartValueBytes).empty();
            std::string min = chart.GetString(table, "Min");
            std::string max = chart.GetString(table, "Max", "0");
            bool below = !min.empty() && v < std::stoi(min) && chart.HasKey(table, "MinResult");
            bool above = !max.empty() && v > std::stoi(max) && chart.HasKey(table, "MaxResult");
            EXPECT_TRUE(own || below || above) << "total " << v;
        }
    }
}

// Width, height and bit depth of a BMP, or zeros when it is not one.
struct BmpInfo {
    int width = 0, height = 0, bits = 0;
};
BmpInfo ReadBmp(const std::string& bytes) {
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0 || u32(2) != bytes.size())
        return {};
    return {static_cast<int>(u32(18)), static_cast<int>(u32(22)),
            static_cast<unsigned char>(bytes[28])};
}

TEST(SampleData, ChipsNameExistingNineteenPixelBitmaps) {
    CProfileFile chips(kData + "ChipFile.ini");
    int n = chips.GetInt("ChipFile", "ChipNum", 0);
    ASSERT_GE(n, 4);
    // No folder key: the bitmaps sit in the program folder itself.
    EXPECT_FALSE(chips.HasKey("ChipFile", "ChipFolder"));
    for (int i = 0; i < n; ++i) {
        std::string key = std::to_string(i);
        std::string file = chips.GetString("ChipFile", key, {}, kChipValueBytes);
        SCOPED_TRACE(file);
        ASSERT_TRUE(FileExists(kData + file));
        BmpInfo bmp = ReadBmp(Read(file));
        EXPECT_EQ(bmp.width, 19);
        EXPECT_EQ(bmp.height, 19);
        EXPECT_EQ(bmp.bits, 24);
        EXPECT_FALSE(chips.GetString("ChipName", key, {}, kChipValueBytes).empty());
    }
}

}  // namespace
}  // namespace yarrow
