#pragma once
// The main window: menu, status bar and the three panes.

#include <QMainWindow>

namespace yarrow {

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
};

}  // namespace yarrow
