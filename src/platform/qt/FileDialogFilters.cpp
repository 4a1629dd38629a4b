#include "platform/qt/FileDialogFilters.h"

#include <QFileDialog>

namespace yarrow {

void SetFileFilters(QFileDialog& dialog, const QStringList& shown) {
    // The dialog matches names with the patterns in the last parentheses of
    // a filter and, with its details hidden, shows what stands before them.
    // Each filter therefore carries its patterns twice: the text the user
    // reads, then what is matched.
    QStringList filters;
    for (const QString& text : shown) {
        QString patterns = QStringLiteral("*");
        if (text != kAllFilesFilter) {
            const qsizetype open = text.lastIndexOf(u'(');
            const qsizetype close = text.lastIndexOf(u')');
            if (open >= 0 && close > open)
                patterns = text.mid(open + 1, close - open - 1);
        }
        filters.append(text + QStringLiteral(" (") + patterns + u')');
    }
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
}

}  // namespace yarrow
