#pragma once
// Draws the chart's cells: the row colour (or the highlight of a selected
// row), one line of text vertically centred, 2 pixels in for the first column
// and 6 for the others, shortened with "..." when it does not fit, and the
// focus rectangle round the current row. The cell editor keeps what was typed
// when the edit ends, by Escape as much as by leaving the field.

#include <QStyledItemDelegate>

class QFontMetrics;

namespace yarrow {

class CChartItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Horizontal padding on each side of a cell's text.
    static int PaddingOf(int column) { return column == 0 ? 2 : 6; }

    // `text` as it fits into `width` pixels: whole, or with characters taken
    // from its end until the rest followed by "..." fits.
    static QString ShortenText(const QFontMetrics& metrics, const QString& text, int width);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};

}  // namespace yarrow
