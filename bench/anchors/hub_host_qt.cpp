// The hub as a hosting window runs it: the Qt network adapter on the event
// loop of a QApplication that shows an idle window, for relaybench to measure
// beside yarrow-hub.
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

#include "net/qt/CQtHubNetwork.h"

namespace {
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
    yarrow::CQtHubNetwork network;
    if (!network.Hub().ConnectSocket(port))
        return 1;
    std::printf("listening on port %d\n", network.Port());
    std::fflush(stdout);
    QSocketNotifier notifier(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QApplication::quit);
    return app.exec();
}
