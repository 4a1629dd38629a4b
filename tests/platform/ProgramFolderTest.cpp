#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/ProgramFolder.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

TEST(ParseHexColor, ReadsColourTextInEveryWrittenForm) {
    EXPECT_EQ(ParseHexColor("0xFF8040"), 0xFF8040u);
    EXPECT_EQ(ParseHexColor("0xffffff"), 0xFFFFFFu);
    EXPECT_EQ(ParseHexColor("0X00FF00"), 0x00FF00u);
    EXPECT_EQ(ParseHexColor("0x0"), 0u);
    EXPECT_EQ(ParseHexColor("C800C8"), 0xC800C8u);
    EXPECT_EQ(ParseHexColor("0x12"), 0x12u);
    // Every "0x" goes, wherever it is, so these are still numbers.
    EXPECT_EQ(ParseHexColor("0x0xAB"), 0xABu);
    EXPECT_EQ(ParseHexColor("10x1"), 0x11u);
}

TEST(ParseHexColor, AnythingElseIsBlack) {
    EXPECT_EQ(ParseHexColor("red"), 0u);
    EXPECT_EQ(ParseHexColor(""), 0u);
    EXPECT_EQ(ParseHexColor("0x"), 0u);
    EXPECT_EQ(ParseHexColor("0xFF 00"), 0u);
    EXPECT_EQ(ParseHexColor("-0x10"), 0u);
    EXPECT_EQ(ParseHexColor("0xG0"), 0u);
    EXPECT_EQ(ParseHexColor("x10"), 0u);
    // Overlong text wraps to its last eight digits instead of overflowing.
    EXPECT_EQ(ParseHexColor("0x1234567890"), 0x34567890u);
}

TEST(ProgramFolder, FollowsYarrowHomeOrTheExecutable) {
    const char* saved = std::getenv("YARROW_HOME");
    std::string keep = saved ? saved : "";

    ::setenv("YARROW_HOME", "/some/where", 1);
    EXPECT_EQ(ProgramFolder(), "/some/where/");
    ::setenv("YARROW_HOME", "/other/", 1);
    EXPECT_EQ(ProgramFolder(), "/other/");

    ::setenv("YARROW_HOME", "", 1);
    std::string exeFolder = ProgramFolder();
    ASSERT_FALSE(exeFolder.empty());
    EXPECT_EQ(exeFolder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(exeFolder + "test_platform_core"));

    if (saved) {
        ::setenv("YARROW_HOME", keep.c_str(), 1);
    } else {
        ::unsetenv("YARROW_HOME");
    }
}

TEST(FileExists, FindsFilesAndFoldersOnly) {
    test::TempDir dir;
    EXPECT_FALSE(FileExists(dir.File("none.ini")));
    EXPECT_FALSE(FileExists(""));
    test::TempDir::Write(dir.File("a.ini"), "");
    EXPECT_TRUE(FileExists(dir.File("a.ini")));
    EXPECT_TRUE(FileExists(dir.Folder()));
}

TEST(LastErrorText, DescribesTheErrorAndIsReadableText) {
    errno = ENOENT;
    std::string text = LastErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, LastErrorText(ENOENT));
    EXPECT_NE(text, LastErrorText(EACCES));
}

}  // namespace
}  // namespace yarrow
