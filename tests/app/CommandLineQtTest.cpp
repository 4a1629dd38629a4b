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

    void helpAndUsage() {
        QCOMPARE(Parse({"--help"}).mode, Mode::Help);
        QVERIFY(CommandLineUsage().find("--connect HOST[:PORT]") != std::string::npos);
        QVERIFY(CommandLineUsage().find("--serve [PORT]") != std::string::npos);
    }
};

QTEST_MAIN(CommandLineQtTest)
#include "CommandLineQtTest.moc"
