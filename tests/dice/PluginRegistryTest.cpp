#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "dice/CDiceRoller.h"
#include "dice/CMersenneTwister.h"
#include "dice/CPluginRegistry.h"
#include "dice/DiceFakes.h"
#include "platform/TempDir.h"
#include "support/FakeSession.h"

namespace yarrow {
namespace {

using test::ScriptedRandom;
using test::TempDir;

const std::string kPluginFolder = YARROW_BIN_DIR "/Plugin";
const std::string kFixturePlugins = YARROW_BIN_DIR "/../tests/dice-plugins";

class DeliveredPlugins : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { registry = new CPluginRegistry(kPluginFolder); }
    static void TearDownTestSuite() {
        delete registry;
        registry = nullptr;
    }
    static CPluginRegistry* registry;
};
CPluginRegistry* DeliveredPlugins::registry = nullptr;

TEST_F(DeliveredPlugins, KestrelAndBrightmoorResultsAndRefusals) {
    EXPECT_EQ(registry->Tags(), (std::vector<std::string>{"$BM,", "$GD,", "$KS,"}));
    EXPECT_EQ(registry->LibraryCount(), 3u);
    const std::string levels =
        "\r\nCrit:3 Value:10 [1,3,8,9,10]\r\nCrit:1 Value:10 [2,5,9]\r\nCrit:0 Value: 4 [4]";
    const struct {
        std::string expression;
        std::vector<std::uint32_t> dice;
        std::string result;  // empty: refused
    } cases[] = {
        // Dice 2, 6, 3, 6 sorted 2, 3, 6, 6; the first 6 explodes into 6 and
        // 2, the second into 4.
        {"$KS,4", {2, 6, 3, 6, 6, 2, 4}, "($KS,4) = 2,3,14,10\r\nCrit[0]:6+6+2\r\nCrit[1]:6+4"},
        {"$KS,0", {}, "($KS,0) = "},
        {"$KS,3abc", {1, 5, 2}, "($KS,3abc) = 1,2,5"},
        {"$KS, +2", {4, 3}, "($KS, +2) = 3,4"},
        // A generator stuck on 6 cannot make it loop for ever.
        {"$KS,1", std::vector<std::uint32_t>(102, 6), ""},
        {"$BM,5,8", {1, 3, 8, 9, 10, 2, 5, 9, 4}, "($BM,5,8) = 24" + levels},
        {"$BM,5,8,3", {10, 9, 8, 3, 1, 9, 2, 5, 4}, "($BM,5,8)+3 = 27" + levels},
        {"$BM,5,8,-2", {1, 3, 8, 9, 10, 2, 5, 9, 4}, "($BM,5,8) = 24" + levels},
        {"$BM,0,8", {}, "($BM,0,8) = 0\r\nCrit:0 Value: 0 []"},
        {"$BM,2,10",
         {10, 10, 10, 7, 1},
         "($BM,2,10) = 21\r\nCrit:2 Value:10 [10,10]\r\nCrit:1 Value:10 [7,10]\r\nCrit:0 Value: 1 "
         "[1]"},
    };
    for (const auto& c : cases) {
        ScriptedRandom rng;
        for (std::uint32_t d : c.dice)
            rng.Dice({d});
        std::string result;
        EXPECT_EQ(registry->RollPlugin(c.expression, result, rng), !c.result.empty())
            << c.expression;
        if (!c.result.empty()) {
            EXPECT_EQ(result, c.result);
            EXPECT_EQ(rng.Left(), 0u) << c.expression;
        }
    }
    for (const char* bad : {"$KS,", "$KS,x", "$KS,-1", "$KS,1001", "$KS,99999999999999", "$BM,5",
                            "$BM,5,1", "$BM,5,11", "$BM,-1,8", "$BM,1001,8", "$BM,x,8"}) {
        ScriptedRandom rng;
        std::string result;
        EXPECT_FALSE(registry->RollPlugin(bad, result, rng)) << bad;
    }
}

// Whatever is typed into the expression box, the roller answers with a text
// and never crashes, hangs or leaves the bounds.
TEST_F(DeliveredPlugins, ArbitraryExpressionsAlwaysGiveAText) {
    test::FakeSession session;
    test::FakeDiceControls host;
    CMersenneTwister rng;
    rng.RandomSeed(20261206);
    CDiceRoller roller(session, session, host, rng, YARROW_FIXTURES "/dice/none.ini", registry);
    const std::string alphabet = "0123456789dD+-*/!@#$,. KSBMCARDTIMERh\x82\xa0";
    std::mt19937 pick(7);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int length = static_cast<int>(pick() % 16);
        for (int k = 0; k < length; ++k)
            text += alphabet[pick() % alphabet.size()];
        if (pick() % 4 == 0)
            text = (pick() % 2 ? "$KS," : "$BM,") + text;
        host.Type(text);
        session.chats.clear();
        roller.OnRollDice();
        for (const auto& line : session.chats)
            ASSERT_LT(line.text.size(), 64u * 1024) << text;
    }
}

