#pragma once
// ".map" files: one page's items, tiles and display flags (not its map
// number, so a file loads into any page). Little-endian throughout:
//
//   u8  version (3)            u8 VisibleRows, u8 VisibleCols (not used on load)
//   u32 n, then n items:       u16 CellKey, u8 Flags, i32 UnitColor,
//                              u8 UnitNumber, i32 Anchor, u32 L, L bytes Symbol
//   u32 m, then m tiles:       u16 CellKey, i32 TileColor, i32 LabelColor,
//                              i32 LabelSize, u32 L, L bytes TileLabel
//   u32 flags (optional):      bit 0 hex, 1 small, 2 direction, 3 white
//
// A file comes from anywhere, so reading checks every count and length
// against the bytes left before taking anything, refuses more entries than a
// page can hold, and builds the new contents aside: a file that fails to load
// leaves the page exactly as it was.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "map/CMapPage.h"
#include "map/CMapResult.h"

namespace yarrow {

class CMapFile {
  public:
    // Larger files are refused before they are read: a page at both limits
    // with long texts stays far below this.
    static constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

    // What a file holds.
    struct Contents {
        UnitMap units;
        TileMap tiles;
        std::optional<std::int32_t> flags;  // missing in older files
    };

    // The file's bytes for `page`.
    static std::string Format(const CMapPage& page);
    // Reads file bytes into `out`. On failure the result carries the version
    // or the broken-file message.
    static CMapResult Parse(std::string_view bytes, Contents& out);

    // Writes the page; the result carries the confirmation "現在のタイル状態を
    // 保存しました" (caption "保存"), or the error.
    static CMapResult Save(const std::string& path, const CMapPage& page);
    // Replaces the page's items and tiles (also on a locked page) and, when
    // the file has the flags word, its shape, size, direction and background.
    // `changed` on success: the window then sends the page, recounts and
    // moves its tips. A successful load has no message.
    static CMapResult Load(const std::string& path, CMapPage& page);

    // The messages, for tests and callers.
    // Writes a snapshot bitmap; a message when it could not be written
    // (nothing when it was).
    static CMapResult SaveSnapshot(const std::string& path, std::string_view bitmap);
    static CMapResult VersionMessage(int fileVersion);
    static CMapResult BrokenFileMessage();
    static CMapResult CannotOpenMessage(int error);
};

}  // namespace yarrow
