#pragma once
// The map window's modal questions that are not message boxes: the colour
// dialog, the file dialogs and running its own dialogs (unit, chip, slide).
// The window asks through this seam so that tests can script the answers;
// CMapDialogs shows the real ones.

#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace yarrow {

class IMapDialogs {
  public:
    virtual ~IMapDialogs() = default;
    // The platform colour dialog starting at a map colour (0x00BBGGRR); the
    // chosen colour in the same order, nothing on cancel.
    virtual std::optional<std::int32_t> PickColor(std::int32_t mapColor, QWidget* parent) = 0;
    // File dialogs for ".map" files and ".bmp" snapshots. Paths are local
    // paths in the file system's encoding; nothing on cancel.
    virtual std::optional<std::string> OpenMapFileName(QWidget* parent) = 0;
    virtual std::optional<std::string> SaveMapFileName(const std::string& initialName,
                                                       QWidget* parent) = 0;
    virtual std::optional<std::string> SnapshotFileName(QWidget* parent) = 0;
    // Runs one of the window's dialogs, already filled in; true on OK.
    virtual bool Run(QDialog& dialog) = 0;
    // Opens a context menu at a global position; the chosen action or null.
    virtual QAction* RunMenu(QMenu& menu, const QPoint& globalPosition) = 0;
};

}  // namespace yarrow
