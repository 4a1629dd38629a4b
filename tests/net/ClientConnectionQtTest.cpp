// A chat window's core (session, dispatcher and socket, without widgets)
// talking to hand-written hubs over 127.0.0.1: how each end of a hub is shown,
// records arriving while a dialog is open, and connects that hang or fail.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <optional>

#include "net/NetTestUtil.h"
#include "net/qt/CChatSocket.h"
#include "support/ClientSessionFakes.h"

using namespace yarrow;
using namespace yarrow::test;

// Records name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// One chat window's core on a real socket.
struct QtWindow : IRecordHandler {
    CChatSocket socket;
    ScriptedPrompter prompter;
    FakeHubFactory hubs;
    Recorder rec;
    FixedClock clock{1700000000};
    CClientSession session{{socket, hubs, prompter, rec, rec, rec, rec, clock, nullptr}};
    SessionPort port{session};
    FakeTimers timers;
    CDispatcher dispatcher{{&session, port, rec, rec, rec, rec, rec, timers, prompter, clock,
                            [](std::function<void()> task) { task(); },
                            [this] { rec.Add("alert"); }, nullptr}};
    // Runs before a record is dispatched; a test may open a dialog here.
    std::function<void(const CMsg&)> beforeDispatch;

    QtWindow() {
        socket.SetSession(&session);
        session.SetRecordHandler(this);
    }
    void Dispatch(CMsg& msg) override {
        if (beforeDispatch)
            beforeDispatch(msg);
        dispatcher.Dispatch(msg);
    }
};

// A hub written by hand: greets each connection with the given bytes.
class FakeHubServer : public QObject {
  public:
    // With `thenClose` the hub closes its end right after the greeting.
    explicit FakeHubServer(std::string greeting, bool thenClose = false)
        : greeting_(std::move(greeting)) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this, thenClose] {
            QTcpSocket* peer = server_.nextPendingConnection();
            peers_.push_back(peer);
            Write(greeting_);
            if (thenClose)
                HalfClose(peer);
        });
    }
    int Port() const { return server_.serverPort(); }
    void Write(const std::string& bytes) {
        for (QTcpSocket* peer : peers_)
            peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    // Sends what is queued, then closes its sending direction, as the hub
    // does (or drops at once).
    void CloseAll() {
        for (QTcpSocket* peer : peers_)
            HalfClose(peer);
    }
    static void HalfClose(QTcpSocket* peer) {
        auto shut = [peer] {
            if (peer->bytesToWrite() == 0)
                ::shutdown(static_cast<int>(peer->socketDescriptor()), SHUT_WR);
        };
        QObject::connect(peer, &QTcpSocket::bytesWritten, peer, shut);
        shut();
    }
    void DropAll() {
        for (QTcpSocket* peer : peers_)
            peer->abort();
    }

  private:
    QTcpServer server_;
    std::string greeting_;
    std::vector<QTcpSocket*> peers_;
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

std::string Greeting() {
    return CMsg{.Name = "-0001",
                .Type = CnctStart,
                .ID = 1,
                .Param1 = kProtocolVersion,
                .Param2 = kProgramVersionCode}
        .Encode();
}

// Chat lines "from", "from + 1", ... from "Hub".
std::string Lines(int from, int count) {
    std::string bytes;
    for (int i = from; i < from + count; ++i)
        CMsg{.Text = std::to_string(i), .Name = "Hub", .Type = LogBox}.Encode(bytes);
    return bytes;
}

// True when the window showed exactly lines 0 .. count-1, in order.
bool ShowedInOrder(const QtWindow& w, int count) {
    int expected = 0;
    for (const auto& e : w.rec.events) {
        if (e.rfind("chat 3 ", 0) == 0 && e != "chat 3 Hub|" + std::to_string(expected++) + "|0")
            return false;
    }
    return expected == count;
}

// Counts the queued calls an object receives, to catch one that keeps
// re-posting itself.
class QueuedCallCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall)
            ++calls;
        return false;
    }
    int calls = 0;
};

}  // namespace

class ClientConnectionQtTest : public QObject {
    Q_OBJECT

    JammedListener jammed;

  private slots:
    void cleanup() { jammed.Stop(); }

