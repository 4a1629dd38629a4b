// Chat windows (session, dispatcher and socket, without widgets) talking to a
// real hub, and to hand-written fake hubs, over 127.0.0.1.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QProgressDialog>
#include <QPushButton>

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

#include "net/CMsgDecoder.h"
#include "net/ClientSessionFakes.h"
#include "net/qt/CChatSocket.h"
#include "net/qt/CQtHubNetwork.h"

using namespace yarrow;
using namespace yarrow::test;

namespace {

// The hub a window owns, on Qt sockets.
class QtOwnedHub final : public IOwnedHub {
  public:
    bool ConnectSocket(int port) override { return network.Hub().ConnectSocket(port); }
    bool IsServing() const override { return const_cast<CQtHubNetwork&>(network).Hub().Serving(); }
    int ListeningPort() const override { return network.Port(); }
    void Disconnection() override { network.Hub().Disconnection(); }
    std::vector<std::string> DeckSetNames() const override { return {}; }
    void PurgeCardHolders(const std::vector<std::int32_t>& ids) override {
        network.Hub().PurgeCardHolders(ids);
    }
    CQtHubNetwork network;
};

class QtHubFactory final : public IHubFactory {
  public:
    std::unique_ptr<IOwnedHub> CreateHub() override { return std::make_unique<QtOwnedHub>(); }
};

// One chat window's core on a real socket.
struct QtWindow {
    CChatSocket socket;
    QtHubFactory hubs;
    ScriptedPrompter prompter;
    Recorder rec;
    FixedClock clock{1700000000};
    CClientSession session{{socket, hubs, prompter, rec, rec, rec, rec, clock, nullptr}};
    SessionPort port{session};
    FakeTimers timers;
    CDispatcher dispatcher{{&session,
                            port,
                            rec,
                            rec,
                            rec,
                            rec,
                            rec,
                            timers,
                            prompter,
                            clock,
                            [](std::function<void()> task) { task(); },
                            [this] { rec.Add("alert"); },
                            {}}};

    explicit QtWindow(std::string speakerName) {
        port.speaker = std::move(speakerName);
        socket.SetSession(&session);
        session.SetRecordHandler(&dispatcher);
    }
    bool Has(const std::string& event) const {
        return std::find(rec.events.begin(), rec.events.end(), event) != rec.events.end();
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : rec.events)
            n += e.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }
};

// A hub written by hand: greets each connection with the given record and
// keeps what the client sends.
class FakeHubServer : public QObject {
  public:
    explicit FakeHubServer(CMsg greeting, std::vector<CMsg> after = {})
        : greeting_(std::move(greeting)), after_(std::move(after)) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* peer = server_.nextPendingConnection();
            std::string bytes = greeting_.Encode();
            for (const CMsg& msg : after_)
                msg.Encode(bytes);
            peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
            connect(peer, &QTcpSocket::readyRead, this,
                    [this, peer] { received_ += peer->readAll().toStdString(); });
        });
    }
    int Port() const { return server_.serverPort(); }
    void DropAll() {
        for (QTcpSocket* peer : server_.findChildren<QTcpSocket*>())
            peer->abort();
    }
    // Every whole record the client sent so far.
    std::vector<CMsg> Received() const {
        CMsgDecoder decoder;
        decoder.Feed(received_);
        std::vector<CMsg> out;
        CMsg msg;
        while (decoder.Next(msg) == CMsgDecoder::Status::Record)
            out.push_back(msg);
        return out;
    }

  private:
    QTcpServer server_;
    CMsg greeting_;
    std::vector<CMsg> after_;
    std::string received_;
};

// A listener whose accept queue is already full: the system drops further
// connection requests, so a connect to it hangs until it is given up.
class JammedListener {
  public:
    ~JammedListener() { Stop(); }
    int Start() {
        Stop();
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return 0;
        for (int i = 0; i < 2; ++i) {
            QTcpSocket* filler = new QTcpSocket;
            filler->connectToHost(QHostAddress::LocalHost, ntohs(address.sin_port));
            filler->waitForConnected(200);
            fillers_.push_back(filler);
        }
        return ntohs(address.sin_port);
    }
    void Stop() {
        qDeleteAll(fillers_);
        fillers_.clear();
        if (listener_ >= 0)
            ::close(listener_);
        listener_ = -1;
    }

