#include <gtest/gtest.h>

#include "platform/TempDir.h"
#include "settings/DefaultSettings.h"

namespace yarrow {
namespace {

using test::TempDir;

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

TEST(DefaultSettings, FirstRunWritesTheFourSectionsExactly) {
    TempDir dir;
    EXPECT_EQ(CreateDefaultSettings(dir.Folder()).outcome, CreateSettingsResult::Outcome::Created);
    EXPECT_EQ(TempDir::Read(dir.File("Yarrow.ini")), kFirstRunFile);
}

TEST(DefaultSettings, AnyFileThereIsLeftAloneAndAFailureSaysWhy) {
    TempDir dir;
    TempDir::Write(dir.File("Yarrow.ini"), "");  // even an empty one
    EXPECT_EQ(CreateDefaultSettings(dir.Folder()).outcome,
              CreateSettingsResult::Outcome::AlreadyThere);
    EXPECT_EQ(TempDir::Read(dir.File("Yarrow.ini")), "");

    const CreateSettingsResult r = CreateDefaultSettings(dir.File("gone/"));
    ASSERT_TRUE(r.failed());
    const std::string prefix =
        "ini\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82"
        "\xb9\x82\xf1\r\n";
    ASSERT_GT(r.message.size(), prefix.size());  // the system's reason follows
    EXPECT_EQ(r.message.substr(0, prefix.size()), prefix);
    EXPECT_EQ(r.caption, "\x83\x47\x83\x89\x81\x5b");
}

}  // namespace
}  // namespace yarrow
