#include <gtest/gtest.h>

#include <tuple>

#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "settings/CSettings.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsValues.h"

namespace yarrow {
namespace {

using test::TempDir;
using Strings = std::vector<std::string>;

class Settings : public ::testing::Test {
  protected:
    TempDir dir_;
    std::string path_ = dir_.File("Yarrow.ini");
    CSettings settings_{path_};
};

// The whole first-run file, byte for byte, with the Japanese values in code page 932.
const std::string kFirstRunFile =
    "[InitialSetting]\r\nHandleName=GM\r\nServerIP=127.0.0.1\r\nPortNum=15000\r\n"
    "HandleNameColor=0x000000\r\nDiceHoy=\x82\xb1\x82\xeb\x82\xb1\x82\xeb\x81\x63\x81\x63\r\n"
    "PleaseWait=<size 5>\x91\xd2\x82\xc1\x82\xbd\x81\x49</size>\r\nLogFolder=Log\r\nCharSize=3\r\n"
    "IsClient=0\r\nIsSaveLog=1\r\nIsUseSquareMap=0\r\nIsAutoMapShow=1\r\nIsAutoChartShow=1\r\n"
    "HexDirection=0\r\nForeGroundColor=0x000000\r\nBackGroundColor=0xFFFFFF\r\n"
    "[Dice]\r\nFormNum=7\r\n1=3D6\r\n2=2D6\r\n3=1D6\r\n4=1D100\r\n5=-1,2D6\r\n6=$CARD\r\n"
    "7=$TIMER,\r\n"
    "[SubHandleName]\r\nSubHandleNameNum=0\r\n"
    "[DiceTemplate]\r\nTemplateNum=0\r\n";

// The first run writes that file; a missing file reads as it does (only the
// log folder and the dice list, which the first run fills in, differ), and
// reading never creates it. Any file there, even an empty one, is left
// alone; a failure to create it says why.
TEST_F(Settings, FirstRunFileIsWrittenOnceAndAMissingFileReadsAsIt) {
    TempDir other;
    const std::string firstPath = other.File("Yarrow.ini");
    EXPECT_EQ(CreateDefaultSettings(other.Folder()).outcome,
              CreateSettingsResult::Outcome::Created);
    EXPECT_EQ(TempDir::Read(firstPath), kFirstRunFile);
    auto all = [](const CSettings& s) {
        return std::tuple(s.HandleName(), s.ServerIP(), s.PortNum(), s.HandleNameColor(),
                          s.CharSize(), s.IsClient(), s.IsSaveLogExactlyOne(), s.IsUseSquareMap(),
                          s.HexDirection(), s.IsAutoMapShow(), s.IsAutoChartShow(),
                          s.ForeGroundColor(), s.BackGroundColor(), s.DiceHoy(), s.PleaseWait(),
                          s.IsTableMemory(), s.IsAutoReconnect(), s.IsDiceHoyRandom(), s.Filter(),
                          s.SubHandleNames());
    };
    EXPECT_EQ(all(settings_), all(CSettings(firstPath)));
    EXPECT_EQ(settings_.LogFolder(), "");
    EXPECT_TRUE(settings_.DiceList().empty());
    EXPECT_FALSE(settings_.Exists());

    TempDir::Write(firstPath, "");
    EXPECT_EQ(CreateDefaultSettings(other.Folder()).outcome,
              CreateSettingsResult::Outcome::AlreadyThere);
    EXPECT_EQ(TempDir::Read(firstPath), "");
    const CreateSettingsResult r = CreateDefaultSettings(other.File("gone/"));
    ASSERT_TRUE(r.failed());
    const std::string prefix = Sjis("iniファイルを作成できません\r\n");
    EXPECT_EQ(r.message.substr(0, prefix.size()), prefix);
    EXPECT_GT(r.message.size(), prefix.size());  // the system's reason follows
    EXPECT_EQ(r.caption, Sjis("エラー"));
}

// Booleans: any non-zero value is true, except the two that ask for exactly
// 1. Comma lists split at every comma without trimming and stop at their
// caps. Numbered lists stop at their count and skip empty entries.
TEST_F(Settings, EachKindOfValueReadsByItsOwnRule) {
    std::string words;
    for (int i = 1; i <= 25; ++i)
        words += (i > 1 ? "," : "") + std::string("w") + std::to_string(i);
    TempDir::Write(path_,
                   "[InitialSetting]\r\nIsClient=2\r\nIsSaveLog=2\r\nIsDiceHoyRandom=2\r\n"
                   "IsAutoMapShow=0\r\nBackGroundColor=0X00FF00\r\nHandleNameColor=red\r\n"
                   "FilterdPerson=" +
                       words +
                       "\r\nFilter=a, b ,,c,d,e,f\r\n"
                       "[Dice]\r\nFormNum=3\r\n3=third\r\n1=first\r\n2=\r\n4=beyond\r\n01=zero\r\n"
                       "[SubHandleName]\r\nSubHandleNameNum=999999999\r\n2=b\r\n1=a\r\n1=dup\r\n"
                       "[RandomDiceHoy]\r\n1=no count\r\n");
    EXPECT_EQ(
        std::tuple(settings_.IsClient(), settings_.IsSaveLog(), settings_.IsSaveLogExactlyOne(),
                   settings_.IsDiceHoyRandom(), settings_.IsAutoMapShow()),
        std::tuple(true, true, false, false, false));
    EXPECT_EQ(std::pair(settings_.BackGroundColor(), settings_.HandleNameColor()),
              std::pair(0x00FF00u, 0u));
    const Strings person = settings_.FilterdPerson();
    ASSERT_EQ(person.size(), 20u);
    EXPECT_EQ(person.back(), "w20");
    EXPECT_EQ(settings_.Filter(), (Strings{"a", " b ", "", "c", "d"}));
    EXPECT_EQ(settings_.FilterText(), "a, b ,,c,d,e,f");
    EXPECT_EQ(settings_.DiceList(), (Strings{"first", "third"}));
    EXPECT_EQ(settings_.SubHandleNames(), (Strings{"a", "b"}));
    EXPECT_TRUE(settings_.RandomDiceHoys().empty());
    ASSERT_TRUE(settings_.WriteString(kInitialSetting, "Filter", "a,"));
    EXPECT_EQ(settings_.Filter(), (Strings{"a", ""}));
}

// Numbered lists write in their own order (keys past the new count stay;
// readers stop at the count); typed values in the file's own formats.
TEST_F(Settings, WritersUseTheFileFormats) {
    ASSERT_TRUE(settings_.CreateIfMissing());
    EXPECT_EQ(TempDir::Read(path_), "");
    TempDir::Write(path_, "[Dice]\r\nFormNum=3\r\n1=x\r\n2=y\r\n3=stale\r\n");
    ASSERT_TRUE(settings_.CreateIfMissing());  // an existing file is left as it is
    ASSERT_TRUE(settings_.WriteDiceList({"1D6", "2D6"}));
    ASSERT_TRUE(settings_.WriteSubHandleNames({"Ann", "Bo"}));
    ASSERT_TRUE(settings_.WriteRandomDiceHoys({"a"}));
    ASSERT_TRUE(settings_.WriteColor(kInitialSetting, "HandleNameColor", 0xff8040));
    ASSERT_TRUE(settings_.WriteBool(kInitialSetting, "IsClient", true));
    ASSERT_TRUE(settings_.WriteInt(kInitialSetting, "PortNum", -5));
    EXPECT_EQ(TempDir::Read(path_),
              "[Dice]\r\nFormNum=2\r\n1=1D6\r\n2=2D6\r\n3=stale\r\n"
              "[SubHandleName]\r\n1=Ann\r\n2=Bo\r\nSubHandleNameNum=2\r\n"
              "[RandomDiceHoy]\r\nRandomDiceHoyNum=1\r\n1=a\r\n"
              "[InitialSetting]\r\nHandleNameColor=0xFF8040\r\nIsClient=1\r\nPortNum=-5\r\n");
    EXPECT_EQ(settings_.DiceList(), (Strings{"1D6", "2D6"}));
    EXPECT_EQ(settings_.HandleNameColor(), 0xFF8040u);
    ASSERT_TRUE(settings_.WriteSubHandleNames({}));
    EXPECT_TRUE(settings_.SubHandleNames().empty());
}

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
