#include "net/CClientSession.h"

#include "net/SessionText.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/IPrompter.h"
#include "platform/IWindowTimers.h"
#include "platform/SjisText.h"
#include "platform/Trace.h"

namespace yarrow {

namespace {

std::string Trimmed(const std::string& text) {
    return std::string(TrimBlanks(text, " \t\r\n"));
}

// Error texts in the log are cut to 256 bytes.
constexpr std::size_t kErrorTextBytes = 256;

// The host's own window joins its hub on this machine, whatever address the
// dialog last held for joining somebody else's.
constexpr const char* kOwnHubAddress = "127.0.0.1";

}  // namespace

CClientSession::CClientSession(Deps deps) : deps_(std::move(deps)) {}

CClientSession::~CClientSession() {
    Disconnect(true);
}

std::string CClientSession::ConnectedCaption(const std::string& address, int port) {
    return SjisFormat(Sjis("Yarrow - 接続中(IP:%s/Port:%d)").c_str(), address.c_str(), port);
}

std::string CClientSession::IdleCaption() {
    static const std::string caption = Sjis("Yarrow - 待機中 ");
    return caption;
}

std::string CClientSession::ReconnectingCaption(const std::string& address, int port) {
    return SjisFormat(Sjis("Yarrow - 再接続中(IP:%s/Port:%d)").c_str(), address.c_str(), port);
}

std::string CClientSession::LayOutErrorText(std::string text) {
    static const std::string period = Sjis("。");
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t width = SjisCharWidth(text, i);
        out.append(text, i, width);
        if (text.compare(i, width, period) == 0)
            out += "\r\n";
        i += width;
    }
    for (auto pos = out.find("\r\n\r\n"); pos != std::string::npos; pos = out.find("\r\n\r\n", pos))
        out.erase(pos, 2);
    return out;
}

bool CClientSession::Connect(const std::string& handle, bool asClient, const std::string& address,
                             int port, ConnectDone done) {
    if (connecting_)
        return false;
    StopReconnecting();
    myName_ = handle;
    if (deps_.seedRandom)
        deps_.seedRandom(static_cast<std::uint32_t>(deps_.clock.Now()));
    portNum_ = port;
    serverIP_ = asClient ? Trimmed(address) : std::string(kOwnHubAddress);
    if (!asClient) {
        hub_.reset();
        hub_ = deps_.hubFactory.CreateHub();
        if (!hub_)
            return false;
        const bool listening = hub_->ConnectSocket(port);
        deps_.cards.SetDeckSetNames(hub_->DeckSetNames());
        if (!listening) {
            // A hub that could not bind has nothing to offer; it reported why.
            hub_.reset();
            return false;
        }
        // Asked for any free port, the window joins wherever the hub listens.
        if (port == 0)
            portNum_ = hub_->ListeningPort();
    }
    connectDone_ = std::move(done);
    ConnectSocket();
    return true;
}

bool CClientSession::ConnectAndShow(const std::string& handle, bool asClient,
                                    const std::string& address, int port, std::int32_t color,
                                    ConnectDone done) {
    return Connect(handle, asClient, address, port,
                   [this, color, done = std::move(done)](bool connected) {
                       if (connected) {
                           deps_.frame.SetConnectedMenu(true);
                           deps_.frame.SetCaption(ConnectedCaption(serverIP_, portNum_));
                           myColor_ = color;
                       }
                       if (done)
                           done(connected);
                   });
}

void CClientSession::ConnectSocket(bool background) {
    Trace("CYarrowView::ConnectSocket(Port:%d IP:%s)\r\n", portNum_, serverIP_.c_str());
    connecting_ = true;
    deps_.transport.BeginConnect(serverIP_, portNum_, background);
}

