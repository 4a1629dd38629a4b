#include "app/CMainFrame.h"

namespace yarrow {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Yarrow - 待機中 "));
    resize(640, 540);
}

}  // namespace yarrow
