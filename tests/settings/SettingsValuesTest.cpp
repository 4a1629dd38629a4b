#include <gtest/gtest.h>

#include "settings/SettingsValues.h"

namespace yarrow {
namespace {

// The dialogs show indices and the file stores values: every index maps to
// a value that selects it again, and a value outside the fixed entries stays
// the user's custom colour instead of becoming another one.
TEST(SettingsValues, ComboIndicesAndStoredValuesRoundTrip) {
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
    // Each colour combo's custom index is its "ｶｽﾀﾑ" entry.
    const std::string custom = "\xb6\xbd\xc0\xd1";
    EXPECT_EQ(HandleNamePalette()[kPaletteCustom].label, custom);
    EXPECT_EQ(TextColorComboLabels().at(kColorComboCustom), custom);
    EXPECT_EQ(BackColorComboLabels().at(kColorComboCustom), custom);
}

}  // namespace
}  // namespace yarrow
