#include <gtest/gtest.h>

#include <filesystem>

#include "dice/CPluginRegistry.h"
#include "platform/TempDir.h"
#include "support/ScriptedRandom.h"

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

// Which libraries a folder (or folders, in order) makes plug-ins of: files
// ending in exactly .so or .SO at any depth that export a tag; a tag found
// later in path order replaces the earlier, and the user's folder, listed
// first, wins over the installed one.
TEST(PluginFolder, LoadsLibrariesInOrderAndSkipsWhatIsNotAPlugin) {
    const std::string kestrel = kPluginFolder + "/Kestrel.so";
    const std::string brightmoor = kPluginFolder + "/Brightmoor.so";
    const std::string sameTag = kFixturePlugins + "/SameTagPlugin.so";
    const struct {
        std::vector<std::pair<std::string, std::string>> files;  // from, to
        std::vector<std::string> folders;                        // empty: the whole folder
        std::vector<std::string> tags;
        std::size_t libraries;
        std::string ks;  // how "$KS,1" rolled ("" refused)
    } cases[] = {
        {{{kestrel, "a/Kestrel.so"}, {sameTag, "b/Same.so"}}, {}, {"$KS,"}, 2, "same-tag"},
        {{{sameTag, "a.so"}, {kestrel, "b/Kestrel.so"}}, {}, {"$KS,"}, 2, "($KS,1) = 1"},
        {{{sameTag, "user/Same.so"}, {kestrel, "installed/K.so"}, {brightmoor, "installed/B.so"}},
         {"user", "installed"},
         {"$BM,", "$KS,"},
         3,
         "same-tag"},
        {{{sameTag, "user/Same.so"}, {kestrel, "installed/K.so"}, {brightmoor, "installed/B.so"}},
         {"installed", "user"},
         {"$BM,", "$KS,"},
         3,
         "($KS,1) = 1"},
        {{{kestrel, "Kestrel.So"},
          {kFixturePlugins + "/TagOnlyPlugin.so", "deep/er/TagOnly.so"},
          {brightmoor, "Brightmoor.SO"}},
         {},
         {"$BM,"},
         1,
         ""},
        {{}, {"NoSuchFolder"}, {}, 0, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        TempDir::Write(dir.File("notes.so"), "not a library");
        TempDir::Write(dir.File("readme.txt"), "hello");
        for (const auto& [from, to] : c.files) {
            std::filesystem::create_directories(std::filesystem::path(dir.File(to)).parent_path());
            std::filesystem::copy_file(from, dir.File(to));
        }
        std::vector<std::string> folders;
        for (const std::string& f : c.folders)
            folders.push_back(dir.File(f));
        CPluginRegistry registry =
            folders.empty() ? CPluginRegistry(dir.Folder()) : CPluginRegistry(folders);
        EXPECT_EQ(registry.Tags(), c.tags) << c.files.size();
        EXPECT_EQ(registry.LibraryCount(), c.libraries) << c.files.size();
        ScriptedRandom rng;
        rng.Draw(0).Draw(0);
        std::string result;
        EXPECT_EQ(registry.RollPlugin("$KS,1", result, rng), !c.ks.empty());
        EXPECT_EQ(result.substr(0, c.ks.size()), c.ks);
        registry.UnloadPlugins();
        EXPECT_FALSE(registry.RollPlugin("$BM,0,8", result, rng));
        EXPECT_TRUE(registry.Tags().empty());
    }
}

}  // namespace
}  // namespace yarrow
