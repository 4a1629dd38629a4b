#include <gtest/gtest.h>

#include "settings/SettingsValues.h"

namespace yarrow {
namespace {

TEST(SettingsValues, ColourCombosKeepTheCustomColour) {
    EXPECT_EQ(HandleNamePalette()[kPaletteCustom].label, "\xb6\xbd\xc0\xd1");  // ｶｽﾀﾑ
    for (int i = 0; i < kPaletteCustom; ++i)
        EXPECT_EQ(PaletteIndexOf(PaletteValue(i, 0x123456)), i) << i;
    EXPECT_EQ(PaletteIndexOf(0x00C800), 2);
    EXPECT_EQ(PaletteIndexOf(0x00C801), kPaletteCustom);
    EXPECT_EQ(PaletteValue(kPaletteCustom, 0x00C801), 0x00C801u);
    EXPECT_EQ(PaletteValue(-1, 0x00C801), 0x00C801u);
    EXPECT_EQ(TextColorComboIndex(0xFF0000), kColorComboCustom);
    EXPECT_EQ(BackColorComboIndex(0x000000), 1);
    EXPECT_EQ(BackColorComboValue(1, 7), 0x000000u);
    EXPECT_EQ(TextColorComboValue(kColorComboCustom, 7), 7u);
    EXPECT_EQ(CharSizeComboIndex(4), 2);
    EXPECT_EQ(CharSizeComboIndex(9), 1);  // out of the table: the default
    EXPECT_EQ(CharSizeFromComboIndex(0), 2);
    EXPECT_EQ(CharSizeFromComboIndex(-1), 3);
    EXPECT_EQ(TextColorComboLabels()[0], BackColorComboLabels()[1]);  // both "黒色"
}

TEST(SettingsValues, CommaListsSplitByByteWithoutTrimmingAndColoursWriteAsRead) {
    using Strings = std::vector<std::string>;
    EXPECT_EQ(SplitCommaList("", 5), Strings{""});
    EXPECT_EQ(SplitCommaList("a,", 5), (Strings{"a", ""}));
    EXPECT_EQ(SplitCommaList("1,2,3,4,5,6", 5), (Strings{"1", "2", "3", "4", "5"}));
    // A double-byte character never contains ','.
    EXPECT_EQ(SplitCommaList("\x82\xa0,\x82\xa2", 5), (Strings{"\x82\xa0", "\x82\xa2"}));
    EXPECT_EQ(FormatColor(0xff8040), "0xFF8040");
    EXPECT_EQ(FormatColor(0x1234567), "0x1234567");
}

}  // namespace
}  // namespace yarrow
