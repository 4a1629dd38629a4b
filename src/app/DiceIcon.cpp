#include "app/DiceIcon.h"

#include <QPainter>
#include <QPixmap>

namespace yarrow {

namespace {

QPixmap DrawDie(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal m = size * 0.08;
    const QRectF face(m, m, size - 2 * m, size - 2 * m);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), size / 16.0));
    painter.setBrush(QColor(0xFA, 0xFA, 0xF5));
    painter.drawRoundedRect(face, size * 0.18, size * 0.18);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xC0, 0x10, 0x10));
    const qreal r = size * 0.09;
    const qreal lo = face.left() + face.width() * 0.27;
    const qreal hi = face.left() + face.width() * 0.73;
    const qreal mid = face.center().x();
    for (const QPointF& pip :
         {QPointF(lo, lo), QPointF(hi, lo), QPointF(mid, mid), QPointF(lo, hi), QPointF(hi, hi)}) {
        painter.drawEllipse(pip, r, r);
    }
    return pixmap;
}

}  // namespace

QIcon DiceIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        icon.addPixmap(DrawDie(size));
    }
    return icon;
}

}  // namespace yarrow
