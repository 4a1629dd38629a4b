#include "map/qt/CMapDialogs.h"

#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QMenu>

#include "map/MapTypes.h"
#include "platform/ProgramFolder.h"

namespace yarrow {
namespace {

std::optional<std::string> RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                         const QString& suffix, const QString& filter,
                                         const QString& initialName) {
    QFileDialog dialog(parent, mode == QFileDialog::AcceptOpen
                                   ? QStringLiteral("開く")
                                   : QStringLiteral("名前を付けて保存"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(ProgramFolder())));
    dialog.setDefaultSuffix(suffix);
    dialog.setNameFilters({filter, QStringLiteral("すべてのファイル(*.*)")});
    if (!initialName.isEmpty()) {
        dialog.selectFile(initialName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

const QString kMapFilter = QStringLiteral("Mapファイル(*.map)");

}  // namespace

std::optional<std::int32_t> CMapDialogs::PickColor(std::int32_t mapColor, QWidget* parent) {
    const QColor initial(QRgb(RgbFromMapColor(mapColor)));
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return MapColorFromRgb(chosen.rgb());
}

std::optional<std::string> CMapDialogs::OpenMapFileName(QWidget* parent) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, QStringLiteral("map"), kMapFilter, {});
}

std::optional<std::string> CMapDialogs::SaveMapFileName(const std::string& initialName,
                                                        QWidget* parent) {
    return RunFileDialog(parent, QFileDialog::AcceptSave, QStringLiteral("map"), kMapFilter,
                         QFile::decodeName(QByteArray::fromStdString(initialName)));
}

std::optional<std::string> CMapDialogs::SnapshotFileName(QWidget* parent) {
    return RunFileDialog(parent, QFileDialog::AcceptSave, QStringLiteral("bmp"),
                         QStringLiteral("bmpファイル(*.bmp)"), {});
}

bool CMapDialogs::Run(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

QAction* CMapDialogs::RunMenu(QMenu& menu, const QPoint& globalPosition) {
    return menu.exec(globalPosition);
}

}  // namespace yarrow
