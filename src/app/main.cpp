#include <QApplication>
#include <QFont>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CChatController.h"
#include "app/CYarrowApp.h"
#include "app/CommandLine.h"
#include "platform/ProgramFolder.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const yarrow::CommandLineRequest request = yarrow::ParseCommandLine(args);
    using Mode = yarrow::CommandLineRequest::Mode;
    if (request.mode == Mode::Help || request.mode == Mode::Error) {
        std::FILE* out = request.mode == Mode::Help ? stdout : stderr;
        if (!request.error.empty())
            std::fprintf(out, "yarrow: %s\n", request.error.c_str());
        std::fprintf(out, "%s\n", yarrow::CommandLineUsage().c_str());
        return request.mode == Mode::Help ? 0 : yarrow::kCommandLineErrorExit;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Yarrow"));
    // The form's usual font: a Japanese UI face at the size dialogs use.
    QFont font(QStringLiteral("Noto Sans CJK JP"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    yarrow::CYarrowApp yarrowApp(yarrow::ProgramFolder());
    yarrow::CChatController chat(yarrowApp);
    yarrowApp.Start();
    if (request.mode == Mode::Join || request.mode == Mode::Host) {
        chat.ConnectFromCommandLine(request);
    }
    return app.exec();
}
