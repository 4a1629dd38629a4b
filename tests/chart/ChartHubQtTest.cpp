// Two chart windows joined through a real hub on 127.0.0.1: the lock travels
// as ChartLock, the chart as Chart through the record codec, and each window
// handles what comes back the way the dispatcher hands it over.

#include <QSpinBox>
#include <QTcpSocket>
#include <QtTest>
#include <memory>
#include <vector>

#include "ChartQtFakes.h"
#include "chart/qt/CChartWindow.h"
#include "net/CMsgDecoder.h"
#include "net/qt/CQtHubNetwork.h"
#include "platform/Cp932.h"

using namespace yarrow;
using namespace yarrow::test;

namespace {

// A participant on a socket: joins with the ID the hub gives it and passes
// Chart and ChartLock records to its chart window.
class SocketHost final : public IChartHost {
  public:
    SocketHost(int port, std::string name) : name_(std::move(name)) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { OnReadyRead(); });
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    }
    bool IsConnected() const override { return id_ > 0; }
    std::int32_t MyID() const override { return id_; }
    std::string MyName() const override { return name_; }
    bool DoSerialize(CMsg& msg) override {
        socket.write(QByteArray::fromStdString(msg.Encode()));
        return true;
    }
    bool SendText(const std::string& text, std::int32_t type) override {
        CMsg msg;
        msg.ID = id_;
        msg.Text = text;
        msg.Type = type;
        return DoSerialize(msg);
    }
    bool IsAutoChartShow() const override { return false; }
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }

    CChartWindow* window = nullptr;
    QTcpSocket socket;
    std::vector<std::string> notices;
    int charts = 0;
    int locks = 0;

  private:
    void OnReadyRead() {
        const QByteArray data = socket.readAll();
        decoder_.Feed(std::string_view(data.constData(), data.size()));
        CMsg msg;
        while (decoder_.Next(msg) == CMsgDecoder::Status::Record) {
            if (msg.Type == CnctStart && id_ < 0) {
                id_ = msg.ID;
                CMsg reply;
                reply.Type = CnctReply;
                reply.ID = id_;
                reply.Text = name_;
                reply.Members.push_back({name_, id_});
                DoSerialize(reply);
            } else if (msg.Type == Chart) {
                ++charts;
                window->ReceiveChart(msg);
            } else if (msg.Type == ChartLock) {
                ++locks;
                window->ReceiveChartLock(msg);
            }
        }
    }

    std::string name_;
    std::int32_t id_ = -1;
    CMsgDecoder decoder_;
};

}  // namespace

class ChartHubQtTest : public QObject {
    Q_OBJECT
  private slots:
    void lockAndChartTravelThroughTheHub();
};

void ChartHubQtTest::lockAndChartTravelThroughTheHub() {
    CQtHubNetwork network;
    QVERIFY(network.Hub().ConnectSocket(0));
    ScriptedPrompter prompter;
    SocketHost alice(network.Port(), "Alice");
    SocketHost bob(network.Port(), Sjis("ボブ"));
    auto* aliceDialogs = new ScriptedDialogs;
    CChartWindow aliceWindow(alice, prompter, nullptr,
                             std::unique_ptr<IChartDialogs>(aliceDialogs));
    CChartWindow bobWindow(bob, prompter);
    alice.window = &aliceWindow;
    bob.window = &bobWindow;
    QTRY_VERIFY_WITH_TIMEOUT(alice.IsConnected() && bob.IsConnected(), 10000);

    // Alice edits: Bob's window locks under her name, hers does not.
    aliceDialogs->header = QStringLiteral("HP");
    aliceWindow.AddColumn();
    QTRY_COMPARE_WITH_TIMEOUT(bob.locks, 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(alice.locks, 1, 10000);  // her own echo arrives too
    QVERIFY(bobWindow.Model().Locked());
    QCOMPARE(bobWindow.windowTitle(), QStringLiteral("ロック中(Alice)"));
    QVERIFY(!aliceWindow.Model().Locked());

    // Bob edits too: Alice is locked under his name (sent as code page 932).
    bobWindow.SetChartLock(false, {});
    bobWindow.AnnounceChartLock();
    QTRY_VERIFY_WITH_TIMEOUT(aliceWindow.Model().Locked(), 10000);
    QCOMPARE(aliceWindow.windowTitle(), QStringLiteral("ロック中(ボブ)"));

    // Bob sends his chart: both windows take it and are unlocked.
    bobWindow.AddRow();
    bobWindow.NumberBox()->setValue(42);
    bobWindow.SendChart();
    QTRY_COMPARE_WITH_TIMEOUT(alice.charts, 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(bob.charts, 1, 10000);
    QVERIFY(!aliceWindow.Model().Locked());
    QCOMPARE(aliceWindow.windowTitle(), QStringLiteral("Yarrow"));
    QCOMPARE(aliceWindow.Model().ColumnCount(), 1);  // Bob never saw her column
    QCOMPARE(aliceWindow.Model().RowCount(), 2);
    QCOMPARE(aliceWindow.NumberBox()->value(), 42);
    // Both windows are hidden and auto-show is off: one notice each.
    QCOMPARE(alice.notices, std::vector<std::string>{Sjis("◇ 表に更新がありました")});
    QCOMPARE(bob.notices, std::vector<std::string>{Sjis("◇ 表に更新がありました")});

    // The largest chart crosses the hub intact.
    CMsg big;
    big.Type = Chart;
    big.ID = alice.MyID();
    big.ChartRows = 257;
    big.ChartColumns = 256;
    for (int i = 0; i < 257 * 256; ++i)
        big.Strings.push_back(std::to_string(i));
    alice.DoSerialize(big);
    QTRY_COMPARE_WITH_TIMEOUT(bob.charts, 2, 20000);
    QCOMPARE(bobWindow.Model().RowCount(), 256);
    QCOMPARE(bobWindow.Model().Cell(255, 255), std::to_string(257 * 256 - 1));
}

QTEST_MAIN(ChartHubQtTest)
#include "ChartHubQtTest.moc"
