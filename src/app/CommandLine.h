#pragma once
// Joining or hosting straight from the command line, for desktop shortcuts,
// scripts and tests:
//   yarrow --connect HOST[:PORT] --name NAME   joins a hub as a client
//   yarrow --serve [PORT] --name NAME          hosts a hub and joins it
//   yarrow yarrow://HOST[:PORT]/?name=NAME     a join link, as --connect
// These skip the connect dialog and otherwise behave like its OK with the
// settings file's defaults; a join link without a name opens the connect
// dialog filled in with its hub instead. Only the parsing lives here; main()
// acts on it.

#include <optional>
#include <string>
#include <vector>

namespace yarrow {

struct CommandLineRequest {
    enum class Mode {
        Interactive,  // no options: start as usual
        Join,         // --connect
        Host,         // --serve
        JoinDialog,   // a join link without a name: the connect dialog, filled in
        BadLink,      // a join link that cannot be used: `error` says why, no connection
        Help,         // --help: print the usage, exit 0
        Version,      // --version: print the version, exit 0
        Error,        // print `error` and the usage, exit non-zero
    };
    Mode mode = Mode::Interactive;
    std::string host;         // Join, JoinDialog: the hub's address as given
    std::optional<int> port;  // not given: the settings file's PortNum
    std::string name;         // code page 932, as the session sends it
    std::string error;        // Error: what was wrong, one line; BadLink: a
                              // message for the user (UTF-8, Japanese)
};

// A join link "yarrow://HOST[:PORT]/?name=NAME", the address a host pastes
// into a chat. The scheme is matched in any letter case; HOST is a name or
// IPv4 address, or an IPv6 address in brackets; without PORT the settings
// file's port is used. The query's "name" is percent-encoded UTF-8 ("+" is a
// space); other query keys and a "#..." tail are ignored so that later links
// still open. A link from a chat is anybody's text, so everything else
// (user names, paths, control characters, bad escapes, a name Yarrow cannot
// send) makes the link unusable rather than guessed at.
struct JoinLink {
    bool ok = false;
    std::string host;
    std::optional<int> port;
    std::string name;   // code page 932; empty: not given
    std::string error;  // !ok: why, for the user (UTF-8, Japanese)
};
JoinLink ParseJoinLink(const std::string& link);

// Whether a command-line word is meant as a join link ("yarrow:...").
bool IsJoinLink(const std::string& word);

// `args` are the program's arguments after the program name, in UTF-8.
CommandLineRequest ParseCommandLine(const std::vector<std::string>& args);

// "usage: yarrow [--connect HOST[:PORT] | --serve [PORT]] --name NAME" and the
// other forms, one per line, without a final line break.
std::string CommandLineUsage();

// The --help text: the usage and what each option does.
std::string CommandLineHelp();

// The exit status for a bad command line.
inline constexpr int kCommandLineErrorExit = 2;

}  // namespace yarrow
