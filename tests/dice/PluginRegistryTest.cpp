#include <gtest/gtest.h>

#include <filesystem>

#include "dice/CPluginRegistry.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "platform/Trace.h"
#include "support/ScriptedRandom.h"

namespace yarrow {
namespace {

using test::ScriptedRandom;
using test::TempDir;

const std::string kPluginFolder = YARROW_BIN_DIR "/Plugin";
const std::string kFixturePlugins = YARROW_BIN_DIR "/../tests/dice-plugins";

// Which libraries a folder (or folders, in order) makes plug-ins of: files
// ending in exactly .so or .SO at any depth that export a tag (one whose
// GetTagName throws has none); a tag found later in path order replaces the
// earlier, and the user's folder, listed first, wins over the installed one.
TEST(PluginFolder, LoadsLibrariesInOrderAndSkipsWhatIsNotAPlugin) {
    const std::string kestrel = kPluginFolder + "/Kestrel.so";
    const std::string brightmoor = kPluginFolder + "/Brightmoor.so";
    const std::string sameTag = kFixturePlugins + "/SameTagPlugin.so";
    const std::string tagOnly = kFixturePlugins + "/TagOnlyPlugin.so";
    const std::string throwing = kFixturePlugins + "/ThrowingTagPlugin.so";
    using Files = std::vector<std::pair<std::string, std::string>>;  // from, to
    const Files twoFolders{
        {sameTag, "user/Same.so"}, {kestrel, "installed/K.so"}, {brightmoor, "installed/B.so"}};
    const struct {
        Files files;
        std::vector<std::string> folders;  // empty: the whole folder
        std::vector<std::string> tags;
        std::size_t libraries;
        std::string ks;  // how "$KS,1" rolled ("" refused)
    } cases[] = {
        {{{kestrel, "a/Kestrel.so"}, {sameTag, "b/Same.so"}}, {}, {"$KS,"}, 2, "same-tag"},
        {{{sameTag, "a.so"}, {kestrel, "b/Kestrel.so"}}, {}, {"$KS,"}, 2, "($KS,1) = 1"},
        {twoFolders, {"user", "installed"}, {"$BM,", "$KS,"}, 3, "same-tag"},
        {twoFolders, {"installed", "user"}, {"$BM,", "$KS,"}, 3, "($KS,1) = 1"},
        {{{kestrel, "K.So"}, {tagOnly, "deep/er/T.so"}, {brightmoor, "B.SO"}}, {}, {"$BM,"}, 1, ""},
        {{{throwing, "a.so"}, {kestrel, "b.so"}}, {}, {"$KS,"}, 1, "($KS,1) = 1"},
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

// A file that does not load is named in the trace, which is code page 932
// text like every log, whatever the file system calls it.
TEST(PluginFolder, TraceNamesAFileThatDoesNotLoadInCodePage932) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("壊れた"));
    TempDir::Write(dir.File("壊れた/説明.so"), "not a library");
    std::string traced;
    SetTraceSink([&traced](std::string_view bytes) { traced.append(bytes); });
    const CPluginRegistry registry(dir.Folder());
    SetTraceSink({});
    EXPECT_EQ(registry.LibraryCount(), 0u);
    EXPECT_NE(traced.find(Sjis("壊れた/説明.so")), std::string::npos) << traced;
}

}  // namespace
}  // namespace yarrow