class PluginFolder : public ::testing::Test {
  protected:
    void Put(const std::string& from, const std::string& relative) {
        const std::filesystem::path to = std::filesystem::path(dir.Folder()) / relative;
        std::filesystem::create_directories(to.parent_path());
        std::filesystem::copy_file(from, to);
    }
    std::string RollKs(CPluginRegistry& registry) {
        ScriptedRandom rng;
        rng.Draw(0).Draw(0);
        std::string result;
        EXPECT_TRUE(registry.RollPlugin("$KS,1", result, rng));
        return result;
    }
    TempDir dir;
    const std::string kestrel = kPluginFolder + "/Kestrel.so";
    const std::string sameTag = kFixturePlugins + "/SameTagPlugin.so";
};

TEST_F(PluginFolder, LaterTagInPathOrderReplacesTheEarlier) {
    Put(kestrel, "a/Kestrel.so");
    Put(sameTag, "b/Same.so");
    CPluginRegistry later(dir.Folder());
    EXPECT_EQ(RollKs(later).rfind("same-tag $KS,1 ", 0), 0u);
    EXPECT_EQ(later.LibraryCount(), 2u);

    TempDir other;
    std::filesystem::copy_file(sameTag, other.File("a.so"));
    std::filesystem::create_directory(other.File("b"));
    std::filesystem::copy_file(kestrel, other.File("b/Kestrel.so"));
    CPluginRegistry earlier(other.Folder());
    EXPECT_EQ(RollKs(earlier).substr(0, 11), "($KS,1) = 1");
}

TEST_F(PluginFolder, TheUsersFolderWinsOverTheInstalledOne) {
    // Each order of the two folders: the first one's $KS, is used, and a tag
    // only the later folder has is still there.
    Put(sameTag, "user/Same.so");
    Put(kestrel, "installed/Kestrel.so");
    Put(kPluginFolder + "/Brightmoor.so", "installed/Brightmoor.so");
    CPluginRegistry userFirst({dir.File("user"), dir.File("installed")});
    EXPECT_EQ(RollKs(userFirst).rfind("same-tag $KS,1 ", 0), 0u);
    EXPECT_EQ(userFirst.Tags(), (std::vector<std::string>{"$BM,", "$KS,"}));
    CPluginRegistry installedFirst({dir.File("installed"), dir.File("user")});
    EXPECT_EQ(RollKs(installedFirst).substr(0, 11), "($KS,1) = 1");
}

TEST_F(PluginFolder, SkipsWhatIsNotAPluginAndUnloads) {
    TempDir::Write(dir.File("notes.so"), "not a library");
    TempDir::Write(dir.File("readme.txt"), "hello");
    Put(kestrel, "Kestrel.So");  // only the exact letter cases .so and .SO
    Put(kFixturePlugins + "/TagOnlyPlugin.so", "deep/er/TagOnly.so");
    Put(kPluginFolder + "/Brightmoor.so", "Brightmoor.SO");
    CPluginRegistry registry(dir.Folder());
    EXPECT_EQ(registry.Tags(), (std::vector<std::string>{"$BM,"}));
    EXPECT_EQ(registry.LibraryCount(), 1u);
    registry.UnloadPlugins();
    ScriptedRandom rng;
    std::string result;
    EXPECT_FALSE(registry.RollPlugin("$BM,0,8", result, rng));
    EXPECT_TRUE(registry.Tags().empty());
    EXPECT_EQ(CPluginRegistry(dir.File("NoSuchFolder")).LibraryCount(), 0u);
}

}  // namespace
}  // namespace yarrow