void CClientSession::ConnectFinished(const IChatTransport::ConnectResult& result) {
    if (!connecting_)
        return;
    connecting_ = false;
    if (reconnecting_) {
        switch (result.status) {
            case IChatTransport::ConnectStatus::Connected:
                // Joined once the hub's greeting has been answered.
                orphaned_ = false;
                myID_ = -1;
                return;
            case IChatTransport::ConnectStatus::Cancelled:
                StopReconnecting();
                deps_.frame.SetCaption(ConnectedCaption(serverIP_, portNum_));
                return;
            case IChatTransport::ConnectStatus::CreateFailed:
            case IChatTransport::ConnectStatus::Failed:
                // No question while trying by itself: the next try is due.
                ScheduleTry();
                return;
        }
    }
    switch (result.status) {
        case IChatTransport::ConnectStatus::Connected:
            // A new connection joins afresh, even if an orphaned one was
            // never disconnected.
            orphaned_ = false;
            myID_ = -1;
            EndConnect(true);
            return;
        case IChatTransport::ConnectStatus::Cancelled:
            EndConnect(false);
            return;
        case IChatTransport::ConnectStatus::CreateFailed:
            deps_.prompter.Tell(result.errorText, Sjis("ソケット作成エラー"),
                                PromptIcon::Exclamation);
            EndConnect(false);
            return;
        case IChatTransport::ConnectStatus::Failed:
            break;
    }
    // No socket is open while the question waits, so nothing can be read
    // from under it.
    static const std::string retryFormat = Sjis("%s再接続しますか？");
    const std::string text =
        SjisFormat(retryFormat.c_str(), LayOutErrorText(result.errorText).c_str());
    if (deps_.prompter.Ask(text, Sjis("接続エラー"), PromptIcon::Stop, PromptButtons::YesNo) ==
        PromptAnswer::Yes) {
        ConnectSocket();
        return;
    }
    EndConnect(false);
}

void CClientSession::EndConnect(bool connected) {
    ConnectDone done = std::move(connectDone_);
    connectDone_ = nullptr;
    if (done)
        done(connected);
}

void CClientSession::DisconnectCommand() {
    static const std::string question = Sjis("切断してもよろしいですか？");
    static const std::string caption = Sjis("終了");
    if (deps_.prompter.Ask(question, caption, PromptIcon::Question, PromptButtons::YesNo) ==
        PromptAnswer::Yes)
        Disconnect(false);
}

bool CClientSession::Disconnect(bool quiet) {
    StopReconnecting();
    if (connecting_) {
        connecting_ = false;
        connectDone_ = nullptr;
        deps_.transport.AbandonConnect();
    }
    const bool wasOpen = deps_.transport.IsOpen();
    if (wasOpen) {
        Trace("CYarrowView::Disconnect\r\n");
        static const std::string format = Sjis("<CR><b>◎ %s の接続が切断されました</b><CR>");
        CMsg msg;
        msg.Type = MsgType::Disconnect;
        msg.Close = 1;
        msg.ID = myID_;
        msg.Text = SjisFormat(format.c_str(), myName_.c_str());
        DoSerialize(msg);
        if (!quiet) {
            deps_.members.ClearMembers();
            deps_.cards.SetPlayers({});
            deps_.log.AppendNoticeLine(msg.Text);
        }
    }
    deps_.log.CloseTextLog();
    if (deps_.transport.IsOpen())
        deps_.transport.Close();
    if (hub_ && hub_->IsServing())
        hub_->Disconnection();
    myID_ = -1;
    orphaned_ = false;
    if (!quiet) {
        deps_.frame.SetCaption(IdleCaption());
        deps_.frame.SetConnectedMenu(false);
    }
    hub_.reset();
    return wasOpen;
}

