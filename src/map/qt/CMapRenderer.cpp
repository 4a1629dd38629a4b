#include "map/qt/CMapRenderer.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "map/CChipFile.h"
#include "map/CMapPage.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {
namespace {

// Fonts are looked up by these families; the first one installed wins.
const QStringList kFontFamilies = {QStringLiteral("Noto Sans CJK JP"),
                                   QStringLiteral("MS UI Gothic")};
// More cached text layouts than this, or pictures of more bytes, are dropped
// all at once (a full screen of distinct labels is about 2,000 and 5 MiB).
constexpr std::size_t kMaxCachedBlocks = 20000;
constexpr qsizetype kMaxPictureBytes = 64 * 1024 * 1024;
constexpr std::size_t kMaxCachedPictures = 256;

QColor ToQColor(std::int32_t mapColor) {
    return QColor(QRgb(RgbFromMapColor(mapColor)));
}

QRect ToQRect(const MapRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

QPolygon ToPolygon(const HexPolygon& corners) {
    QPolygon polygon(6);
    for (int i = 0; i < 6; ++i) {
        polygon.setPoint(i, corners[static_cast<std::size_t>(i)].x,
                         corners[static_cast<std::size_t>(i)].y);
    }
    return polygon;
}

// The shadow under text: white under black text, black under anything else.
QColor ShadowOf(std::int32_t color) {
    return color == 0 ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace

CMapRenderer::CMapRenderer(std::string programFolder) : programFolder_(std::move(programFolder)) {}

CMapRenderer::~CMapRenderer() = default;

void CMapRenderer::ClearCaches() {
    blocks_.clear();
    pictureBytes_ = 0;
    pictures_.clear();
}

qsizetype CMapRenderer::ChipPictureBytes() const {
    qsizetype bytes = 0;
    for (const auto& [path, picture] : pictures_) {
        bytes += qsizetype{picture.pixmap.width()} * picture.pixmap.height() *
                 picture.pixmap.depth() / 8;
    }
    return bytes;
}

const QFont& CMapRenderer::Font(FontKind kind) {
    const auto it = fonts_.find(static_cast<int>(kind));
    if (it != fonts_.end()) {
        return it->second;
    }
    QFont font;
    font.setFamilies(kFontFamilies);
    font.setStyleStrategy(QFont::PreferDefault);
    switch (kind) {
        case FontKind::Label14:
            font.setPixelSize(14);
            break;
        case FontKind::Label12:
            font.setPixelSize(12);
            break;
        case FontKind::Label10:
        case FontKind::ItemLabel:
            font.setPixelSize(10);
            break;
        case FontKind::ItemBold:
            font.setPixelSize(12);
            font.setBold(true);
            break;
    }
    return fonts_.emplace(static_cast<int>(kind), font).first->second;
}

CMapRenderer::FontKind CMapRenderer::LabelFont(std::int32_t labelSize) {
    switch (LabelPixelHeight(labelSize)) {
        case 12:
            return FontKind::Label12;
        case 10:
            return FontKind::Label10;
        default:
            return FontKind::Label14;
    }
}

CMapRenderer::TextBlock& CMapRenderer::Block(std::string_view cp932, FontKind kind,
                                             bool singleLine) {
    std::string key;
    key.reserve(cp932.size() + 2);
    key.push_back(static_cast<char>('0' + static_cast<int>(kind)));
    key.push_back(singleLine ? 's' : 'm');
    key.append(CMapLayout::DrawnText(cp932));
    const auto found = blocks_.find(key);
    if (found != blocks_.end()) {
        return found->second;
    }
    if (blocks_.size() >= kMaxCachedBlocks || pictureBytes_ > kMaxPictureBytes) {
        blocks_.clear();
        pictureBytes_ = 0;
    }
    const QFont& font = Font(kind);
    const QFontMetrics metrics(font);
    TextBlock block;
    block.lineHeight = metrics.height();
    std::vector<std::string_view> lines;
    std::string joined;
    if (singleLine) {
        joined.assign(CMapLayout::DrawnText(cp932));
        for (std::size_t at; (at = joined.find("\r\n")) != std::string::npos;) {
            joined.replace(at, 2, " ");
        }
        lines.push_back(joined);
    } else {
        lines = CMapLayout::LabelLines(cp932);
    }
    for (std::string_view line : lines) {
        TextLine out;
        const QString text = FromCp932(line);
        out.text.setTextFormat(Qt::PlainText);
        out.text.setPerformanceHint(QStaticText::AggressiveCaching);
        out.text.setText(text);
        out.text.prepare(QTransform(), font);
        out.width = metrics.horizontalAdvance(text);
        block.width = std::max(block.width, out.width);
        block.lines.push_back(std::move(out));
    }
    return blocks_.emplace(std::move(key), std::move(block)).first->second;
}

QRect CMapRenderer::BlockRect(const TextBlock& block, const MapRect& box, bool singleLine) const {
    // Centred on the box; a block of several lines is centred as a whole.
    const int height = singleLine ? block.lineHeight : block.Height();
    const int left = box.left + (box.Width() - block.width) / 2;
    const int top = box.top + (box.Height() - height) / 2;
    return QRect(left, top, block.width, height);
}

void CMapRenderer::DrawBlock(QPainter& painter, TextBlock& block, FontKind font, const QRect& at,
                             std::int32_t color) {
    auto it = std::find_if(block.pictures.begin(), block.pictures.end(),
                           [color](const auto& p) { return p.first == color; });
    if (it == block.pictures.end()) {
        // The text with its shadow one pixel down and right.
        QImage picture(block.width + 1, block.Height() + 1, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter text(&picture);
        text.setFont(Font(font));
        for (int pass = 0; pass < 2; ++pass) {
            text.setPen(pass == 0 ? ShadowOf(color) : ToQColor(color));
            const int shift = pass == 0 ? 1 : 0;
            int y = shift;
            for (const TextLine& line : block.lines) {
                text.drawStaticText((block.width - line.width) / 2 + shift, y, line.text);
                y += block.lineHeight;
            }
        }
        text.end();
        pictureBytes_ += picture.sizeInBytes();
        block.pictures.emplace_back(color, std::move(picture));
        it = block.pictures.end() - 1;
    }
    painter.drawImage(at.left() + (at.width() - block.width) / 2, at.top(), it->second);
}

const QPixmap* CMapRenderer::ChipPicture(const CChipFile& chips, std::int32_t chip) {
    const auto known = paintChips_.find(chip);
    if (known != paintChips_.end()) {
        return known->second;
    }
    const QPixmap* picture = nullptr;
    const std::string path = chips.BitmapPath(chip);
    if (!path.empty()) {
        const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
        if (info.isFile()) {
            const qint64 modified = info.lastModified().toMSecsSinceEpoch();
            auto it = pictures_.find(path);
            if (it == pictures_.end() || it->second.modified != modified ||
                it->second.size != info.size()) {
                if (pictures_.size() >= kMaxCachedPictures) {
                    pictures_.clear();
                    paintChips_.clear();
                }
                // Only the picture's top left chip-sized corner is ever drawn
                // (at its own size), so only that is kept: a chip set of
                // large pictures does not fill the memory. A picture smaller
                // than a chip is kept whole and nothing is added to it.
                const QImage whole(info.filePath());
                QPixmap corner;
                if (!whole.isNull()) {
                    corner = QPixmap::fromImage(
                        whole.copy(QRect(0, 0, CMapLayout::kChipSize, CMapLayout::kChipSize)
                                       .intersected(whole.rect())));
                }
                Picture loaded{modified, info.size(), std::move(corner)};
                it = pictures_.insert_or_assign(path, std::move(loaded)).first;
            }
            if (!it->second.pixmap.isNull()) {
                picture = &it->second.pixmap;
            }
        }
    }
    paintChips_.emplace(chip, picture);
    return picture;
}

void CMapRenderer::Render(QPainter& painter, const CMapPage& page, const QRect& clip,
                          const std::optional<MapRubberBand>& band) {
    const CMapLayout layout(page.Geometry());
    const QRect client(0, 0, page.ClientWidth(), page.ClientHeight());
    const QRect area = clip.intersected(client);
    if (area.isEmpty()) {
        return;
    }
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, ToQColor(page.BackgroundColor()));
    DrawGrid(painter, page, layout, area);
    DrawTiles(painter, page, layout, area, false);
    DrawTiles(painter, page, layout, area, true);
    DrawItems(painter, page, layout, area);
    if (band && !band->rect.isEmpty()) {
        const QRect r = band->rect.normalized();
        if (band->hatched) {
            painter.save();
            painter.setClipRect(r.adjusted(0, 0, 1, 1), Qt::IntersectClip);
            painter.setPen(QPen(band->color, 1));
            // Diagonal lines 5 pixels apart.
            for (int d = 0; d <= r.width() + r.height(); d += 5) {
                painter.drawLine(r.left() + d, r.top(), r.left() + d - r.height(), r.bottom());
            }
            painter.restore();
        }
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
    }
    painter.restore();
}

void CMapRenderer::DrawGrid(QPainter& painter, const CMapPage& page, const CMapLayout& layout,
                            const QRect& clip) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    const CMapGeometry& g = page.Geometry();
    const int width = page.ClientWidth();
    const int height = page.ClientHeight();
    if (!g.hexShape) {
        const int s = g.SquareSize();
        for (int i = 0; i <= page.VisibleCols(); ++i) {
            const int x = i * s;
            if (x >= clip.left() && x <= clip.right()) {
                painter.drawLine(x, 0, x, height - 1);
            }
        }
        for (int i = 0; i <= page.VisibleRows(); ++i) {
            const int y = i * s;
            if (y >= clip.top() && y <= clip.bottom()) {
                painter.drawLine(0, y, width - 1, y);
            }
        }
        return;
    }
    const int lastColumn = std::min(kMapSide - 1, g.scrollColumn + page.VisibleCols());
    const int lastRow = std::min(kMapSide - 1, g.scrollRow + page.VisibleRows());
    // All outlines in one call: far cheaper than one polygon per cell.
    lines_.clear();
    for (int column = g.scrollColumn; column <= lastColumn; ++column) {
        for (int row = g.scrollRow; row <= lastRow; ++row) {
            if (ToQRect(layout.CellOutline(column, row)).adjusted(0, 0, 1, 1).intersects(clip)) {
                AddOutline(layout.HexVertices(column, row));
            }
        }
    }
    painter.drawLines(lines_);
}

void CMapRenderer::AddOutline(const HexPolygon& corners) {
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const MapPoint& from = corners[i];
        const MapPoint& to = corners[(i + 1) % corners.size()];
        lines_.append(QLine(from.x, from.y, to.x, to.y));
    }
}

void CMapRenderer::DrawTiles(QPainter& painter, const CMapPage& page, const CMapLayout& layout,
                             const QRect& clip, bool labels) {
    const CMapGeometry& g = page.Geometry();
    const TileMap& tiles = page.Tiles();
    if (tiles.empty()) {
        return;
    }
    const int s = g.SquareSize();
    // Hexagons just left of or above the origin are cut by the edge but
    // partly visible; square cells there are not.
    const int firstColumn = std::max(0, g.hexShape ? g.scrollColumn - 1 : g.scrollColumn);
    const int firstRow = std::max(0, g.hexShape ? g.scrollRow - 1 : g.scrollRow);
    const int lastColumn = std::min(kMapSide - 1, g.scrollColumn + page.VisibleCols() + 1);
    const int lastRow = std::min(kMapSide - 1, g.scrollRow + page.VisibleRows() + 1);
    painter.setPen(Qt::NoPen);
    lines_.clear();
    for (int column = firstColumn; column <= lastColumn; ++column) {
        auto it = tiles.lower_bound(MakeCellKey(column, firstRow));
        const auto end = tiles.upper_bound(MakeCellKey(column, lastRow));
        for (; it != end; ++it) {
            const int row = KeyRow(it->first);
            if (column < g.scrollColumn && row < g.scrollRow) {
                continue;
            }
            const CTileRecord& tile = it->second;
            if (labels) {
                if (tile.TileLabel.empty()) {
                    continue;
                }
                const MapRect box = layout.CellBox(column, row);
                const FontKind font = LabelFont(tile.LabelSize);
                TextBlock& block = Block(tile.TileLabel, font, false);
                const QRect at = BlockRect(block, box, false);
                if (at.adjusted(0, 0, 1, 1).intersects(clip)) {
                    DrawBlock(painter, block, font, at, tile.LabelColor);
                }
                continue;
            }
            if (!ToQRect(layout.CellOutline(column, row)).adjusted(0, 0, 1, 1).intersects(clip)) {
                continue;
            }
            const QColor color = ToQColor(tile.TileColor);
            if (!g.hexShape) {
                const MapRect box = layout.CellBox(column, row);
                painter.fillRect(box.left + 1, box.top + 1, s - 1, s - 1, color);
            } else {
                const HexPolygon corners = layout.HexVertices(column, row);
                painter.setBrush(color);
                painter.drawPolygon(ToPolygon(corners));
                AddOutline(corners);
            }
        }
    }
    painter.setBrush(Qt::NoBrush);
    // The tiles' black outlines, all at once.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLines(lines_);
}

QRect CMapRenderer::ItemExtent(const CMapPage& page, const CMapLayout& layout, int column, int row,
                               const CUnitRecord& item) {
    const bool small = page.SmallTiles();
    QRect extent = ToQRect(small ? layout.SmallItemBox(column, row) : layout.ItemBox(column, row));
    if (IsLabel(item)) {
        const MapRect box = small ? layout.SmallItemBox(column, row) : layout.ItemBox(column, row);
        const TextBlock& block = Block(item.Symbol, FontKind::ItemLabel, small);
        QRect text = BlockRect(block, box, small);
        if (small) {
            text.moveTop(box.top - 2);
        }
        extent |= text.adjusted(0, 0, 1, 1);
    } else {
        // A unit's two characters may reach past a narrow hexagon box.
        extent.adjust(-8, -2, 8, 2);
    }
    if (const auto anchor = AnchorCell(item)) {
        const MapPoint from = layout.CellCentre(column, row);
        const MapPoint to = layout.LeaderEnd({column, row}, *anchor);
        const int r = CMapLayout::kLeaderDotRadius + 2;
        extent |= QRect(QPoint(std::min(from.x, to.x), std::min(from.y, to.y)),
                        QPoint(std::max(from.x, to.x), std::max(from.y, to.y)))
                      .adjusted(-r, -r, r, r);
    }
    return extent.adjusted(-2, -2, 2, 2);
}

QRect CMapRenderer::ItemExtent(const CMapPage& page, int column, int row) {
    const CUnitRecord* item = page.ItemAt(column, row);
    if (item == nullptr) {
        return {};
    }
    return ItemExtent(page, CMapLayout(page.Geometry()), column, row, *item);
}

QRect CMapRenderer::CellExtent(const CMapPage& page, int column, int row) {
    const CMapLayout layout(page.Geometry());
    QRect extent = ToQRect(layout.CellOutline(column, row)).adjusted(-1, -1, 2, 2);
    if (const CTileRecord* tile = page.TileAt(column, row); tile && !tile->TileLabel.empty()) {
        const TextBlock& block = Block(tile->TileLabel, LabelFont(tile->LabelSize), false);
        extent |= BlockRect(block, layout.CellBox(column, row), false).adjusted(-1, -1, 3, 3);
    }
    return extent;
}

void CMapRenderer::DrawItems(QPainter& painter, const CMapPage& page, const CMapLayout& layout,
                             const QRect& clip) {
    const UnitMap& items = page.Units();
    if (items.empty()) {
        return;
    }
    paintChips_.clear();
    // The chip set is read once per paint, and only when a chip is drawn.
    std::optional<CChipFile> chips;
    const CMapGeometry& g = page.Geometry();
    for (const auto& [key, item] : items) {
        const int column = KeyColumn(key);
        const int row = KeyRow(key);
        if (!g.IsVisible(column, row)) {
            continue;
        }
        if (!ItemExtent(page, layout, column, row, item).intersects(clip)) {
            continue;
        }
        if (IsChip(item) && !chips) {
            chips.emplace(programFolder_);
        }
        DrawItem(painter, page, layout, column, row, item, chips ? &*chips : nullptr);
    }
}

void CMapRenderer::DrawItem(QPainter& painter, const CMapPage& page, const CMapLayout& layout,
                            int column, int row, const CUnitRecord& item, const CChipFile* chips) {
    const QColor color = ToQColor(item.UnitColor);
    const bool small = page.SmallTiles();
    if (const auto anchor = AnchorCell(item)) {
        const MapPoint from = layout.CellCentre(column, row);
        const MapPoint to = layout.LeaderEnd({column, row}, *anchor);
        painter.setPen(QPen(color, 2));
        painter.drawLine(from.x, from.y, to.x, to.y);
        if (!small) {
            const int r = CMapLayout::kLeaderDotRadius;
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawEllipse(QPoint(to.x, to.y), r, r);
            painter.setBrush(Qt::NoBrush);
        }
    }

    if (small) {
        const MapRect box = layout.SmallItemBox(column, row);
        const QRect r = ToQRect(box);
        if (IsChip(item)) {
            // A raised frame around the chip's colour.
            painter.setPen(Qt::white);
            painter.drawLine(r.topLeft(), r.topRight());
            painter.drawLine(r.topLeft(), r.bottomLeft());
            painter.setPen(QColor(0xC0, 0xC0, 0xC0));
            painter.drawLine(r.bottomLeft(), r.bottomRight());
            painter.drawLine(r.topRight(), r.bottomRight());
            painter.fillRect(r.adjusted(1, 1, -1, -1), ToQColor(page.ChipColor(item.UnitColor)));
        } else if (IsLabel(item)) {
            const TextBlock& block = Block(item.Symbol, FontKind::ItemLabel, true);
            QRect at = BlockRect(block, box, true);
            at.moveTop(box.top - 2);
            painter.setFont(Font(FontKind::ItemLabel));
            painter.setPen(color);
            painter.drawStaticText(at.left(), at.top(), block.lines.front().text);
        } else {
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(color);
            painter.drawEllipse(r);
            painter.setBrush(Qt::NoBrush);
        }
        return;
    }

    const MapRect box = layout.ItemBox(column, row);
    if (IsChip(item) && chips != nullptr) {
        if (const QPixmap* picture = ChipPicture(*chips, item.UnitColor)) {
            const MapPoint at = layout.ChipOrigin(box);
            painter.drawPixmap(at.x, at.y, *picture, 0, 0, CMapLayout::kChipSize,
                               CMapLayout::kChipSize);
            return;
        }
    }
    if (IsLabel(item)) {
        TextBlock& block = Block(item.Symbol, FontKind::ItemLabel, false);
        DrawBlock(painter, block, FontKind::ItemLabel, BlockRect(block, box, false),
                  item.UnitColor);
        return;
    }
    // A unit, or a chip without a picture: two characters, and for units the
    // facing dot.
    TextBlock& block = Block(CMapLayout::UnitCharacters(item.Symbol), FontKind::ItemBold, true);
    DrawBlock(painter, block, FontKind::ItemBold, BlockRect(block, box, true), item.UnitColor);
    if (IsPlainUnit(item)) {
        const MapPoint dot = layout.FacingDot(box, FacingOf(item));
        painter.fillRect(dot.x, dot.y, CMapLayout::kFacingDotSize, CMapLayout::kFacingDotSize,
                         color);
    }
}

}  // namespace yarrow
