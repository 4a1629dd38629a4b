// The sample files a new program folder is filled with, read as the program
// reads them: a card, table total or chip they name must show something.

#include <gtest/gtest.h>

#include <regex>

#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

const std::string kData = YARROW_FIXTURES "/../../data/";

TEST(SampleData, TextFilesAreCodePage932) {
    for (const char* name : {"Deck.ini", "Chart.ini", "ChipFile.ini", "help/index.html"}) {
        const std::string bytes = test::TempDir::Read(kData + name);
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_FALSE(Cp932ToUtf8(bytes).replaced) << name;
    }
}

TEST(SampleData, EveryCardAndEveryTableTotalHasItsText) {
    const CProfileFile deck(kData + "Deck.ini");
    for (const std::string key : {"0", "1"}) {
        const std::string set = deck.GetString("DeckSet", key);
        const int cards = deck.GetInt(set, "CardNum", 0);
        EXPECT_GE(cards, 22) << key;
        for (int e = 0; e < cards; ++e)
            EXPECT_NE(deck.GetString(set, std::to_string(e)), "") << key << " card " << e;
    }

    const CProfileFile chart(kData + "Chart.ini");
    const std::regex term("([0-9]+)D([0-9]+)");
    for (const std::string& table : chart.SectionNames()) {
        SCOPED_TRACE(Cp932ToUtf8(table).text);
        EXPECT_EQ(table.find(' '), std::string::npos);  // a roll's table name ends at a space
        std::smatch m;
        const std::string dice = chart.GetString(table, "UseDice", {}, kChartValueBytes);
        ASSERT_TRUE(std::regex_match(dice, m, term)) << dice;
        const std::string min = chart.GetString(table, "Min", "0");
        const std::string max = chart.GetString(table, "Max", "0");
        for (int v = std::stoi(m[1]); v <= std::stoi(m[1]) * std::stoi(m[2]); ++v) {
            const bool own = chart.GetString(table, std::to_string(v), {}, kChartValueBytes) != "";
            const bool below = min != "" && v < std::stoi(min) && chart.HasKey(table, "MinResult");
            const bool above = max != "" && v > std::stoi(max) && chart.HasKey(table, "MaxResult");
            EXPECT_TRUE(own || below || above) << "total " << v;
        }
    }
}

// The map draws the top-left 19 x 19 pixels of a chip's bitmap.
TEST(SampleData, ChipsNameNineteenPixelBitmaps) {
    const CProfileFile chips(kData + "ChipFile.ini");
    const int n = chips.GetInt("ChipFile", "ChipNum", 0);
    ASSERT_GE(n, 4);
    EXPECT_FALSE(chips.HasKey("ChipFile", "ChipFolder"));  // beside the settings file
    for (int i = 0; i < n; ++i) {
        const std::string file = chips.GetString("ChipFile", std::to_string(i));
        const std::string bmp = test::TempDir::Read(kData + file);
        ASSERT_GE(bmp.size(), 54u) << file;
        EXPECT_EQ(bmp.substr(0, 2), "BM") << file;
        EXPECT_EQ(bmp.substr(18, 8), std::string("\x13\0\0\0\x13\0\0\0", 8)) << file;
        EXPECT_NE(chips.GetString("ChipName", std::to_string(i)), "") << file;
    }
}

}  // namespace
}  // namespace yarrow