  private:
    int listener_ = -1;
    QList<QTcpSocket*> fillers_;
};

CMsg Greeting(std::int32_t protocol, std::int32_t version) {
    CMsg msg;
    msg.Type = CnctStart;
    msg.ID = 1;
    msg.Param1 = protocol;
    msg.Param2 = version;
    msg.Name = "-0001";
    return msg;
}

}  // namespace

class ClientConnectionQtTest : public QObject {
    Q_OBJECT

    // Operator A hosts; B and C join, in that order.
    std::unique_ptr<QtWindow> a, b, c;
    JammedListener jammed;

    void StartTrio() {
        a = std::make_unique<QtWindow>("A");
        b = std::make_unique<QtWindow>("Bs");
        c = std::make_unique<QtWindow>("Cs");
        QVERIFY(a->session.ConnectAndShow("A", false, "127.0.0.1", 0, 0));
        const int port = a->session.PortNum();
        QVERIFY(port > 0);
        QTRY_COMPARE(a->session.State(), SessionState::Joined);
        QVERIFY(b->session.Connect("B", true, "127.0.0.1", port));
        QTRY_COMPARE(b->session.State(), SessionState::Joined);
        QVERIFY(c->session.Connect("C", true, "127.0.0.1", port));
        QTRY_COMPARE(c->session.State(), SessionState::Joined);
        for (QtWindow* w : {a.get(), b.get(), c.get()})
            QTRY_COMPARE(w->rec.members.size(), 3u);
    }

    // Sends a plain line from `from` and waits until everybody has it, so
    // whatever was sent before it has been dispatched everywhere.
    void Settle(QtWindow& from, const std::string& marker) {
        from.session.SendChat(from.session.MyName(), marker, 0, LogBox);
        for (QtWindow* w : {a.get(), b.get(), c.get()}) {
            const std::string line = "chat 3 " + from.session.MyName() + "|" + marker + "|0";
            QTRY_VERIFY(w->Has(line));
        }
    }

  private slots:
    void cleanup() {
        jammed.Stop();
        c.reset();
        b.reset();
        a.reset();
    }

    void joinOrderAndMemberLists() {
        StartTrio();
        QCOMPARE(a->session.MyID(), 1);
        QCOMPARE(b->session.MyID(), 2);
        QCOMPARE(c->session.MyID(), 3);
        const std::vector<CMember> expected = {{"A", 1}, {"B", 2}, {"C", 3}};
        for (QtWindow* w : {a.get(), b.get(), c.get()})
            QCOMPARE(w->rec.members, expected);
        // A saw every join notice, C only its own.
        QCOMPARE(a->Count("notice " + Sjis("<CR><b>◎ ")), 3);
        QCOMPARE(c->Count("notice " + Sjis("<CR><b>◎ ")), 1);
        QVERIFY(c->Has("notice " + Sjis("<CR><b>◎ C が接続しました</b><CR>")));
    }

    void whisperHiddenRollAndCallReachOnlyTheirPeople() {
        StartTrio();
        CMsg whisper;
        whisper.Type = Secret;
        whisper.Name = "B";
        whisper.Text = "psst";
        whisper.Recipients[0] = c->session.MyID();
        QVERIFY(b->session.DoSerialize(whisper));
        b->session.SendChat("Bs", Sjis("(ころころ……)"), 0, ScreenDice);
        CMsg call;
        call.Type = CallMember;
        call.ID = c->session.MyID();
        call.Text = "call";
        QVERIFY(a->session.DoSerialize(call));
        Settle(*b, "marker");

        QVERIFY(c->Has("chat 6 B->Cs|psst|0"));
        QCOMPARE(a->Count("chat 6"), 0);
        QCOMPARE(b->Count("chat 6"), 0);
        QVERIFY(a->Has("chat 8 Bs|" + Sjis("(ころころ……)") + "|0"));
        QVERIFY(c->Has("chat 8 Bs|" + Sjis("(ころころ……)") + "|0"));
        QCOMPARE(b->Count("chat 8"), 0);
        QCOMPARE(c->Count("alert"), 1);
        QCOMPARE(a->Count("alert") + b->Count("alert"), 0);
    }

