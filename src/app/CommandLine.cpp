#include "app/CommandLine.h"

#include <cctype>
#include <charconv>

#include "platform/Cp932.h"
#include "platform/SjisText.h"

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

// A link from a chat longer than this is not a join link.
constexpr std::size_t kMaxLinkBytes = 2048;

bool LowerEquals(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i])
            return false;
    }
    return true;
}

// Percent-decoding with "+" as a space; nullopt for a broken escape.
std::optional<std::string> FormDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] != '%') {
            out += text[i];
        } else {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return out;
}

bool IsHostNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool IsIpv6Char(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

JoinLink LinkError(const std::string& link, const char* reason) {
    JoinLink result;
    std::string shown = link.size() > 200 ? link.substr(0, 200) + "..." : link;
    result.error = "参加リンクを開けません。\n" + shown + "\n" + reason;
    return result;
}

}  // namespace

bool IsJoinLink(const std::string& word) {
    const auto colon = word.find(':');
    return colon != std::string::npos &&
           LowerEquals(std::string_view(word).substr(0, colon), "yarrow");
}

JoinLink ParseJoinLink(const std::string& link) {
    constexpr const char* kShape = "yarrow://ホスト:ポート/?name=名前 の形のリンクではありません。";
    if (link.size() > kMaxLinkBytes)
        return LinkError(link.substr(0, 200), "リンクが長すぎます。");
    const auto colon = link.find(':');
    if (!IsJoinLink(link) || link.compare(colon + 1, 2, "//") != 0)
        return LinkError(link, kShape);
    for (char c : link) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return LinkError(link, "リンクに空白や制御文字が含まれています。");
    }
    std::string_view rest = std::string_view(link).substr(colon + 3);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos)
        rest = rest.substr(0, hash);
    std::string_view query;
    if (const auto question = rest.find('?'); question != std::string_view::npos) {
        query = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    std::string_view authority = rest;
    std::string_view path;
    if (const auto slash = rest.find('/'); slash != std::string_view::npos) {
        authority = rest.substr(0, slash);
        path = rest.substr(slash);
    }
    if (!path.empty() && path != "/")
        return LinkError(link, kShape);
    if (authority.find('@') != std::string_view::npos)
        return LinkError(link, "ユーザー名の付いたアドレスには対応していません。");

    JoinLink result;
    std::string_view host = authority;
    std::optional<std::string_view> port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos)
            return LinkError(link, "IPv6 アドレスの ']' がありません。");
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return LinkError(link, kShape);
        if (!after.empty())
            port = after.substr(1);
        for (char c : host) {
            if (!IsIpv6Char(c))
                return LinkError(link, "ホストのアドレスに使えない文字があります。");
        }
    } else {
        if (const auto at = authority.find(':'); at != std::string_view::npos) {
            host = authority.substr(0, at);
            port = authority.substr(at + 1);
        }
        for (char c : host) {
            if (!IsHostNameChar(c))
                return LinkError(link, "ホスト名に使えない文字があります。");
        }
    }
    if (host.empty())
        return LinkError(link, "ホスト名がありません。");
    result.host = std::string(host);
    if (port && !port->empty()) {
        result.port = ParsePort(std::string(*port));
        if (!result.port)
            return LinkError(link, "ポート番号は 1 から 65535 の数です。");
    }

    bool named = false;
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const auto eq = pair.find('=');
        if (pair.substr(0, eq) != "name")
            continue;
        if (named)
            return LinkError(link, "名前が二つ書かれています。");
        named = true;
        const auto decoded =
            FormDecode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
        if (!decoded)
            return LinkError(link, "名前の % の書き方が正しくありません。");
        for (char c : *decoded) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return LinkError(link, "名前に制御文字が含まれています。");
        }
        if (decoded->find_first_not_of(' ') == std::string::npos)
            continue;  // an empty name: the dialog asks for one
        const Cp932Conversion converted = Utf8ToCp932(*decoded);
        if (converted.replaced)
            return LinkError(link, "名前に Yarrow で送れない文字が含まれています。");
        if (converted.text.size() > kMaxNameBytes)
            return LinkError(link, "名前が長すぎます。");
        result.name = converted.text;
    }
    result.ok = true;
    return result;
}

std::string CommandLineUsage() {
    return "usage: yarrow [--connect HOST[:PORT] | --serve [PORT]] --name NAME\n"
           "       yarrow yarrow://HOST[:PORT]/[?name=NAME]\n"
           "       yarrow --help | --version";
}

std::string CommandLineHelp() {
    return CommandLineUsage() +
           "\n\n"
           "Yarrow: chat, dice, chart, maps and cards for tabletop role-playing games over a\n"
           "network.\n\n"
           "  --connect HOST[:PORT]  join the hub at HOST (without PORT: the settings' port)\n"
           "  --serve [PORT]         host a hub and join it\n"
           "  --name NAME            the handle name to join with\n"
           "  yarrow://HOST[:PORT]/?name=NAME\n"
           "                         a join link: joins like --connect and --name; without\n"
           "                         a name the connect dialog opens, filled in\n"
           "  --help                 show this text and exit\n"
           "  --version              show the version and exit\n"
           "Qt's own options (-platform, -style, ...) are passed on to Qt.\n\n"
           "Files: settings, logs and data live in the program folder: the executable's\n"
           "folder when it holds the data files, else $XDG_DATA_HOME/yarrow\n"
           "(~/.local/share/yarrow), which the first start fills. YARROW_HOME=DIR uses DIR,\n"
           "filled the same way.";
}

CommandLineRequest ParseCommandLine(const std::vector<std::string>& args) {
    CommandLineRequest request;
    std::optional<std::string> name;
    bool join = false;
    bool host = false;
    std::optional<JoinLink> link;

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
        } else if (option == "--version") {
            request.mode = CommandLineRequest::Mode::Version;
            return request;
        } else if (!IsOption(option) && IsJoinLink(option)) {
            if (join || host)
                return Fail("a join link goes without --connect and --serve");
            join = true;
            link = ParseJoinLink(option);
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
    if (link) {
        if (name && link->ok && !link->name.empty())
            return Fail("the join link has a name already; leave out --name");
        if (!link->ok) {
            request.mode = CommandLineRequest::Mode::BadLink;
            request.error = link->error;
            return request;
        }
        request.host = link->host;
        request.port = link->port;
        request.name = link->name;
        if (name) {
            // --name completes a link without a name; it is checked below.
        } else if (request.name.empty()) {
            request.mode = CommandLineRequest::Mode::JoinDialog;
            return request;
        } else {
            request.mode = CommandLineRequest::Mode::Join;
            return request;
        }
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
