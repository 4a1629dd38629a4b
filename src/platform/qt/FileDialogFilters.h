#pragma once
// The filters of the program's file dialogs. Each is shown as
// "name(patterns)", and the last one of an open or save dialog is
// "すべてのファイル(*.*)", which shows every file: names without a dot too,
// which the pattern "*.*" written in it would hide.

#include <QString>
#include <QStringList>

class QFileDialog;

namespace yarrow {

inline const QString kAllFilesFilter = QStringLiteral("すべてのファイル(*.*)");

// Gives `dialog` the filters `shown`, each "name(patterns)" exactly as the
// user reads it, matching its own patterns; kAllFilesFilter among them
// matches every file.
void SetFileFilters(QFileDialog& dialog, const QStringList& shown);

}  // namespace yarrow
