#include "app/CommandLine.h"

#include <charconv>

#include "platform/Cp932.h"

namespace yarrow {

namespace {

// The hub keeps handle names up to this many bytes.
constexpr std::size_t kMaxNameBytes = 255;

std::optional<int> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value < 1 || value > 65535)
        return std::nullopt;
    return value;
}

CommandLineRequest Fail(std::string error) {
    CommandLineRequest request;
    request.mode = CommandLineRequest::Mode::Error;
    request.error = std::move(error);
    return request;
}

bool IsOption(const std::string& arg) {
    return arg.rfind("--", 0) == 0;
}

// Qt's own options (with one dash or two) are left to QApplication, so that
// "yarrow -platform offscreen --serve --name GM" works. Returns how many
// words the option takes, 0 when it is not one of them.
std::size_t QtOptionWords(const std::string& arg) {
    static const std::string withValue[] = {
        "platform",    "platformpluginpath", "platformtheme", "plugin",       "qwindowgeometry",
        "qwindowicon", "qwindowtitle",       "session",       "style",        "stylesheet",
        "display",     "geometry",           "title",         "qmljsdebugger"};
    static const std::string flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    if (arg.size() < 2 || arg[0] != '-')
        return 0;
    std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
    const auto eq = name.find('=');
    const bool attached = eq != std::string::npos;
    if (attached)
        name.resize(eq);
    for (const auto& option : withValue)
        if (name == option)
            return attached ? 1 : 2;
    for (const auto& option : flags)
        if (name == option && !attached)
            return 1;
    return 0;
}

}  // namespace

std::string CommandLineUsage() {
    return "usage: yarrow [--connect HOST[:PORT] | --serve [PORT]] --name NAME";
}

CommandLineRequest ParseCommandLine(const std::vector<std::string>& args) {
    CommandLineRequest request;
    std::optional<std::string> name;
    bool join = false;
    bool host = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        if (const std::size_t words = QtOptionWords(args[i])) {
            i += words - 1;
            continue;
        }
        std::string option = args[i];
        std::optional<std::string> value;
        if (const auto eq = option.find('='); IsOption(option) && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option.resize(eq);
        }
        // The value of an option that needs one: attached or the next word.
        auto takeValue = [&]() -> std::optional<std::string> {
            if (value)
                return value;
            if (i + 1 < args.size() && !IsOption(args[i + 1]) && QtOptionWords(args[i + 1]) == 0)
                return args[++i];
            return std::nullopt;
        };

        if (option == "--help" || option == "-h") {
            request.mode = CommandLineRequest::Mode::Help;
            return request;
        } else if (option == "--connect") {
            if (join || host)
                return Fail("--connect and --serve may be given only once, not both");
            join = true;
            const auto address = takeValue();
            if (!address || address->empty())
                return Fail("--connect needs HOST[:PORT]");
            std::string hostPart = *address;
            std::optional<std::string> portPart;
            if (hostPart.front() == '[') {
                // [IPv6 address] with an optional :PORT after the bracket.
                const auto close = hostPart.find(']');
                if (close == std::string::npos)
                    return Fail("missing ']' in " + *address);
                const std::string rest = hostPart.substr(close + 1);
                hostPart = hostPart.substr(1, close - 1);
                if (!rest.empty()) {
                    if (rest.front() != ':')
                        return Fail("bad address " + *address);
                    portPart = rest.substr(1);
                }
            } else if (const auto colon = hostPart.find(':');
                       colon != std::string::npos &&
                       hostPart.find(':', colon + 1) == std::string::npos) {
                // One colon separates the port; more are a bare IPv6 address.
                portPart = hostPart.substr(colon + 1);
                hostPart.resize(colon);
            }
            if (hostPart.empty())
                return Fail("--connect needs a host name or address");
            request.host = hostPart;
            if (portPart) {
                request.port = ParsePort(*portPart);
                if (!request.port)
                    return Fail("bad port '" + *portPart + "' (1 to 65535)");
            }
        } else if (option == "--serve") {
            if (join || host)
                return Fail("--connect and --serve may be given only once, not both");
            host = true;
            const auto port = takeValue();
            if (port) {
                request.port = ParsePort(*port);
                if (!request.port)
                    return Fail("bad port '" + *port + "' (1 to 65535)");
            }
        } else if (option == "--name") {
            if (name)
                return Fail("--name may be given only once");
            const auto given = takeValue();
            if (!given)
                return Fail("--name needs a handle name");
            name = *given;
        } else {
            return Fail("unknown argument '" + args[i] + "'");
        }
    }

    if (!join && !host) {
        if (name)
            return Fail("--name goes with --connect or --serve");
        return request;
    }
    if (!name || name->find_first_not_of(" \t") == std::string::npos)
        return Fail("--connect and --serve need --name NAME");
    const Cp932Conversion converted = Utf8ToCp932(*name);
    if (converted.replaced)
        return Fail("the name has characters that Yarrow cannot send");
    if (converted.text.size() > kMaxNameBytes)
        return Fail("the name is too long");
    request.name = converted.text;
    request.mode = join ? CommandLineRequest::Mode::Join : CommandLineRequest::Mode::Host;
    return request;
}

}  // namespace yarrow