    void eachEndOfTheHubShowsEverythingBeforeItThenTheReason() {
        const char* bye = "◎ サーバとの接続が切断されました";
        const std::string lost =
            "notice " + Sjis("<b>※ ReceiveMsg() : サーバとの接続が切れました。</b><CR>");
        const struct {
            const char* what;
            std::string bytes;
            bool closeAfterwards, dropWhenJoined;
            int lines;
            std::string lastNotice;  // "": a ReceiveMsg report
        } cases[] = {
            {"goodbye after a burst",
             Greeting() + Lines(0, 20000) +
                 CMsg{.Close = 1, .Text = "<CR><b>" + Sjis(bye) + "</b><CR>", .Type = Disconnect}
                     .Encode(),
             true, false, 20000, "notice <CR><b>" + Sjis(bye) + "</b><CR>"},
            {"vanishing", Greeting(), false, true, 0, lost},
            // ID 1, Close 0, Type 99: no such record.
            {"garbage", QByteArray::fromHex("01000000000000006300000000").toStdString(), false,
             false, 0, ""},
        };
        for (const auto& end : cases) {
            FakeHubServer hub(end.bytes, end.closeAfterwards);
            qInfo("%s", end.what);
            QtWindow w;
            QVERIFY(w.session.Connect("W", true, "127.0.0.1", hub.Port()));
            if (end.dropWhenJoined) {
                QTRY_COMPARE(w.session.State(), SessionState::Joined);
                hub.DropAll();
            }
            QTRY_COMPARE_WITH_TIMEOUT(w.session.State(), SessionState::Orphaned, 60000);
            QVERIFY(ShowedInOrder(w, end.lines));
            if (end.lastNotice.empty())
                QVERIFY(w.rec.events.back().rfind("notice " + Sjis("<b>※ ReceiveMsg() : "), 0) ==
                        0);
            else
                QCOMPARE(w.rec.events.back(), end.lastNotice);
            const auto reports = std::count_if(
                w.rec.events.begin(), w.rec.events.end(),
                [](const std::string& e) { return e.starts_with("notice " + Sjis("<b>※ ")); });
            QCOMPARE(reports, end.lastNotice.empty() || end.lastNotice == lost ? 1 : 0);
        }
    }

    void dialogOpenWhileRecordsAndTheCloseArrive() {
        // A handler that shows a message box runs its own event loop; records
        // and the hub's close arriving meanwhile wait, without spinning, and
        // follow in order once it is answered. With no goodbye record the
        // loss is reported last.
        FakeHubServer hub(Greeting() + Lines(0, 1));
        QtWindow w;
        QueuedCallCounter counter;
        w.socket.installEventFilter(&counter);
        int callsWhileOpen = -1;
        w.beforeDispatch = [&](const CMsg& msg) {
            if (msg.Type != LogBox || msg.Text != "0")
                return;
            hub.Write(Lines(1, 600));
            hub.CloseAll();
            QEventLoop dialog;
            QTimer::singleShot(400, &dialog, &QEventLoop::quit);
            counter.calls = 0;
            dialog.exec();
            callsWhileOpen = counter.calls;
        };
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", hub.Port()));
        QTRY_COMPARE(w.session.State(), SessionState::Orphaned);
        QVERIFY2(callsWhileOpen >= 0 && callsWhileOpen < 10,
                 qPrintable(QString::number(callsWhileOpen)));
        QVERIFY(ShowedInOrder(w, 601));
        QCOMPARE(w.rec.events.back(),
                 "notice " + Sjis("<b>※ ReceiveMsg() : サーバとの接続が切れました。</b><CR>"));
    }

    void hangingConnectShowsANonModalCancelTimesOutAndRefusalAsks() {
        const int port = jammed.Start();
        QVERIFY(port > 0);
        QWidget window;
        QtWindow w;
        w.socket.SetDialogParent(&window);
        w.socket.SetConnectTimeout(60000);
        std::optional<bool> done;
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", port, [&](bool ok) { done = ok; }));
        QCOMPARE(w.session.State(), SessionState::Connecting);
        QProgressDialog* busy = nullptr;
        QTRY_VERIFY((busy = window.findChild<QProgressDialog*>()) && busy->isVisible());
        QCOMPARE(busy->windowModality(), Qt::NonModal);
        auto* cancel = busy->findChild<QPushButton*>();
        QVERIFY(cancel && cancel->text() == QStringLiteral("キャンセル"));
        cancel->click();
        QTRY_VERIFY(done.has_value());
        QVERIFY(!*done);
        QVERIFY(w.prompter.prompts.empty());
        QCOMPARE(w.session.State(), SessionState::Idle);
        QVERIFY(!w.socket.IsConnecting());

        // Given up by the timer instead, the user is asked to retry.
        w.socket.SetConnectTimeout(50);
        done.reset();
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", port, [&](bool ok) { done = ok; }));
        QTRY_VERIFY(done.has_value());
        QCOMPARE(w.prompter.prompts.size(), 1u);
        QVERIFY(w.prompter.prompts[0].text.find(Sjis("一定の時間")) != std::string::npos);

        // With nobody listening the refusal comes at once, in the system's
        // words laid out for the question.
        jammed.Stop();
        w.prompter.prompts.clear();
        done.reset();
        QVERIFY(w.session.Connect("W", true, "127.0.0.1", port, [&](bool ok) { done = ok; }));
        QTRY_VERIFY(done.has_value());
        QVERIFY(!*done);
        QCOMPARE(w.prompter.prompts.size(), 1u);
        QCOMPARE(w.prompter.prompts[0].caption, Sjis("接続エラー"));
        QVERIFY(w.prompter.prompts[0].text.ends_with(Sjis("。\r\n再接続しますか？")));
    }
};

QTEST_MAIN(ClientConnectionQtTest)
#include "ClientConnectionQtTest.moc"
