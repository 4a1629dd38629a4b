#pragma once
// The contract between the program and a dice plug-in: a shared library in the
// "Plugin" folder exporting two C functions.
//
//   const char* GetTagName();
//     The tag (for example "$KS,") that begins every expression the plug-in
//     rolls. Static data of the plug-in; the host copies it once at load time.
//
//   unsigned char DiceFunc(std::string* expression, std::string* result,
//                          std::uint32_t (*randomNext)());
//     Rolls `expression` (a copy the host owns) into `result` (the host's
//     string) and returns nonzero when it understood the expression. Every
//     random number must come from `randomNext`, so all the program's dice
//     come from its one generator. The result may contain "\r\n" breaks.
//
// Host and plug-ins are built with the same compiler and C++ library and so
// share std::string and its allocator across the boundary.

#include <cstdint>
#include <string>

namespace yarrow {

using PluginRandomFunc = std::uint32_t (*)();
using PluginGetTagNameFunc = const char* (*)();
using PluginDiceFunc = unsigned char (*)(std::string* expression, std::string* result,
                                         PluginRandomFunc randomNext);

inline constexpr const char* kPluginTagExport = "GetTagName";
inline constexpr const char* kPluginDiceExport = "DiceFunc";

}  // namespace yarrow
