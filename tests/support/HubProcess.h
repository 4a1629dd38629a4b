#pragma once
// yarrow-hub as a process for tests: the one built beside them.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace yarrow::test {

inline const QString kHubProgram = QStringLiteral(YARROW_BIN_DIR "/yarrow-hub");

// Starts the hub on `port` (0: a free one) with its folder `home` and `args`,
// and returns the port it listens on, read from its first line of output
// (0 on failure).
inline int StartHubProcess(QProcess& hub, const QString& home, const QStringList& args = {},
                           int port = 0) {
    hub.start(kHubProgram, QStringList{"--port", QString::number(port), "--home", home} + args);
    if (!hub.waitForStarted(10000))
        return 0;
    QString line;
    for (int i = 0; i < 100 && !line.contains('\n'); ++i) {
        hub.waitForReadyRead(100);
        line += QString::fromUtf8(hub.readAllStandardOutput());
    }
    const auto match = QRegularExpression("port (\\d+)").match(line);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

}  // namespace yarrow::test
