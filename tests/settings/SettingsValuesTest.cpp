#include <gtest/gtest.h>

#include "settings/SettingsValues.h"

namespace yarrow {
namespace {

// The dialogs show indices and the file stores values: every fixed entry's
// value selects its index again, and a value outside the fixed entries stays
// the user's custom colour (the option sheet test keeps one through the
// dialog) instead of becoming another one.
TEST(SettingsValues, ComboIndicesAndStoredValuesRoundTrip) {
    for (int i = 0; i < kPaletteCustom; ++i)
        EXPECT_EQ(PaletteIndexOf(PaletteValue(i, 0x123456)), i) << i;
    EXPECT_EQ(PaletteValue(-1, 0x00C801), 0x00C801u);
    EXPECT_EQ(TextColorComboIndex(0xFF0000), kColorComboCustom);
    EXPECT_EQ(TextColorComboValue(kColorComboCustom, 7), 7u);
    EXPECT_EQ(BackColorComboValue(BackColorComboIndex(0x000000), 7), 0x000000u);
    EXPECT_EQ(CharSizeFromComboIndex(CharSizeComboIndex(4)), 4);
    EXPECT_EQ(CharSizeComboIndex(9), 1);  // out of the table: the default
    EXPECT_EQ(CharSizeFromComboIndex(-1), 3);
    // Each colour combo's custom index is its "ｶｽﾀﾑ" entry.
    const std::string custom = "\xb6\xbd\xc0\xd1";
    EXPECT_EQ(HandleNamePalette()[kPaletteCustom].label, custom);
    EXPECT_EQ(TextColorComboLabels().at(kColorComboCustom), custom);
    EXPECT_EQ(BackColorComboLabels().at(kColorComboCustom), custom);
}

}  // namespace
}  // namespace yarrow