    void hubShutdownOrphansThenOfflineLineAndQuietIdle() {
        StartTrio();
        a->session.Disconnect(false);
        QCOMPARE(a->session.State(), SessionState::Idle);
        QTRY_COMPARE(b->session.State(), SessionState::Orphaned);
        QVERIFY(b->Has("notice " + Sjis("<CR><b>◎ サーバとの接続が切断されました</b><CR>")));

        b->rec.events.clear();
        QVERIFY(!b->session.SendChat("Bs", "alone", 0, LogBox));
        QCOMPARE(b->rec.events, std::vector<std::string>{"chat 3 Bs|alone|0"});
        b->rec.events.clear();
        b->session.Disconnect(false);
        QCOMPARE(b->session.State(), SessionState::Idle);
        QCOMPARE(b->Count("notice"), 0);  // nothing was sent, so nothing announced
        QCOMPARE(b->rec.caption, CClientSession::IdleCaption());
    }

    void closingWhileJoinedTellsTheOthers() {
        StartTrio();
        b.reset();  // the window closes: its session leaves quietly
        const std::string bye = "notice " + Sjis("<CR><b>◎ B の接続が切断されました</b><CR>");
        QTRY_VERIFY(a->Has(bye));
        QTRY_VERIFY(c->Has(bye));
        QVERIFY(a->Has("remove 2"));
    }

    void quietDisconnectTouchesNeitherLogNorCaption() {
        StartTrio();
        b->rec.events.clear();
        b->session.Disconnect(true);
        QCOMPARE(b->rec.events, std::vector<std::string>{"closelog"});
        QTRY_VERIFY(a->Has("remove 2"));
    }

    void otherProtocolLeavesClientIdleWithoutReply() {
        FakeHubServer hub(Greeting(5, kProgramVersionCode));
        QtWindow w("W");
        QVERIFY(w.session.ConnectAndShow("W", true, "127.0.0.1", hub.Port(), 0));
        QTRY_COMPARE(w.prompter.prompts.size(), 1u);
        QCOMPARE(w.prompter.prompts[0].caption, Sjis("エラー"));
        QCOMPARE(w.session.State(), SessionState::Idle);
        QCOMPARE(w.rec.caption, CClientSession::IdleCaption());
        // The hub hears the leaving record (ID -1) and nothing else.
        QTRY_COMPARE(hub.Received().size(), 1u);
        QCOMPARE(hub.Received()[0].Type, static_cast<std::int32_t>(MsgType::Disconnect));
        QCOMPARE(hub.Received()[0].ID, -1);
    }

    void otherProgramVersionWarnsAndJoins() {
        FakeHubServer hub(Greeting(kProtocolVersion, 0x040000));
        QtWindow w("W");
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", hub.Port()));
        QTRY_COMPARE(w.session.State(), SessionState::Joined);
        QCOMPARE(w.prompter.prompts.size(), 1u);
        QCOMPARE(w.prompter.prompts[0].caption, Sjis("警告"));
        QTRY_COMPARE(hub.Received().size(), 1u);
        QCOMPARE(hub.Received()[0].Type, static_cast<std::int32_t>(CnctReply));
        QCOMPARE(hub.Received()[0].Text, std::string("W"));
    }

