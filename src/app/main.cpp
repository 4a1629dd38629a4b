#include <QApplication>
#include <QFont>

#include "app/CYarrowApp.h"
#include "platform/ProgramFolder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Yarrow"));
    // The form's usual font: a Japanese UI face at the size dialogs use.
    QFont font(QStringLiteral("Noto Sans CJK JP"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    yarrow::CYarrowApp yarrowApp(yarrow::ProgramFolder());
    yarrowApp.Start();
    return app.exec();
}
