// yarrow-hub: the hub without a window, for hosting on a server and for tests.
//
//   yarrow-hub [--port N] [--home DIR] [--no-table-memory]
//              [--max-peers N] [--max-per-address N]
//   yarrow-hub --help | --version
//
// Reads the deck sets from Deck.ini in the program folder (DIR with --home),
// or from the installed data when the program folder has none. A newcomer
// receives the chart, the chart lock and the maps as the table has them,
// unless --no-table-memory is given.
// Prints one line to standard output once it listens (with the actual port,
// so --port 0 picks a free one), writes connection events to standard error,
// and on SIGINT or SIGTERM sends every participant the shutdown notice and
// exits 0.

#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "cards/CHubCardState.h"
#include "chat/CHubPastLogFeeder.h"
#include "dice/CMersenneTwister.h"
#include "net/posix/CEpollHubNetwork.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/ProgramFolder.h"

using namespace yarrow;

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop does the rest.
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &byte, 1);
}

struct Options {
    int port = 15000;
    std::optional<std::string> home;
    bool help = false;
    bool version = false;
    bool tableMemory = true;
    // Connections kept at once, in all and from one address (0: no limit).
    int maxPeers = 0;
    int maxPerAddress = 0;
};

constexpr const char* kUsage =
    "usage: yarrow-hub [--port N] [--home DIR] [--no-table-memory]\n"
    "                  [--max-peers N] [--max-per-address N]\n"
    "       yarrow-hub --help | --version\n";

constexpr const char* kHelp =
    "\nThe Yarrow hub without a window, for hosting on a server: players join it\n"
    "with yarrow --connect HOST:PORT or a yarrow://HOST:PORT/ link.\n\n"
    "  --port N     listen on port N (default 15000; 0 picks a free port)\n"
    "  --home DIR   read Deck.ini from DIR (as YARROW_HOME=DIR does)\n"
    "  --no-table-memory\n"
    "               do not send newcomers the chart and maps already on the table\n"
    "  --max-peers N, --max-per-address N\n"
    "               close at once a connection beyond N in all, or from one\n"
    "               address (default 0: no limit)\n"
    "  --help       show this text and exit\n"
    "  --version    show the version and exit\n\n"
    "Without Deck.ini in its folder the hub uses the installed one. It prints one\n"
    "line once it listens, connection events to standard error, and ends on\n"
    "SIGINT or SIGTERM after telling every member.\n";

// The options, or what is wrong with them in `error`.
std::optional<Options> ParseArguments(int argc, char** argv, std::string& error) {
    Options options;
    // A whole number in [0, most] from an option's value.
    const auto number = [&error](const std::string& option, const std::string& value, long most,
                                 int& into) {
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || n < 0 || n > most) {
            error = option + " wants a whole number from 0 to " + std::to_string(most) + ", not '" +
                    value + "'";
            return false;
        }
        into = static_cast<int>(n);
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> attached;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            attached = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const bool takesValue = arg == "--port" || arg == "--home" || arg == "--max-peers" ||
                                arg == "--max-per-address";
        if (takesValue && !attached && i + 1 >= argc) {
            error = arg + " wants a value";
            return std::nullopt;
        }
        const std::string value = !takesValue ? "" : attached ? *attached : argv[++i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        } else if (arg == "--version") {
            options.version = true;
            return options;
        } else if (arg == "--port") {
            if (!number(arg, value, 65535, options.port))
                return std::nullopt;
        } else if (arg == "--home") {
            options.home = value;
        } else if (arg == "--no-table-memory" && !attached) {
            options.tableMemory = false;
        } else if (arg == "--max-peers" || arg == "--max-per-address") {
            if (!number(arg, value, 1000000,
                        arg == "--max-peers" ? options.maxPeers : options.maxPerAddress))
                return std::nullopt;
        } else {
            error = "unknown option " + std::string(argv[i]);
            return std::nullopt;
        }
    }
    return options;
}

void PrintError(const std::string& cp932) {
    std::fprintf(stderr, "%s\n", Cp932ToUtf8(cp932).text.c_str());
    std::fflush(stderr);
}

// Failures go to standard error. With no operator window there is no member
// to send the member list reset, so the hub sends it itself: every live
// participant re-announces and a vanished one drops out of the list.
class CConsoleOwner : public IHubOwner {
  public:
    CConsoleOwner(CYarrowServ& hub, CEpollLoop& loop) : hub_(hub), loop_(loop) {}
    void AppendNoticeLine(const std::string& text) override { PrintError(text); }
    void RunMemberListCommand() override {
        loop_.Post([this] {
            if (!hub_.Serving())
                return;
            CMsg reset;
            reset.Type = ResetMembers;
            hub_.RelayGenerated(reset);
        });
    }

