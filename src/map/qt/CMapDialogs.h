#pragma once
// The map window's real dialogs: the Qt colour dialog, file dialogs that
// start in the program folder, and a modal run of its own dialogs.

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
};

}  // namespace yarrow
