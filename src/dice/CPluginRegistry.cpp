#include "dice/CPluginRegistry.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "platform/Cp932.h"
#include "platform/Trace.h"

namespace yarrow {
namespace {

// The generator the running DiceFunc draws from. Plug-ins receive a plain
// function pointer, so the roller's source is parked here for one call; the
// program runs on one thread.
IRandomSource* g_pluginSource = nullptr;

std::uint32_t PluginRandomNext() {
    return g_pluginSource->RandomNext();
}

// Files below `folder` keyed by their path relative to it, so that the load
// order is the order of those paths.
std::map<std::string, std::filesystem::path> ListFiles(const std::filesystem::path& folder) {
    std::map<std::string, std::filesystem::path> files;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return files;
    auto it = std::filesystem::recursive_directory_iterator(
        folder, std::filesystem::directory_options::skip_permission_denied, ec);
    for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        files.emplace(it->path().lexically_relative(folder).generic_string(), it->path());
    }
    return files;
}

}  // namespace

bool CPluginRegistry::IsPluginFileName(const std::string& name) {
    if (name.size() < 2)
        return false;
    const std::string tail = name.substr(name.size() - 2);
    return tail == "so" || tail == "SO";
}

void CPluginRegistry::LoadPlugins(const std::string& folder) {
    UnloadPlugins();
    LoadFolder(folder);
}

void CPluginRegistry::LoadPlugins(const std::vector<std::string>& folders) {
    UnloadPlugins();
    // Later folders load first, so that an earlier folder's tag replaces them.
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        LoadFolder(*folder);
}

void CPluginRegistry::LoadFolder(const std::string& folder) {
    for (const auto& [relative, path] : ListFiles(folder)) {
        if (!IsPluginFileName(path.filename().string()))
            continue;
        // By absolute path: a bare name would send dlopen to the system's
        // library search path instead of the plug-in folder.
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            // The trace is code page 932 text; the file system's names are UTF-8.
            Trace("CPluginRegistry::LoadPlugins skipped %s\r\n",
                  Utf8ToCp932(relative).text.c_str());
            continue;
        }
        auto getTag = reinterpret_cast<PluginGetTagNameFunc>(dlsym(library, kPluginTagExport));
        auto dice = reinterpret_cast<PluginDiceFunc>(dlsym(library, kPluginDiceExport));
        const char* tag = nullptr;
        try {
            tag = getTag && dice ? getTag() : nullptr;
        } catch (...) {
            // A plug-in that throws instead of naming its tag is broken; the
            // others still load and the program starts.
            tag = nullptr;
        }
        if (!tag || !*tag) {
            // Not a plug-in (an empty tag would claim every expression):
            // nothing of it is used, so it is not kept loaded.
            dlclose(library);
            continue;
        }
        functions_[std::string(tag)] = dice;
        libraries_.push_back(library);
    }
}

void CPluginRegistry::UnloadPlugins() {
    functions_.clear();
    for (void* library : libraries_)
        dlclose(library);
    libraries_.clear();
}

bool CPluginRegistry::RollPlugin(const std::string& expression, std::string& result,
                                 IRandomSource& rng) {
    // When one tag is a prefix of another ("$K" and "$KS,"), the longer and so
    // more specific one wins; in the map it is the last match.
    PluginDiceFunc chosen = nullptr;
    for (const auto& [tag, function] : functions_) {
        if (expression.compare(0, tag.size(), tag) == 0)
            chosen = function;
    }
    if (!chosen)
        return false;
    std::string input = expression;
    std::string output;
    IRandomSource* const previous = g_pluginSource;
    g_pluginSource = &rng;
    bool ok = false;
    try {
        ok = chosen(&input, &output, &PluginRandomNext) != 0;
    } catch (...) {
        // A plug-in that throws (out of memory, a bug) has not rolled; the
        // roller reports a format error instead of the program going down.
        ok = false;
    }
    g_pluginSource = previous;
    if (!ok || output.size() > kMaxResultBytes)
        return false;
    result = std::move(output);
    return true;
}

std::vector<std::string> CPluginRegistry::Tags() const {
    std::vector<std::string> tags;
    for (const auto& entry : functions_)
        tags.push_back(entry.first);
    return tags;
}

}  // namespace yarrow
