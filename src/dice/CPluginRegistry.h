#pragma once
// The dice plug-ins: every shared library below the plug-in folder (searched
// recursively) that exports both GetTagName and DiceFunc, by tag. A later
// library with the same tag replaces an earlier one. Libraries are freed when
// the registry is destroyed; plug-ins are loaded once, there is no reload.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "dice/IPluginRoller.h"
#include "dice/PluginAbi.h"

namespace yarrow {

class CPluginRegistry final : public IPluginRoller {
  public:
    // A plug-in's result longer than this is refused (format error): a result
    // is sent as one chat record and must stay a reasonable size.
    static constexpr std::size_t kMaxResultBytes = 256 * 1024;

    CPluginRegistry() = default;
    // `folder` is ProgramFolder + "Plugin".
    explicit CPluginRegistry(const std::string& folder) { LoadPlugins(folder); }
    // `folders` as PluginFolders gives them: the user's, then the installed.
    explicit CPluginRegistry(const std::vector<std::string>& folders) { LoadPlugins(folders); }
    ~CPluginRegistry() override { UnloadPlugins(); }
    CPluginRegistry(const CPluginRegistry&) = delete;
    CPluginRegistry& operator=(const CPluginRegistry&) = delete;

    // Unloads, then loads every plug-in file below `folder` in the order of
    // their paths relative to it. A missing folder, a file that does not load
    // or a library without both exports is skipped silently.
    void LoadPlugins(const std::string& folder);
    // The same over several folders: a tag found in an earlier folder is not
    // replaced by a later one, so the user's own copy of a plug-in wins over
    // the installed one.
    void LoadPlugins(const std::vector<std::string>& folders);
    void UnloadPlugins();

    bool RollPlugin(const std::string& expression, std::string& result,
                    IRandomSource& rng) override;

    std::vector<std::string> Tags() const;
    std::size_t LibraryCount() const { return libraries_.size(); }

    // Whether a file name counts as a plug-in library: it ends in exactly "so"
    // or "SO" (the platform's suffix in place of "dll"/"DLL"; other letter
    // cases are not plug-ins and no dot is required).
    static bool IsPluginFileName(const std::string& name);

  private:
    void LoadFolder(const std::string& folder);

    std::map<std::string, PluginDiceFunc> functions_;
    std::vector<void*> libraries_;
};

}  // namespace yarrow