  private:
    CYarrowServ& hub_;
    CEpollLoop& loop_;
};

// Calls `handler` when `fd` becomes readable.
class CReadWatcher : public CEpollLoop::IHandler {
  public:
    explicit CReadWatcher(std::function<void()> handler) : handler_(std::move(handler)) {}
    void OnEvents(std::uint32_t) override { handler_(); }

  private:
    std::function<void()> handler_;
};

// The prompter of a program without windows: the text goes to standard error.
class CConsolePrompter : public IPrompter {
  public:
    PromptAnswer Ask(const std::string& text, const std::string&, PromptIcon,
                     PromptButtons) override {
        PrintError(text);
        return PromptAnswer::Ok;
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::string argumentError;
    const std::optional<Options> options = ParseArguments(argc, argv, argumentError);
    if (!options) {
        std::fprintf(stderr, "yarrow-hub: %s\n%s", argumentError.c_str(), kUsage);
        return 2;
    }
    if (options->help) {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
    }
    if (options->version) {
        std::printf("yarrow-hub (Yarrow %s) %s\n", YARROW_VERSION_TEXT, YARROW_PACKAGE_VERSION);
        return 0;
    }
    if (options->home)
        ::setenv("YARROW_HOME", options->home->c_str(), 1);

    CEpollLoop loop;
    if (std::string error; !loop.Ok(&error)) {
        std::fprintf(stderr, "yarrow-hub: %s\n", error.c_str());
        return 1;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        std::perror("yarrow-hub: socketpair");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Declared before the network: the hub refers to the cards until it is gone.
    CSystemClock clock;
    CHubCardState cards(CMersenneTwister::Process(), clock);
    const std::string deckFile = DataFilePath(CurrentProgramFolders(), "Deck.ini");
    if (cards.Load(deckFile)) {
        std::fprintf(stderr, "deck %s with %d cards\n",
                     Cp932ToUtf8(cards.Box().CurrentDeckName()).text.c_str(),
                     cards.Box().Remaining());
    } else {
        std::fprintf(stderr, "no usable deck set in %s: running without a deck\n",
                     deckFile.c_str());
    }
    std::fflush(stderr);

    CConsolePrompter prompter;
    CEpollHubNetwork network(loop, &prompter, nullptr);
    CYarrowServ& hub = network.Hub();
    CConsoleOwner owner(hub, loop);
    hub.SetOwner(&owner);
    hub.SetCardState(&cards);
    hub.SetTableMemory(options->tableMemory);
    hub.SetRelayObserver([&hub](const CMsg& relayed) {
        if (auto line = CHubPastLogFeeder::LineFor(relayed, hub.Members()))
            hub.AddPastLog(*line);
        if ((relayed.Type == CnctReply && !relayed.Text.empty()) || relayed.Type == Disconnect) {
            std::fprintf(stderr, "member %d %s\n", relayed.ID,
                         relayed.Type == Disconnect ? "left" : "joined");
            std::fflush(stderr);
        }
    });
    network.SetPeerLimits(options->maxPeers, options->maxPerAddress,
                          [](const std::string& peer, const std::string& why) {
                              std::fprintf(stderr, "refused %s: %s\n", peer.c_str(), why.c_str());
                              std::fflush(stderr);
                          });
    network.OnAccepted([](int id, const std::string& peer) {
        std::fprintf(stderr, "accepted %s as member %d\n", peer.c_str(), id);
        std::fflush(stderr);
    });

    if (!hub.ConnectSocket(options->port))
        return 1;
    std::printf("yarrow-hub listening on port %d\n", network.Port());
    std::fflush(stdout);

    CReadWatcher signalWatcher([&] {
        char byte;
        [[maybe_unused]] auto n = ::read(g_signalPipe[0], &byte, 1);
        loop.Unwatch(g_signalPipe[0], &signalWatcher);
        std::fprintf(stderr, "shutting down\n");
        std::fflush(stderr);
        hub.Disconnection();
        if (network.LiveConnections() == 0) {
            loop.Quit();
            return;
        }
        // Give the participants a moment to take the shutdown notice.
        network.OnDrained([&loop] { loop.Quit(); });
        loop.AddTimer(std::chrono::milliseconds(3000), [&loop] { loop.Quit(); });
    });
    loop.Watch(g_signalPipe[0], EPOLLIN, &signalWatcher);

    loop.Run();
    return 0;
}