bool CClientSession::DoSerialize(const CMsg& msg) {
    if (!deps_.transport.IsOpen())
        return false;
    const std::string bytes = msg.Encode();
    if (bytes.size() > kMaxRecordBytes) {
        // The hub would refuse it and drop this connection; the record stays
        // here, and the connection with it.
        static const std::string format = Sjis(
            "<b>※ %sを送信できません：%zu バイトあり、上限の %zu バイトを超えています</b><CR>");
        deps_.log.AppendNoticeLine(SjisFormat(format.c_str(), CMsg::TypeName(msg.Type).c_str(),
                                              bytes.size(), kMaxRecordBytes));
        return false;
    }
    std::string error;
    if (deps_.transport.Send(bytes, error))
        return true;
    static const std::string head = Sjis("<b>◎送信に失敗しました。\r\n");
    std::string text = head;
    static const std::string detail = Sjis("<b>※ DoSerialize() : %s</b><CR>");
    text += SjisFormat(detail.c_str(), SjisCut(error, kErrorTextBytes).c_str());
    text += "</b>";
    deps_.log.AppendNoticeLine(text);
    deps_.frame.SetConnectedMenu(false);
    return false;
}

bool CClientSession::SendChat(const std::string& name, const std::string& text, std::int32_t color,
                              std::int32_t type) {
    if (!deps_.transport.IsOpen()) {
        // Offline, remarks, rolls and timer starts still show in the own log.
        if (type == LogBox || type == DiceRoll || type == ScreenDice || type == StartTimer)
            deps_.log.AppendChatLine(name, text, color, type);
        return false;
    }
    CMsg msg;
    msg.ID = myID_;
    msg.Name = name;
    msg.Text = text;
    msg.Color = color;
    msg.Type = type;
    return DoSerialize(msg);
}

bool CClientSession::SendText(const std::string& text, std::int32_t type) {
    if (!deps_.transport.IsOpen()) {
        deps_.log.AppendNoticeLine(text);
        return false;
    }
    CMsg msg;
    msg.ID = myID_;
    msg.Text = text;
    msg.Type = type;
    return DoSerialize(msg);
}

void CClientSession::ReceiveMsg(CMsg& msg) {
    if (handler_)
        handler_->Dispatch(msg);
    if (msg.Close) {
        // The hub said goodbye: nothing to come back to.
        if (reconnecting_) {
            StopReconnecting();
            deps_.frame.SetCaption(ConnectedCaption(serverIP_, portNum_));
        }
        DropConnection();
    }
}

void CClientSession::ReceiveFailed(const std::string& errorText) {
    static const std::string format = Sjis("<b>※ ReceiveMsg() : %s</b><CR>");
    deps_.log.AppendNoticeLine(
        SjisFormat(format.c_str(), SjisCut(errorText, kErrorTextBytes).c_str()));
    // A broken stream cannot be resynchronised: behave as if the hub closed,
    // and try to come back.
    const bool wasOpen = deps_.transport.IsOpen();
    DropConnection();
    if (wasOpen)
        ConnectionLost();
}

std::time_t CClientSession::ReconnectDelay(int triesMade) {
    return triesMade < 5 ? std::time_t{1} << triesMade : 30;
}

void CClientSession::SetReconnecting(IWindowTimers* timers, std::function<bool()> enabled) {
    timers_ = timers;
    reconnectEnabled_ = std::move(enabled);
}

void CClientSession::ConnectionLost() {
    if (!reconnecting_) {
        if (timers_ == nullptr || (reconnectEnabled_ && !reconnectEnabled_()))
            return;
        reconnecting_ = true;
        tries_ = 0;
        lostAt_ = deps_.clock.Now();
    }
    ScheduleTry();
}

void CClientSession::ScheduleTry() {
    const std::time_t delay = ReconnectDelay(tries_);
    if (deps_.clock.Now() - lostAt_ + delay > kReconnectSeconds) {
        StopReconnecting();
        static const std::string text =
            Sjis("◇ 再接続できませんでした。サーバに接続し直してください");
        deps_.log.AppendNoticeLine(text);
        deps_.frame.SetCaption(ConnectedCaption(serverIP_, portNum_));
        return;
    }
    deps_.frame.SetCaption(ReconnectingCaption(serverIP_, portNum_));
    static const std::string waiting = Sjis("再接続を待っています");
    static const std::string trying = Sjis("再接続しています (%d回目)");
    deps_.frame.SetConnectionStatus(tries_ == 0 ? waiting : SjisFormat(trying.c_str(), tries_));
    timers_->StartTimer(kReconnectTimer, static_cast<int>(delay * 1000));
}

