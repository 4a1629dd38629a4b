#include "chart/qt/CChartItemDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

namespace yarrow {

QString CChartItemDelegate::ShortenText(const QFontMetrics& metrics, const QString& text,
                                        int width) {
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    static const QString dots = QStringLiteral("...");
    // The width grows with the kept length, so the longest fitting prefix can
    // be found by bisection even for very long texts.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid) + dots) <= width) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    // Never leave half of a surrogate pair behind.
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low;
    return text.left(low) + dots;
}

void CChartItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    const QColor background = selected ? opt.palette.color(QPalette::Highlight)
                                       : index.data(Qt::BackgroundRole).value<QColor>();
    painter->fillRect(opt.rect, background);
    painter->setPen(selected ? opt.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
    painter->setFont(opt.font);

    const int padding = PaddingOf(index.column());
    const QRect textRect = opt.rect.adjusted(padding, 0, -padding, 0);
    const QString shown = ShortenText(opt.fontMetrics, opt.text, opt.rect.width() - 2 * padding);
    // A shortened text always starts at the left edge, whatever the column's
    // alignment, so its beginning stays readable.
    Qt::Alignment alignment = shown.size() == opt.text.size()
                                  ? (opt.displayAlignment & Qt::AlignHorizontal_Mask)
                                  : Qt::AlignLeft;
    painter->drawText(textRect, alignment | Qt::AlignVCenter | Qt::TextSingleLine, shown);

    // The focus rectangle goes round the whole current row, while the grid
    // has the focus: each cell draws its part of the frame.
    const auto* view = qobject_cast<const QAbstractItemView*>(opt.widget);
    if (view != nullptr && view->hasFocus() && view->currentIndex().isValid() &&
        view->currentIndex().row() == index.row()) {
        QPen pen(selected ? opt.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
        pen.setStyle(Qt::DotLine);
        pen.setWidth(0);
        painter->setPen(pen);
        const QRect r = opt.rect.adjusted(0, 0, -1, -1);
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (index.column() == 0)
            painter->drawLine(r.topLeft(), r.bottomLeft());
        if (index.column() == index.model()->columnCount(index.parent()) - 1)
            painter->drawLine(r.topRight(), r.bottomRight());
    }
    painter->restore();
}

void CChartItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const {
    // The editor has the cell's size, moved 2 pixels right and down.
    editor->setGeometry(option.rect.translated(2, 2));
}

bool CChartItemDelegate::eventFilter(QObject* object, QEvent* event) {
    // Escape ends the edit like leaving the field does: what was typed stays.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (auto* editor = qobject_cast<QWidget*>(object)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace yarrow
