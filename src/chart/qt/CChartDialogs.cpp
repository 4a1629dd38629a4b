#include "chart/qt/CChartDialogs.h"

#include <QFile>
#include <QFileDialog>

#include "chart/qt/CAddColumnDialog.h"
#include "chart/qt/CDeleteColumnsDialog.h"
#include "platform/qt/FileDialogFilters.h"

namespace yarrow {
namespace {

std::optional<std::string> RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("cht"));
    SetFileFilters(dialog, {QStringLiteral("Chartファイル(*.cht)"), kAllFilesFilter});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace

std::optional<std::string> CChartDialogs::OpenFileName(QWidget* parent) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen);
}

std::optional<std::string> CChartDialogs::SaveFileName(QWidget* parent) {
    return RunFileDialog(parent, QFileDialog::AcceptSave);
}

std::optional<QString> CChartDialogs::AskColumnHeader(QWidget* parent) {
    return CAddColumnDialog::Ask(parent);
}

std::optional<std::vector<int>> CChartDialogs::ChooseColumnsToDelete(const QStringList& headers,
                                                                     IPrompter& prompter,
                                                                     QWidget* parent) {
    return CDeleteColumnsDialog::Ask(headers, prompter, parent);
}

}  // namespace yarrow
