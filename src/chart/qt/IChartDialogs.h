#pragma once
// The chart window's modal questions that are not message boxes: the file
// dialogs and the two column dialogs. The window asks through this seam so
// that tests can script the answers; CChartDialogs shows the real dialogs.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace yarrow {

class IPrompter;

class IChartDialogs {
  public:
    virtual ~IChartDialogs() = default;
    // A local file path in the file system's encoding; nothing on cancel.
    virtual std::optional<std::string> OpenFileName(QWidget* parent) = 0;
    virtual std::optional<std::string> SaveFileName(QWidget* parent) = 0;
    // "列の追加": the new header; nothing on cancel.
    virtual std::optional<QString> AskColumnHeader(QWidget* parent) = 0;
    // "列の削除" over all headers: the column positions to delete (maybe
    // none); nothing on cancel.
    virtual std::optional<std::vector<int>> ChooseColumnsToDelete(const QStringList& headers,
                                                                  IPrompter& prompter,
                                                                  QWidget* parent) = 0;
};

}  // namespace yarrow
