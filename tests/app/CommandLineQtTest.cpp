// Joining and hosting from the command line and from join links: what is
// accepted, what is refused with a usage line, and what a bad link tells.

#include <QtTest>
#include <map>

#include "app/CommandLine.h"
#include "platform/Cp932.h"

using namespace yarrow;
using Mode = CommandLineRequest::Mode;

namespace {

// What a parse came to, in one line: "mode host:port name", the port 0 for
// the settings file's, the host only when joining, the name in UTF-8; a
// refusal as "error" or "bad-link", when it says why (a bad link names the
// link, shortened when long, and gives its reason on a line of its own).
QString Outcome(const std::vector<std::string>& args) {
    const CommandLineRequest r = ParseCommandLine(args);
    static const std::map<Mode, std::string> modes{
        {Mode::Interactive, "start"}, {Mode::Join, "join"},        {Mode::Host, "host"},
        {Mode::JoinDialog, "dialog"}, {Mode::BadLink, "bad-link"}, {Mode::Help, "help"},
        {Mode::Version, "version"},   {Mode::Error, "error"}};
    if (r.mode == Mode::Error || r.mode == Mode::BadLink) {
        const bool says = r.mode == Mode::Error
                              ? !r.error.empty()
                              : r.error.find(args[0].substr(0, 40)) != r.error.npos &&
                                    r.error.find('\n') != r.error.npos;
        return QString::fromStdString(modes.at(r.mode) + (says ? "" : " without why"));
    }
    const bool joins = r.mode == Mode::Join || r.mode == Mode::JoinDialog;
    return QString::fromStdString(modes.at(r.mode) + " " + (joins ? r.host : "") + ":" +
                                  std::to_string(r.port.value_or(0)) + " " +
                                  Cp932ToUtf8(r.name).text);
}

}  // namespace

class CommandLineQtTest : public QObject {
    Q_OBJECT

  private slots:
    void argumentsAndLinks() {
        const std::string longName(256, 'n');
        const struct {
            std::vector<std::string> args;
            const char* outcome;  // UTF-8
        } cases[] = {
            {{}, "start :0 "},
            {{"--connect", "example.org:16000", "--name", "Alice"}, "join example.org:16000 Alice"},
            {{"--name=Bob", "--connect=10.0.0.2"}, "join 10.0.0.2:0 Bob"},
            {{"--connect", "[::1]:15001", "--name", "A"}, "join ::1:15001 A"},
            {{"--connect", "fe80::1", "--name", "A"}, "join fe80::1:0 A"},
            {{"--serve", "--name", "GM"}, "host :0 GM"},
            {{"--serve", "15002", "--name", "ゆうき"}, "host :15002 ゆうき"},
            // Qt's own options are left to Qt ("offscreen" is no port).
            {{"-platform", "offscreen", "--serve", "--style=fusion", "--name", "GM", "-reverse"},
             "host :0 GM"},
            {{"yarrow://h:15000/", "--name", "Carol"}, "join h:15000 Carol"},
            {{"--serve", "--version"}, "version :0 "},
            {{"--help"}, "help :0 "},
            {{"YARROW://example.org:16000?name=Bob"}, "join example.org:16000 Bob"},
            {{"yarrow://[::1]:15001/?name=%E3%82%86%E3%81%86%E3%81%8D"}, "join ::1:15001 ゆうき"},
            {{"yarrow://h.example:15000/?room=3&name=A+B%2B#top"}, "join h.example:15000 A B+"},
            {{"yarrow://10.0.0.2/"}, "dialog 10.0.0.2:0 "},
            {{"yarrow://h:15000/?name="}, "dialog h:15000 "},
            {{"yarrow://h:/?name=A"}, "join h:0 A"},
        };
        for (const auto& c : cases)
            QCOMPARE(Outcome(c.args), QString::fromUtf8(c.outcome));

        // Refused with a usage line.
        std::vector<std::vector<std::string>> refused{{"--serve", "--name", "  "},
                                                      {"--serve", "--name", longName}};
        for (const char* line :
             {"--name A", "--connect host", "--serve --name", "--serve --connect h --name A",
              "--connect h --connect i --name A", "--connect --name A", "--connect :15000 --name A",
              "--serve 0 --name A", "--connect h:65536 --name A", "--connect h:15x --name A",
              "--connect [::1 --name A", "--serve --name A --fast", "hello",
              "--serve --name A😀" /* not sendable */, "-platforms", "yarrow://h/?name=A --name B",
              "yarrow://h/ --connect i --name B", "yarrow://h/ yarrow://i/", "http://h/"}) {
            refused.emplace_back();
            for (const QString& word : QString::fromUtf8(line).split(' '))
                refused.back().push_back(word.toStdString());
        }
        for (const auto& args : refused)
            QCOMPARE(Outcome(args), QStringLiteral("error"));

        // A link from a chat is anybody's text: what is not plainly a link is
        // refused.
        std::vector<std::string> links{"yarrow://h/?name=" + longName,
                                       "yarrow://h/?x=" + std::string(3000, 'x')};
        for (const char* link :
             {"yarrow:h:15000", "yarrow://", "yarrow://:15000/", "yarrow://h:0/",
              "yarrow://user@h:15000/", "yarrow://h:15000/room", "yarrow://h:15000/?name=%E3%8",
              "yarrow://h/?name=%zz", "yarrow://h/?name=a%0Ab", "yarrow://h/?name=%F0%9F%98%80",
              "yarrow://h/?name=a&name=b", "yarrow://ho st/", "yarrow://h%41/", "yarrow://[::1/",
              "yarrow://[::1]x/", "yarrow://[::1;rm]/", "yarrow://a:b:c/"})
            links.push_back(link);
        for (const std::string& link : links)
            QCOMPARE(Outcome({link}), QStringLiteral("bad-link"));
    }
};

QTEST_MAIN(CommandLineQtTest)
#include "CommandLineQtTest.moc"
