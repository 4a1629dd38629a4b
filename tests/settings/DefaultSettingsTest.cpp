#include <gtest/gtest.h>

#include "platform/TempDir.h"
#include "settings/CSettings.h"
#include "settings/DefaultSettings.h"

namespace yarrow {
namespace {

using test::TempDir;

// The whole first-run file, byte for byte, with the Japanese values in code page 932.
const std::string kFirstRunFile =
    "[InitialSetting]\r\n"
    "HandleName=GM\r\n"
    "ServerIP=127.0.0.1\r\n"
    "PortNum=15000\r\n"
    "HandleNameColor=0x000000\r\n"
    "DiceHoy=\x82\xb1\x82\xeb\x82\xb1\x82\xeb\x81\x63\x81\x63\r\n"
    "PleaseWait=<size 5>\x91\xd2\x82\xc1\x82\xbd\x81\x49</size>\r\n"
    "LogFolder=Log\r\n"
    "CharSize=3\r\n"
    "IsClient=0\r\n"
    "IsSaveLog=1\r\n"
    "IsUseSquareMap=0\r\n"
    "IsAutoMapShow=1\r\n"
    "IsAutoChartShow=1\r\n"
    "HexDirection=0\r\n"
    "ForeGroundColor=0x000000\r\n"
    "BackGroundColor=0xFFFFFF\r\n"
    "[Dice]\r\n"
    "FormNum=7\r\n"
    "1=3D6\r\n"
    "2=2D6\r\n"
    "3=1D6\r\n"
    "4=1D100\r\n"
    "5=-1,2D6\r\n"
    "6=$CARD\r\n"
    "7=$TIMER,\r\n"
    "[SubHandleName]\r\n"
    "SubHandleNameNum=0\r\n"
    "[DiceTemplate]\r\n"
    "TemplateNum=0\r\n";

TEST(DefaultSettings, FirstRunWritesTheFourSectionsExactly) {
    TempDir dir;
    CreateSettingsResult r = CreateDefaultSettings(dir.Folder());
    EXPECT_EQ(r.outcome, CreateSettingsResult::Outcome::Created);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(TempDir::Read(dir.File("Yarrow.ini")), kFirstRunFile);
}

TEST(DefaultSettings, SecondStartLeavesAnEditedFileAlone) {
    TempDir dir;
    ASSERT_FALSE(CreateDefaultSettings(dir.Folder()).failed());
    std::string edited = "[InitialSetting]\nHandleName=Kei\n";
    TempDir::Write(dir.File("Yarrow.ini"), edited);
    EXPECT_EQ(CreateDefaultSettings(dir.Folder()).outcome,
              CreateSettingsResult::Outcome::AlreadyThere);
    EXPECT_EQ(TempDir::Read(dir.File("Yarrow.ini")), edited);
    // Even an empty file counts as there.
    TempDir::Write(dir.File("Yarrow.ini"), "");
    EXPECT_FALSE(CreateDefaultSettings(dir.Folder()).failed());
    EXPECT_EQ(TempDir::Read(dir.File("Yarrow.ini")), "");
}

TEST(DefaultSettings, FailureCarriesTheMessageAndReadersFallBackToDefaults) {
    TempDir dir;
    std::string missingFolder = dir.File("gone/");
    CreateSettingsResult r = CreateDefaultSettings(missingFolder);
    ASSERT_TRUE(r.failed());
    const std::string prefix =
        "ini\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82"
        "\xb9\x82\xf1\r\n";
    ASSERT_GT(r.message.size(), prefix.size());  // the system's reason follows
    EXPECT_EQ(r.message.substr(0, prefix.size()), prefix);
    EXPECT_EQ(r.caption, "\x83\x47\x83\x89\x81\x5b");
    EXPECT_EQ(CSettings(missingFolder + "Yarrow.ini").PortNum(), 15000);
}

}  // namespace
}  // namespace yarrow
