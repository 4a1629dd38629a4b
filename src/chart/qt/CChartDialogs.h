#pragma once
// The chart window's real dialogs: Qt file dialogs for ".cht" files with the
// "Chartファイル" filter, and the "列の追加" and "列の削除" dialogs.

#include "chart/qt/IChartDialogs.h"

namespace yarrow {

class CChartDialogs final : public IChartDialogs {
  public:
    std::optional<std::string> OpenFileName(QWidget* parent) override;
    std::optional<std::string> SaveFileName(QWidget* parent) override;
    std::optional<QString> AskColumnHeader(QWidget* parent) override;
    std::optional<std::vector<int>> ChooseColumnsToDelete(const QStringList& headers,
                                                          IPrompter& prompter,
                                                          QWidget* parent) override;
};

}  // namespace yarrow
