#pragma once
// Paints a map page as it is shown: background, grid, tiles, tile labels
// with their shadow, the placed items (leader lines with end dots, chip
// pictures, labels, units with facing dots, or the small forms at small cell
// size) and the rectangle-fill rubber band.
//
// Painting is limited to a clip rectangle and draws only what meets it, so
// the page can repaint one cell of its off-screen surface while tiles are
// painted with the mouse and copy just that part to the screen. Text layouts
// and chip pictures are cached between paints (one renderer serves all pages
// of a window, so the caches are bounded once); "ChipFile.ini" is read at
// every paint, and a picture is reloaded when its file changes.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QStaticText>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "map/CMapLayout.h"

class QPainter;

namespace yarrow {

class CChipFile;
class CMapPage;

// The rectangle being dragged with rectangle fill: hatched in the fill colour
// unless the delete tool is on, then framed in black.
struct MapRubberBand {
    QRect rect;
    bool hatched = true;
    QColor color;
};

class CMapRenderer {
  public:
    // Chips are looked up in programFolder's "ChipFile.ini".
    explicit CMapRenderer(std::string programFolder);
    ~CMapRenderer();

    // Draws everything of the page that meets `clip` (client pixels).
    void Render(QPainter& painter, const CMapPage& page, const QRect& clip,
                const std::optional<MapRubberBand>& band = std::nullopt);

    // The pixels a cell's tile and its label may cover.
    QRect CellExtent(const CMapPage& page, int column, int row);
    // The pixels an item may cover, leader line included.
    QRect ItemExtent(const CMapPage& page, int column, int row);

    // Drops the cached text layouts and pictures (tests; a changed font).
    void ClearCaches();
    // The bytes the cached chip pictures hold (tests).
    qsizetype ChipPictureBytes() const;

  private:
    struct TextLine {
        QStaticText text;
        int width = 0;
    };
    struct TextBlock {
        std::vector<TextLine> lines;
        int lineHeight = 0;
        int width = 0;
        // The block drawn with its shadow, per text colour: copying a small
        // picture is many times faster than laying glyphs out again.
        std::vector<std::pair<std::int32_t, QImage>> pictures;
        int Height() const { return lineHeight * static_cast<int>(lines.size()); }
    };
    enum class FontKind { Label14, Label12, Label10, ItemLabel, ItemBold };

    const QFont& Font(FontKind kind);
    static FontKind LabelFont(std::int32_t labelSize);
    // Multi-line text cut at "\r\n", or one line (line breaks shown as blanks).
    TextBlock& Block(std::string_view cp932, FontKind font, bool singleLine);
    QRect BlockRect(const TextBlock& block, const MapRect& box, bool singleLine) const;
    void DrawBlock(QPainter& painter, TextBlock& block, FontKind font, const QRect& at,
                   std::int32_t color);
    // The chip's picture, or null when its file is missing or unreadable.
    const QPixmap* ChipPicture(const CChipFile& chips, std::int32_t chip);

    // Adds a hexagon's six edges to lines_.
    void AddOutline(const HexPolygon& corners);
    void DrawGrid(QPainter& painter, const CMapPage& page, const CMapLayout& layout,
                  const QRect& clip);
    void DrawTiles(QPainter& painter, const CMapPage& page, const CMapLayout& layout,
                   const QRect& clip, bool labels);
    void DrawItems(QPainter& painter, const CMapPage& page, const CMapLayout& layout,
                   const QRect& clip);
    void DrawItem(QPainter& painter, const CMapPage& page, const CMapLayout& layout, int column,
                  int row, const CUnitRecord& item, const CChipFile* chips);
    QRect ItemExtent(const CMapPage& page, const CMapLayout& layout, int column, int row,
                     const CUnitRecord& item);

    std::string programFolder_;
    std::unordered_map<int, QFont> fonts_;
    std::unordered_map<std::string, TextBlock> blocks_;
    qsizetype pictureBytes_ = 0;
    QList<QLine> lines_;
    struct Picture {
        qint64 modified = 0;
        qint64 size = 0;
        QPixmap pixmap;
    };
    std::unordered_map<std::string, Picture> pictures_;
    // Chip number -> picture, for the paint in progress.
    std::unordered_map<std::int32_t, const QPixmap*> paintChips_;
};

}  // namespace yarrow
