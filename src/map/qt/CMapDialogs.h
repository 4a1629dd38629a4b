#pragma once
// The map window's real dialogs: the Qt colour dialog, file dialogs, and a
// modal run of its own dialogs. The file dialogs start in the folder last
// chosen in any of them (the program folder at first), so a map opened from a
// folder is saved back there under its name.

#include <QString>

#include "map/qt/IMapDialogs.h"

namespace yarrow {

class CMapDialogs final : public IMapDialogs {
  public:
    std::optional<std::int32_t> PickColor(std::int32_t mapColor, QWidget* parent) override;
    std::optional<std::string> OpenMapFileName(QWidget* parent) override;
    std::optional<std::string> SaveMapFileName(const std::string& initialName,
                                               QWidget* parent) override;
    std::optional<std::string> SnapshotFileName(QWidget* parent) override;
    bool Run(QDialog& dialog) override;
    QAction* RunMenu(QMenu& menu, const QPoint& globalPosition) override;

  private:
    std::optional<std::string> RunFileDialog(QWidget* parent, bool save, const QString& suffix,
                                             const QString& filter, const QString& initialName);

    QString folder_;  // the folder last chosen; empty: the program folder
};

}  // namespace yarrow
