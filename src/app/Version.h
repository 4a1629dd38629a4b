#pragma once
// The program's version as the user sees it.

namespace yarrow {

inline constexpr const char* kAppTitle = "Yarrow";
// The idle text of the status bar's message pane and the about box's line.
inline constexpr const char* kStatusIdleText = "Yarrow Ver0.54t";

}  // namespace yarrow
