#include "map/qt/CMapDialogs.h"

#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include "map/MapTypes.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/FileDialogFilters.h"

namespace yarrow {
namespace {

const QString kMapFilter = QStringLiteral("Mapファイル(*.map)");

}  // namespace

std::optional<std::string> CMapDialogs::RunFileDialog(QWidget* parent, bool save,
                                                      const QString& suffix, const QString& filter,
                                                      const QString& initialName) {
    QFileDialog dialog(parent, save ? QStringLiteral("名前を付けて保存") : QStringLiteral("開く"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDirectory(folder_.isEmpty()
                            ? QFile::decodeName(QByteArray::fromStdString(ProgramFolder()))
                            : folder_);
    dialog.setDefaultSuffix(suffix);
    SetFileFilters(dialog, {filter, kAllFilesFilter});
    if (!initialName.isEmpty()) {
        dialog.selectFile(initialName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    folder_ = QFileInfo(chosen).absolutePath();
    return QFile::encodeName(chosen).toStdString();
}

std::optional<std::int32_t> CMapDialogs::PickColor(std::int32_t mapColor, QWidget* parent) {
    const QColor initial(QRgb(RgbFromMapColor(mapColor)));
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return MapColorFromRgb(chosen.rgb());
}

std::optional<std::string> CMapDialogs::OpenMapFileName(QWidget* parent) {
    return RunFileDialog(parent, false, QStringLiteral("map"), kMapFilter, {});
}

std::optional<std::string> CMapDialogs::SaveMapFileName(const std::string& initialName,
                                                        QWidget* parent) {
    return RunFileDialog(parent, true, QStringLiteral("map"), kMapFilter,
                         QFile::decodeName(QByteArray::fromStdString(initialName)));
}

std::optional<std::string> CMapDialogs::SnapshotFileName(QWidget* parent) {
    return RunFileDialog(parent, true, QStringLiteral("bmp"), QStringLiteral("bmpファイル(*.bmp)"),
                         {});
}

bool CMapDialogs::Run(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

QAction* CMapDialogs::RunMenu(QMenu& menu, const QPoint& globalPosition) {
    return menu.exec(globalPosition);
}

}  // namespace yarrow
