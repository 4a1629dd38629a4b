#include <QApplication>
#include <QFont>
#include <QTimer>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/CChatController.h"
#include "app/CYarrowApp.h"
#include "app/CommandLine.h"
#include "app/Version.h"
#include "platform/ProgramFolder.h"

// The build passes the release's version text ("Ver0.54t") and the package
// version; the window shows the first, so the two must agree.
static_assert(std::string_view(yarrow::kStatusIdleText).ends_with(YARROW_VERSION_TEXT));

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const yarrow::CommandLineRequest request = yarrow::ParseCommandLine(args);
    using Mode = yarrow::CommandLineRequest::Mode;
    switch (request.mode) {
        case Mode::Help:
            std::printf("%s\n", yarrow::CommandLineHelp().c_str());
            return 0;
        case Mode::Version:
            std::printf("%s (%s)\n", yarrow::kStatusIdleText, YARROW_PACKAGE_VERSION);
            return 0;
        case Mode::Error:
            std::fprintf(stderr, "yarrow: %s\n%s\n", request.error.c_str(),
                         yarrow::CommandLineUsage().c_str());
            return yarrow::kCommandLineErrorExit;
        case Mode::BadLink:
            // The window explains it too: a link is usually clicked, not typed.
            std::fprintf(stderr, "yarrow: %s\n", request.error.c_str());
            break;
        default:
            break;
    }

    // The per-user folder of an installed program and a $YARROW_HOME folder
    // are completed from the data at every start, so a new one starts with
    // the dice tables, decks, chart and chips.
    const yarrow::ProgramFolders folders = yarrow::CurrentProgramFolders();
    const std::string folderError = yarrow::PrepareProgramFolder(folders);
    if (!folderError.empty())
        std::fprintf(stderr, "yarrow: %s\n", folderError.c_str());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Yarrow"));
    QApplication::setDesktopFileName(QStringLiteral(YARROW_DESKTOP_ID));
    // The form's usual font: a Japanese UI face at the size dialogs use.
    QFont font(QStringLiteral("Noto Sans CJK JP"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    yarrow::CYarrowApp yarrowApp(folders.programFolder);
    yarrow::CChatController chat(yarrowApp);
    yarrowApp.Start();
    if (request.mode == Mode::Join || request.mode == Mode::Host) {
        chat.ConnectFromCommandLine(request);
    } else if (request.mode == Mode::JoinDialog || request.mode == Mode::BadLink) {
        // Once the window is up, so the dialog or message box has its owner.
        QTimer::singleShot(0, &chat, [&chat, request] { chat.ConnectFromCommandLine(request); });
    }
    return app.exec();
}
