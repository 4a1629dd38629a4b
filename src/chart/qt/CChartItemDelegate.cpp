#include "chart/qt/CChartItemDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

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

    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.backgroundColor = background;
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

void CChartItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const {
    // The editor sits over the cell's text, where the text itself is drawn.
    editor->setGeometry(option.rect.adjusted(2, 2, 0, 0));
}

}  // namespace yarrow
