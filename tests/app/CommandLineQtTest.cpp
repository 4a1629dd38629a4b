// Joining and hosting from the command line: what is accepted, what is
// refused with a usage line.

#include <QtTest>

#include "app/CommandLine.h"
#include "platform/Cp932.h"

using namespace yarrow;
using Mode = CommandLineRequest::Mode;

class CommandLineQtTest : public QObject {
    Q_OBJECT

    static CommandLineRequest Parse(std::vector<std::string> args) {
        return ParseCommandLine(args);
    }

  private slots:
    void noOptionsStartsAsUsual() { QCOMPARE(Parse({}).mode, Mode::Interactive); }

    void connectWithAndWithoutPort() {
        auto r = Parse({"--connect", "example.org:16000", "--name", "Alice"});
        QCOMPARE(r.mode, Mode::Join);
        QCOMPARE(r.host, std::string("example.org"));
        QCOMPARE(r.port, std::optional<int>(16000));
        QCOMPARE(r.name, std::string("Alice"));

        r = Parse({"--name=Bob", "--connect=10.0.0.2"});
        QCOMPARE(r.mode, Mode::Join);
        QCOMPARE(r.host, std::string("10.0.0.2"));
        QVERIFY(!r.port.has_value());  // the settings file's port

        r = Parse({"--connect", "[::1]:15001", "--name", "A"});
        QCOMPARE(r.host, std::string("::1"));
        QCOMPARE(r.port, std::optional<int>(15001));
        r = Parse({"--connect", "fe80::1", "--name", "A"});
        QCOMPARE(r.host, std::string("fe80::1"));
        QVERIFY(!r.port.has_value());
    }

    void serveWithOptionalPort() {
        auto r = Parse({"--serve", "--name", "GM"});
        QCOMPARE(r.mode, Mode::Host);
        QVERIFY(!r.port.has_value());
        r = Parse({"--serve", "15002", "--name", "GM"});
        QCOMPARE(r.port, std::optional<int>(15002));
    }

    void qtOwnOptionsAreLeftToQt() {
        auto r = Parse(
            {"-platform", "offscreen", "--serve", "--style=fusion", "--name", "GM", "-reverse"});
        QCOMPARE(r.mode, Mode::Host);
        QCOMPARE(r.name, std::string("GM"));
        QVERIFY(!r.port.has_value());  // "offscreen" was not taken for a port
        QCOMPARE(Parse({"-platform", "offscreen"}).mode, Mode::Interactive);
        QCOMPARE(Parse({"--serve", "-reverse", "--name", "GM"}).mode, Mode::Host);
        QCOMPARE(Parse({"-platforms"}).mode, Mode::Error);
    }

    void nameIsSentAsCodePage932() {
        const auto r = Parse({"--serve", "--name", "ゆうき"});
        QCOMPARE(r.mode, Mode::Host);
        QCOMPARE(r.name, Sjis("ゆうき"));
    }

