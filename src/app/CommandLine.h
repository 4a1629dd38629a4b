#pragma once
// Joining or hosting straight from the command line, for desktop shortcuts,
// scripts and tests:
//   yarrow --connect HOST[:PORT] --name NAME   joins a hub as a client
//   yarrow --serve [PORT] --name NAME          hosts a hub and joins it
// Both skip the connect dialog and otherwise behave like its OK with the
// settings file's defaults. Only the parsing lives here; main() acts on it.

#include <optional>
#include <string>
#include <vector>

namespace yarrow {

struct CommandLineRequest {
    enum class Mode {
        Interactive,  // no options: start as usual
        Join,         // --connect
        Host,         // --serve
        Help,         // --help: print the usage, exit 0
        Error,        // print `error` and the usage, exit non-zero
    };
    Mode mode = Mode::Interactive;
    std::string host;         // Join: the hub's address as given
    std::optional<int> port;  // not given: the settings file's PortNum
    std::string name;         // code page 932, as the session sends it
    std::string error;        // Error: what was wrong, one line
};

// `args` are the program's arguments after the program name, in UTF-8.
CommandLineRequest ParseCommandLine(const std::vector<std::string>& args);

// "usage: yarrow [--connect HOST[:PORT] | --serve [PORT]] --name NAME"
std::string CommandLineUsage();

// The exit status for a bad command line.
inline constexpr int kCommandLineErrorExit = 2;

}  // namespace yarrow
