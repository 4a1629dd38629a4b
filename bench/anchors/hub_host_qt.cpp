// The hub as a hosting window runs it (COwnedHub: the epoll network on a
// thread of its own, reporting to the window's thread) beside a QApplication
// that shows an idle window, for relaybench to measure beside yarrow-hub.
//
//   hub_host_qt --port N
//
// Prints "listening on port N" once it listens; SIGTERM or SIGINT ends it.

#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QLabel>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "net/IHubCardState.h"
#include "net/qt/COwnedHub.h"
#include "platform/IPrompter.h"

namespace {
// The window's side, as quiet as an idle window.
class CQuiet : public yarrow::IHubOwner, public yarrow::IPrompter, public yarrow::ISound {
  public:
    void AppendNoticeLine(const std::string&) override {}
    void RunMemberListCommand() override {}
    yarrow::PromptAnswer Ask(const std::string& text, const std::string&, yarrow::PromptIcon,
                             yarrow::PromptButtons) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return yarrow::PromptAnswer::Ok;
    }
    void Tone(int, int) override {}
    void ErrorBeep() override {}
};

int g_pipe[2] = {-1, -1};
void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(g_pipe[1], &byte, 1);
}
}  // namespace

int main(int argc, char** argv) {
    int port = 15000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0)
            port = std::atoi(argv[i + 1]);
    }
    QApplication app(argc, argv);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return 1;
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    QLabel window("hub host");
    window.show();
    CQuiet quiet;
    yarrow::COwnedHub hub(quiet, quiet, quiet, nullptr);
    if (!hub.ConnectSocket(port))
        return 1;
    std::printf("listening on port %d\n", hub.ListeningPort());
    std::fflush(stdout);
    QSocketNotifier notifier(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QApplication::quit);
    return app.exec();
}
