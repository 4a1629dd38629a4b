#include "map/qt/MapToolBitmaps.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace yarrow {
namespace {

constexpr int S = kMapToolBitmapSize;

// A hexagon centred at (cx, cy) with radius r; `pointedSideways` puts the
// points left and right (columns staggered), otherwise up and down.
QPolygonF Hexagon(double cx, double cy, double r, bool pointedSideways) {
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double angle = (pointedSideways ? 0.0 : 30.0) + 60.0 * i;
        const double rad = angle * 3.14159265358979 / 180.0;
        hex << QPointF(cx + r * std::cos(rad), cy + r * std::sin(rad));
    }
    return hex;
}

void Grid(QPainter& p, int cells) {
    const double step = (S - 4.0) / cells;
    for (int i = 0; i <= cells; ++i) {
        p.drawLine(QPointF(2 + i * step, 2), QPointF(2 + i * step, S - 2));
        p.drawLine(QPointF(2, 2 + i * step), QPointF(S - 2, 2 + i * step));
    }
}

void Padlock(QPainter& p, bool locked) {
    p.setBrush(QColor(0xD4, 0xA0, 0x17));
    p.drawRect(QRectF(5, 11, 14, 10));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    const double right = locked ? 16 : 22;
    shackle.moveTo(locked ? 8 : 14, 11);
    shackle.lineTo(locked ? 8 : 14, 7);
    shackle.arcTo(QRectF(right - 8, 3, 8, 8), 180, -180);
    shackle.lineTo(right, locked ? 11 : 8);
    p.setPen(QPen(Qt::black, 2));
    p.drawPath(shackle);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(12, 14), QPointF(12, 18));
}

}  // namespace

QPixmap MapToolBitmap(int id) {
    if (id < 129 || id > 140) {
        return {};
    }
    QPixmap pixmap(S, S);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    switch (id) {
        case 129:  // direction 0: hexagons pointed left and right
            p.setBrush(QColor(0xC0, 0xC0, 0xC0));
            p.drawPolygon(Hexagon(S / 2.0, S / 2.0, 10, true));
            break;
        case 130:  // direction 1: hexagons pointed up and down
            p.setBrush(QColor(0xC0, 0xC0, 0xC0));
            p.drawPolygon(Hexagon(S / 2.0, S / 2.0, 10, false));
            break;
        case 131:  // hexagonal cells
            p.setBrush(Qt::white);
            p.drawPolygon(Hexagon(7, 8, 5.5, true));
            p.drawPolygon(Hexagon(15.25, 12.8, 5.5, true));
            p.drawPolygon(Hexagon(7, 17.6, 5.5, true));
            break;
        case 132:  // square cells
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setBrush(Qt::white);
            p.drawRect(2, 2, S - 4, S - 4);
            Grid(p, 2);
            break;
        case 133:  // small cells
            p.setRenderHint(QPainter::Antialiasing, false);
            Grid(p, 5);
            break;
        case 134:  // large cells
            p.setRenderHint(QPainter::Antialiasing, false);
            Grid(p, 2);
            break;
        case 135:
            Padlock(p, true);
            break;
        case 136:
            Padlock(p, false);
            break;
        case 137: {  // rectangle fill: a hatched rectangle
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
            for (int d = -S; d < S; d += 4) {
                p.drawLine(3 + d, S - 4, 3 + d + (S - 7), 3);
            }
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Qt::black, 1, Qt::DashLine));
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.drawRect(3, 3, S - 7, S - 7);
            // Clear the hatching outside the frame.
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            p.fillRect(0, 0, S, 3, Qt::transparent);
            p.fillRect(0, S - 3, S, 3, Qt::transparent);
            p.fillRect(0, 0, 3, S, Qt::transparent);
            p.fillRect(S - 3, 0, 3, S, Qt::transparent);
            break;
        }
        case 138:  // snapshot: a camera
            p.setBrush(QColor(0x40, 0x40, 0x40));
            p.drawRoundedRect(QRectF(2, 7, 20, 13), 2, 2);
            p.drawRect(QRectF(8, 4, 8, 4));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(12, 13.5), 4.5, 4.5);
            p.setBrush(QColor(0x40, 0x60, 0xA0));
            p.drawEllipse(QPointF(12, 13.5), 2.5, 2.5);
            break;
        case 139:  // white background
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setBrush(Qt::white);
            p.drawRect(3, 3, S - 7, S - 7);
            break;
        case 140:  // grey background
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setBrush(QColor(0xAA, 0xAA, 0xAA));
            p.drawRect(3, 3, S - 7, S - 7);
            break;
    }
    return pixmap;
}

}  // namespace yarrow
