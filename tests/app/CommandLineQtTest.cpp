// Joining and hosting from the command line: what is accepted, what is
// refused with a usage line.

#include <QtTest>

#include "app/CommandLine.h"
#include "platform/Cp932.h"

using namespace yarrow;
using Mode = CommandLineRequest::Mode;

class CommandLineQtTest : public QObject {
    Q_OBJECT

  private slots:
    static std::vector<std::string> Argv(const QStringList& args) {
        std::vector<std::string> argv;
        for (const QString& a : args)
            argv.push_back(a.toStdString());
        return argv;
    }

    void accepted_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("host");  // checked when joining
        QTest::addColumn<int>("port");      // 0: the settings file's port
        QTest::addColumn<QString>("name");
        const int join = int(Mode::Join), host = int(Mode::Host);
        QTest::newRow("nothing") << QStringList{} << int(Mode::Interactive) << "" << 0 << "";
        QTest::newRow("connect with port")
            << QStringList{"--connect", "example.org:16000", "--name", "Alice"} << join
            << "example.org" << 16000 << "Alice";
        QTest::newRow("equals, no port")
            << QStringList{"--name=Bob", "--connect=10.0.0.2"} << join << "10.0.0.2" << 0 << "Bob";
        QTest::newRow("IPv6 with port") << QStringList{"--connect", "[::1]:15001", "--name", "A"}
                                        << join << "::1" << 15001 << "A";
        QTest::newRow("IPv6 without port")
            << QStringList{"--connect", "fe80::1", "--name", "A"} << join << "fe80::1" << 0 << "A";
        QTest::newRow("serve") << QStringList{"--serve", "--name", "GM"} << host << "" << 0 << "GM";
        QTest::newRow("serve on a port")
            << QStringList{"--serve", "15002", "--name", "GM"} << host << "" << 15002 << "GM";
        // Qt's own options are left to Qt ("offscreen" is no port).
        QTest::newRow("Qt options")
            << QStringList{"-platform", "offscreen", "--serve", "--style=fusion",
                           "--name",    "GM",        "-reverse"}
            << host << "" << 0 << "GM";
        QTest::newRow("Qt options only")
            << QStringList{"-platform", "offscreen"} << int(Mode::Interactive) << "" << 0 << "";
        QTest::newRow("Japanese name, sent as code page 932")
            << QStringList{"--serve", "--name", "ゆうき"} << host << "" << 0 << "ゆうき";
        QTest::newRow("link and name") << QStringList{"yarrow://h:15000/", "--name", "Carol"}
                                       << join << "h" << 15000 << "Carol";
        QTest::newRow("Qt options and link") << QStringList{"-platform", "offscreen", "yarrow://h/"}
                                             << int(Mode::JoinDialog) << "h" << 0 << "";
        QTest::newRow("version") << QStringList{"--serve", "--version"} << int(Mode::Version) << ""
                                 << 0 << "";
        QTest::newRow("help") << QStringList{"--help"} << int(Mode::Help) << "" << 0 << "";
    }
    void accepted() {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, name);
        const auto r = ParseCommandLine(Argv(args));
        QCOMPARE(int(r.mode), mode);
        if (r.mode == Mode::Join || r.mode == Mode::JoinDialog)
            QCOMPARE(r.host, host.toStdString());
        QCOMPARE(r.port.value_or(0), port);
        QCOMPARE(r.name, Sjis(name.toStdString()));
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
        QTest::newRow("Qt-like unknown") << QStringList{"-platforms"};
        QTest::newRow("link and its name twice")
            << QStringList{"yarrow://h/?name=A", "--name", "B"};
        QTest::newRow("link and connect")
            << QStringList{"yarrow://h/", "--connect", "i", "--name", "B"};
        QTest::newRow("two links") << QStringList{"yarrow://h/", "yarrow://i/"};
        QTest::newRow("other scheme") << QStringList{"http://h/"};
    }
    void badArgumentsAreRefused() {
        QFETCH(QStringList, args);
        const auto r = ParseCommandLine(Argv(args));
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
        const auto r = ParseCommandLine({link.toStdString()});
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
};

QTEST_MAIN(CommandLineQtTest)
#include "CommandLineQtTest.moc"