    void longBurstIsHandledWholeAndInOrder() {
        std::vector<CMsg> lines(1000);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            lines[i].Type = LogBox;
            lines[i].Name = "Hub";
            lines[i].Text = std::to_string(i);
        }
        FakeHubServer hub(Greeting(kProtocolVersion, kProgramVersionCode), lines);
        QtWindow w("W");
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", hub.Port()));
        QTRY_COMPARE(w.Count("chat 3 "), 1000);
        int expected = 0;
        for (const auto& e : w.rec.events)
            if (e.rfind("chat 3 ", 0) == 0)
                QCOMPARE(e, "chat 3 Hub|" + std::to_string(expected++) + "|0");
    }

    void hubVanishingWithoutGoodbyeIsReported() {
        FakeHubServer hub(Greeting(kProtocolVersion, kProgramVersionCode));
        QtWindow w("W");
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", hub.Port()));
        QTRY_COMPARE(w.session.State(), SessionState::Joined);
        hub.DropAll();
        QTRY_COMPARE(w.session.State(), SessionState::Orphaned);
        QVERIFY(
            w.Has("notice " + Sjis("<b>※ ReceiveMsg() : サーバとの接続が切れました。</b><CR>")));
        w.rec.events.clear();
        QVERIFY(!w.session.SendText("note", CountTimer));
        QCOMPARE(w.rec.events, std::vector<std::string>{"notice note"});
    }

    void refusedConnectionAsksToRetry() {
        int port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        QtWindow w("W");
        w.prompter.answers = {PromptAnswer::Yes, PromptAnswer::No};
        QVERIFY(!w.session.Connect("W", true, "127.0.0.1", port));
        QCOMPARE(w.prompter.prompts.size(), 2u);
        QCOMPARE(w.prompter.prompts[0].caption, Sjis("接続エラー"));
        QVERIFY(w.prompter.prompts[0].text.ends_with(Sjis("。\r\n再接続しますか？")));
        QCOMPARE(w.session.State(), SessionState::Idle);
    }

    void cancellingAHangingConnectLeavesIdleWithoutQuestions() {
        const int port = jammed.Start();
        QVERIFY(port > 0);
        QWidget window;
        QtWindow w("W");
        w.socket.SetDialogParent(&window);
        w.socket.SetConnectTimeout(10000);
        bool sawBusyDialog = false;
        QTimer::singleShot(500, &window, [&] {
            auto* busy = window.findChild<QProgressDialog*>();
            auto* button = busy ? busy->findChild<QPushButton*>() : nullptr;
            if (button && busy->isVisible()) {
                sawBusyDialog = true;
                button->click();
            }
        });
        QVERIFY(!w.session.Connect("W", true, "127.0.0.1", port));
        QVERIFY(sawBusyDialog);
        QVERIFY(w.prompter.prompts.empty());
        QCOMPARE(w.session.State(), SessionState::Idle);
        QVERIFY(!w.socket.IsConnecting());
    }

    void hangingConnectTimesOutIntoTheRetryQuestion() {
        const int port = jammed.Start();
        QVERIFY(port > 0);
        QtWindow w("W");
        w.socket.SetConnectTimeout(50);
        QVERIFY(!w.session.Connect("W", true, "127.0.0.1", port));
        QCOMPARE(w.prompter.prompts.size(), 1u);
        QVERIFY(w.prompter.prompts[0].text.find(Sjis("一定の時間")) != std::string::npos);
        QCOMPARE(w.prompter.prompts[0].caption, Sjis("接続エラー"));
    }

    void garbageFromHubIsReportedAndDropsTheConnection() {
        QTcpServer rogue;
        QVERIFY(rogue.listen(QHostAddress::LocalHost, 0));
        connect(&rogue, &QTcpServer::newConnection, this, [&rogue] {
            // ID 1, Close 0, Type 99: no such record.
            rogue.nextPendingConnection()->write(QByteArray::fromHex("01000000000000006300000000"));
        });
        QtWindow w("W");
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", rogue.serverPort()));
        QTRY_COMPARE(w.session.State(), SessionState::Orphaned);
        QCOMPARE(w.Count("notice " + Sjis("<b>※ ReceiveMsg() : ")), 1);
    }
};

QTEST_MAIN(ClientConnectionQtTest)
#include "ClientConnectionQtTest.moc"
