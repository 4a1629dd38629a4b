#pragma once
// The map window's command numbers: the page commands of the context menus
// and the window menu, the tab menu's delete command and the menus themselves.

namespace yarrow::mapcmd {

inline constexpr int kReset = 32784;
inline constexpr int kDeleteTile = 32785;
inline constexpr int kSendMap = 32786;
inline constexpr int kSlide = 32787;
inline constexpr int kEndFill = 32791;
inline constexpr int kSaveMap = 32793;
inline constexpr int kOpenMap = 32794;
inline constexpr int kDeleteItem = 32795;
inline constexpr int kEditItem = 32798;
inline constexpr int kNewMap = 32812;
inline constexpr int kDeleteMap = 32813;
inline constexpr int kPlaceChip = 32814;
inline constexpr int kCycleTool = 32821;
inline constexpr int kFillColor = 32822;
inline constexpr int kAddUnit = 32823;
inline constexpr int kEditTileLabel = 32838;

}  // namespace yarrow::mapcmd
