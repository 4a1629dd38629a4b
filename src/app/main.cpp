#include <QApplication>

#include "app/CMainFrame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Yarrow"));
    yarrow::CMainFrame frame;
    frame.show();
    return app.exec();
}
