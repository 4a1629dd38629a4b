#include <gtest/gtest.h>

#include "platform/TempDir.h"
#include "settings/CSettings.h"

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

TEST_F(Settings, MissingFileGivesEveryReaderDefaultAndReadingNeverCreatesIt) {
    EXPECT_EQ(settings_.HandleName(), "GM");
    EXPECT_EQ(settings_.ServerIP(), "127.0.0.1");
    EXPECT_EQ(settings_.PortNum(), 15000);
    EXPECT_EQ(settings_.HandleNameColor(), 0x000000u);
    EXPECT_EQ(settings_.CharSize(), 3);
    EXPECT_FALSE(settings_.IsClient());
    EXPECT_TRUE(settings_.IsSaveLog() && settings_.IsSaveLogExactlyOne());
    EXPECT_FALSE(settings_.IsUseSquareMap());
    EXPECT_EQ(settings_.HexDirection(), 0);
    EXPECT_TRUE(settings_.IsAutoMapShow() && settings_.IsAutoChartShow());
    EXPECT_TRUE(settings_.IsTableMemory() && settings_.IsAutoReconnect());
    EXPECT_EQ(settings_.ForeGroundColor(), 0x000000u);
    EXPECT_EQ(settings_.BackGroundColor(), 0xFFFFFFu);
    EXPECT_EQ(settings_.DiceHoy(), "\x82\xb1\x82\xeb\x82\xb1\x82\xeb\x81\x63\x81\x63");
    EXPECT_FALSE(settings_.IsDiceHoyRandom());
    EXPECT_EQ(settings_.FilterdPerson(), Strings{""});
    EXPECT_EQ(settings_.Filter(), Strings{""});
    EXPECT_EQ(settings_.PleaseWait(), "<size 5>\x91\xd2\x82\xc1\x82\xbd\x81\x49</size>");
    EXPECT_EQ(settings_.LogFolder(), "");
    EXPECT_TRUE(settings_.DiceList().empty() && settings_.SubHandleNames().empty());
    EXPECT_FALSE(settings_.Exists());
}

TEST_F(Settings, BooleansAndColoursFollowTheirOwnRules) {
    TempDir::Write(path_,
                   "[InitialSetting]\r\nIsClient=2\r\nIsSaveLog=2\r\nIsDiceHoyRandom=2\r\n"
                   "ForeGroundColor=0xffffff\r\nBackGroundColor=0X00FF00\r\n"
                   "HandleNameColor=red\r\nIsAutoMapShow=0\r\n");
    EXPECT_TRUE(settings_.IsClient());
    EXPECT_TRUE(settings_.IsSaveLog());
    EXPECT_FALSE(settings_.IsSaveLogExactlyOne());
    EXPECT_FALSE(settings_.IsDiceHoyRandom());  // only 1 means random
    EXPECT_FALSE(settings_.IsAutoMapShow());
    EXPECT_EQ(settings_.ForeGroundColor(), 0xFFFFFFu);
    EXPECT_EQ(settings_.BackGroundColor(), 0x00FF00u);
    EXPECT_EQ(settings_.HandleNameColor(), 0u);
}

TEST_F(Settings, CommaListsKeepTheirCaps) {
    std::string words;
    for (int i = 1; i <= 25; ++i)
        words += (i > 1 ? "," : "") + std::string("w") + std::to_string(i);
    TempDir::Write(path_,
                   "[InitialSetting]\r\nFilterdPerson=" + words + "\r\nFilter=a, b ,,c,d,e,f\r\n");
    Strings person = settings_.FilterdPerson();
    ASSERT_EQ(person.size(), 20u);
    EXPECT_EQ(person.front(), "w1");
    EXPECT_EQ(person.back(), "w20");
    EXPECT_EQ(settings_.Filter(), (Strings{"a", " b ", "", "c", "d"}));
    EXPECT_EQ(settings_.FilterText(), "a, b ,,c,d,e,f");
}

TEST_F(Settings, NumberedListsStopAtTheCountAndSkipEmptyEntries) {
    TempDir::Write(path_,
                   "[Dice]\r\nFormNum=3\r\n3=third\r\n1=first\r\n2=\r\n4=beyond\r\n01=zero\r\n"
                   "[SubHandleName]\r\nSubHandleNameNum=999999999\r\n2=b\r\n1=a\r\n1=dup\r\n"
                   "[RandomDiceHoy]\r\n1=no count\r\n");
    EXPECT_EQ(settings_.DiceList(), (Strings{"first", "third"}));
    EXPECT_EQ(settings_.SubHandleNames(), (Strings{"a", "b"}));
    EXPECT_TRUE(settings_.RandomDiceHoys().empty());
}

TEST_F(Settings, NumberedListsWriteInTheirOwnOrder) {
    TempDir::Write(path_, "[Dice]\r\nFormNum=3\r\n1=x\r\n2=y\r\n3=stale\r\n");
    ASSERT_TRUE(settings_.WriteDiceList({"1D6", "2D6"}));
    ASSERT_TRUE(settings_.WriteSubHandleNames({"Ann", "Bo"}));
    ASSERT_TRUE(settings_.WriteRandomDiceHoys({"a"}));
    EXPECT_EQ(TempDir::Read(path_),
              "[Dice]\r\nFormNum=2\r\n1=1D6\r\n2=2D6\r\n3=stale\r\n"
              "[SubHandleName]\r\n1=Ann\r\n2=Bo\r\nSubHandleNameNum=2\r\n"
              "[RandomDiceHoy]\r\nRandomDiceHoyNum=1\r\n1=a\r\n");
    EXPECT_EQ(settings_.DiceList(), (Strings{"1D6", "2D6"}));
    ASSERT_TRUE(settings_.WriteSubHandleNames({}));
    EXPECT_TRUE(settings_.SubHandleNames().empty());
}

TEST_F(Settings, TypedWritersUseTheFileFormatsAndCutLongValues) {
    ASSERT_TRUE(settings_.CreateIfMissing());
    EXPECT_EQ(TempDir::Read(path_), "");
    ASSERT_TRUE(settings_.WriteColor(kInitialSetting, "HandleNameColor", 0xff8040));
    ASSERT_TRUE(settings_.WriteBool(kInitialSetting, "IsClient", true));
    ASSERT_TRUE(settings_.WriteInt(kInitialSetting, "PortNum", -5));
    EXPECT_EQ(TempDir::Read(path_),
              "[InitialSetting]\r\nHandleNameColor=0xFF8040\r\nIsClient=1\r\nPortNum=-5\r\n");
    EXPECT_EQ(settings_.HandleNameColor(), 0xFF8040u);
    EXPECT_TRUE(settings_.CreateIfMissing());  // an existing file is left as it is
    EXPECT_NE(TempDir::Read(path_), "");
    ASSERT_TRUE(settings_.WriteString(kInitialSetting, "HandleName", std::string(300, 'n')));
    EXPECT_EQ(settings_.HandleName(), std::string(255, 'n'));
}

}  // namespace
}  // namespace yarrow