void CClientSession::OnReconnectTimer() {
    if (timers_ != nullptr)
        timers_->KillTimer(kReconnectTimer);
    if (!reconnecting_ || connecting_ || deps_.transport.IsOpen())
        return;
    ++tries_;
    static const std::string format = Sjis("◇ 再接続しています (%d回目)");
    const std::string text = SjisFormat(format.c_str(), tries_);
    deps_.log.AppendNoticeLine(text);
    deps_.frame.SetConnectionStatus(text.substr(Sjis("◇ ").size()));
    ConnectSocket(true);
}

void CClientSession::StopReconnecting() {
    if (!reconnecting_)
        return;
    reconnecting_ = false;
    if (timers_ != nullptr)
        timers_->KillTimer(kReconnectTimer);
    deps_.frame.SetConnectionStatus({});
}

void CClientSession::DropConnection() {
    if (!deps_.transport.IsOpen())
        return;
    deps_.transport.Close();
    orphaned_ = true;
}

void CClientSession::OnCnctStart(CMsg& msg) {
    if (myID_ >= 0)
        return;
    if (msg.Param1 != kProtocolVersion) {
        static const std::string text = Sjis(
            "サーバとクライアントの通信プロトコルの\r\nバージョンが違うため、接続を切断します");
        static const std::string caption = Sjis("エラー");
        deps_.prompter.Tell(text, caption, PromptIcon::Stop);
        Disconnect(false);
        msg.Close = 1;
        return;
    }
    if (msg.Param2 != kProgramVersionCode) {
        static const std::string text = Sjis(
            "サーバとクライアントのバージョンが違うため、\r\n正常に動作しない可能性があります");
        static const std::string caption = Sjis("警告");
        deps_.prompter.Tell(text, caption, PromptIcon::Exclamation);
    }
    myID_ = msg.ID;
    static const std::string established = Sjis("<b>◎ サーバとの接続が確立しました</b>");
    deps_.log.AppendNoticeLine(established);
    deps_.log.AppendNoticeLine(msg.Text);

    // Deck summary: the cards left as five characters of "%05d" (a hub
    // without a deck writes "-0001"), then the deck name.
    const std::string digits = msg.Name.substr(0, 5);
    std::int32_t cardsLeft = 0;
    const bool negative = !digits.empty() && digits[0] == '-';
    for (std::size_t i = negative ? 1 : 0; i < digits.size(); ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            break;
        cardsLeft = cardsLeft * 10 + (digits[i] - '0');
    }
    if (negative)
        cardsLeft = -cardsLeft;
    deps_.cards.SetDeckLine(msg.Name.size() > 5 ? msg.Name.substr(5) : std::string(), cardsLeft);

    SendText(myName_, CnctReply);
    if (reconnecting_) {
        StopReconnecting();
        static const std::string text = Sjis("◇ 再接続しました");
        deps_.log.AppendNoticeLine(text);
        deps_.frame.SetCaption(ConnectedCaption(serverIP_, portNum_));
        deps_.frame.SetConnectedMenu(true);
    }
}

SessionState CClientSession::State() const {
    if (reconnecting_)
        return SessionState::Reconnecting;
    if (connecting_)
        return SessionState::Connecting;
    if (deps_.transport.IsOpen())
        return myID_ >= 0 ? SessionState::Joined : SessionState::Connected;
    return orphaned_ ? SessionState::Orphaned : SessionState::Idle;
}

}  // namespace yarrow