    void badArgumentsAreRefused_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("name only") << QStringList{"--name", "A"};
        QTest::newRow("no name") << QStringList{"--connect", "host"};
        QTest::newRow("blank name") << QStringList{"--serve", "--name", "  "};
        QTest::newRow("name missing value") << QStringList{"--serve", "--name"};
        QTest::newRow("both modes") << QStringList{"--serve", "--connect", "h", "--name", "A"};
        QTest::newRow("connect twice")
            << QStringList{"--connect", "h", "--connect", "i", "--name", "A"};
        QTest::newRow("connect without host") << QStringList{"--connect", "--name", "A"};
        QTest::newRow("empty host") << QStringList{"--connect", ":15000", "--name", "A"};
        QTest::newRow("port zero") << QStringList{"--serve", "0", "--name", "A"};
        QTest::newRow("port too big") << QStringList{"--connect", "h:65536", "--name", "A"};
        QTest::newRow("port not a number") << QStringList{"--connect", "h:15x", "--name", "A"};
        QTest::newRow("negative port") << QStringList{"--serve=-5", "--name", "A"};
        QTest::newRow("unclosed bracket") << QStringList{"--connect", "[::1", "--name", "A"};
        QTest::newRow("unknown option") << QStringList{"--serve", "--name", "A", "--fast"};
        QTest::newRow("stray word") << QStringList{"hello"};
        QTest::newRow("not sendable") << QStringList{"--serve", "--name", "A😀"};
        QTest::newRow("too long") << QStringList{"--serve", "--name", QString(256, 'n')};
    }
    void badArgumentsAreRefused() {
        QFETCH(QStringList, args);
        std::vector<std::string> argv;
        for (const QString& a : args)
            argv.push_back(a.toStdString());
        const auto r = ParseCommandLine(argv);
        QCOMPARE(r.mode, Mode::Error);
        QVERIFY(!r.error.empty());
    }

    void joinLinks_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");  // 0: not given
        QTest::addColumn<QString>("name");
        const int join = int(Mode::Join);
        const int dialog = int(Mode::JoinDialog);
        QTest::newRow("whole") << "yarrow://example.org:16000/?name=Alice" << join << "example.org"
                               << 16000 << "Alice";
        QTest::newRow("scheme in capitals, no slash")
            << "YARROW://example.org:16000?name=Bob" << join << "example.org" << 16000 << "Bob";
        QTest::newRow("IPv6 and an encoded Japanese name")
            << "yarrow://[::1]:15001/?name=%E3%82%86%E3%81%86%E3%81%8D" << join << "::1" << 15001
            << "ゆうき";
        QTest::newRow("plus is a space, other keys and a fragment ignored")
            << "yarrow://h.example:15000/?room=3&name=A+B%2B#top" << join << "h.example" << 15000
            << "A B+";
        QTest::newRow("no name: the dialog")
            << "yarrow://10.0.0.2/" << dialog << "10.0.0.2" << 0 << "";
        QTest::newRow("empty name: the dialog")
            << "yarrow://h:15000/?name=" << dialog << "h" << 15000 << "";
        QTest::newRow("empty port: the settings' port")
            << "yarrow://h:/?name=A" << join << "h" << 0 << "A";

        const int bad = int(Mode::BadLink);
        for (const char* link :
             {"yarrow:h:15000", "yarrow://", "yarrow://:15000/", "yarrow://h:0/",
              "yarrow://h:65536/", "yarrow://h:1x/", "yarrow://user@h:15000/",
              "yarrow://h:15000/room", "yarrow://h:15000/?name=%E3%8", "yarrow://h/?name=%zz",
              "yarrow://h/?name=a%0Ab", "yarrow://h/?name=%F0%9F%98%80",
              "yarrow://h/?name=a&name=b", "yarrow://ho st/", "yarrow://h%41/", "yarrow://[::1/",
              "yarrow://[::1]x/", "yarrow://[::1;rm]/", "yarrow://a:b:c/"})
            QTest::newRow(link) << link << bad << "" << 0 << "";
        QTest::newRow("name too long")
            << "yarrow://h/?name=" + QString(256, 'n') << bad << "" << 0 << "";
        QTest::newRow("link too long")
            << "yarrow://h/?x=" + QString(3000, 'x') << bad << "" << 0 << "";
    }
    void joinLinks() {
        QFETCH(QString, link);
        QFETCH(int, mode);
        const auto r = Parse({link.toStdString()});
        QCOMPARE(int(r.mode), mode);
        if (r.mode == Mode::BadLink) {
            // The message names the link (shortened when long) and the reason.
            QVERIFY(r.error.find(link.left(40).toStdString()) != std::string::npos);
            QVERIFY(r.error.find('\n') != std::string::npos);
            return;
        }
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, name);
        QCOMPARE(r.host, host.toStdString());
        QCOMPARE(r.port.value_or(0), port);
        QCOMPARE(r.name, Sjis(name.toStdString()));
    }

    void joinLinksWithOtherOptions() {
        auto r = Parse({"yarrow://h:15000/", "--name", "Carol"});
        QCOMPARE(r.mode, Mode::Join);
        QCOMPARE(r.name, std::string("Carol"));
        QCOMPARE(r.port, std::optional<int>(15000));
        QCOMPARE(Parse({"-platform", "offscreen", "yarrow://h/"}).mode, Mode::JoinDialog);
        QCOMPARE(Parse({"yarrow://h/?name=A", "--name", "B"}).mode, Mode::Error);
        QCOMPARE(Parse({"yarrow://h/", "--connect", "i", "--name", "B"}).mode, Mode::Error);
        QCOMPARE(Parse({"yarrow://h/", "yarrow://i/"}).mode, Mode::Error);
        QCOMPARE(Parse({"http://h/"}).mode, Mode::Error);
    }

    void helpVersionAndUsage() {
        QCOMPARE(Parse({"--version"}).mode, Mode::Version);
        QCOMPARE(Parse({"--serve", "--version"}).mode, Mode::Version);
        QVERIFY(CommandLineHelp().rfind(CommandLineUsage(), 0) == 0);
        QVERIFY(CommandLineHelp().find("yarrow://HOST[:PORT]/?name=NAME") != std::string::npos);
        QCOMPARE(Parse({"--help"}).mode, Mode::Help);
        QVERIFY(CommandLineUsage().find("--connect HOST[:PORT]") != std::string::npos);
        QVERIFY(CommandLineUsage().find("--serve [PORT]") != std::string::npos);
    }
};

QTEST_MAIN(CommandLineQtTest)
#include "CommandLineQtTest.moc"
