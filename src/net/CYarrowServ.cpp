#include "net/CYarrowServ.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "net/Cp932Text.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"

namespace yarrow {

namespace {

const std::string& JoinNoticeHead() {
    static const std::string text = "<CR><b>" + Sjis("◎ ");
    return text;
}
const std::string& JoinNoticeTail() {
    static const std::string text = Sjis(" が接続しました") + "</b><CR>";
    return text;
}
const std::string& ShutdownNotice() {
    static const std::string text =
        "<CR><b>" + Sjis("◎ サーバとの接続が切断されました") + "</b><CR>";
    return text;
}
// Error texts are cut as the system's error texts always were.
constexpr std::size_t kMaxErrorTextBytes = 256;

const std::string& ErrorMark() {
    static const std::string text = "<b>" + Sjis("※ ");
    return text;
}

}  // namespace

CYarrowServ::CYarrowServ(IHubListener* listener, IPrompter* prompter, ISound* sound)
    : listener_(listener), prompter_(prompter), sound_(sound) {
    working_.Type = 0;
    working_.ID = -1;
}

CYarrowServ::~CYarrowServ() {
    if (serving_)
        Disconnection();
    // Connections still registered (a hub never started) are let go too.
    for (auto& [id, connection] : connections_)
        connection.socket->Abort();
}

bool CYarrowServ::ConnectSocket(int port) {
    Trace(" CYarrowServ::ConnectSocket(%d)\r\n", port);
    serving_ = true;
    pastLog_.clear();
    std::string errorText;
    int errorCode = 0;
    if (listener_ == nullptr || !listener_->Listen(port, errorText, errorCode)) {
        // A hub that never listened is not serving: nothing to shut down and
        // no past log to keep.
        serving_ = false;
        if (prompter_ != nullptr) {
            prompter_->Tell(Sjis("接続許可エラーです") + "\r\n" + errorText, "", PromptIcon::Stop);
        }
        Trace(" CYarrowServ::CYarrowServ::ConnectSocket() Err:%d\r\n", errorCode);
        return false;
    }
    return true;
}

void CYarrowServ::Disconnection() {
    Trace(" CYarrowServ::Disconnection()\r\n");
    serving_ = false;
    if (listener_ != nullptr)
        listener_->StopListening();
    // Taken out of the table first, so nothing said to one connection can
    // reach the table while it is being emptied.
    auto connections = std::move(connections_);
    connections_.clear();
    for (auto& [id, connection] : connections) {
        working_.Type = Disconnect;
        working_.Text = ShutdownNotice();
        CMsg& out = AssembleMsg();
        out.Close = 1;
        std::string errorText;
        SendMsg(id, connection, out.Encode(), errorText);
        connection.socket->CloseGracefully();
    }
    members_.clear();
}

std::int32_t CYarrowServ::ProcessPendingAccept(IHubConnection* connection) {
    Trace(" CYarrowServ::ProcessPendingAccept\r\n");
    if (connection == nullptr)
        return -1;
    if (!serving_ || nextMemberID_ == std::numeric_limits<std::int32_t>::max()) {
        // IDs are never reused, so once they run out nobody else can join.
        connection->Abort();
        if (serving_)
            AcceptFailed("no member IDs left");
        return -1;
    }
    const std::int32_t id = nextMemberID_++;
    Connection& entry = connections_[id];
    entry.socket = connection;
    if (cards_ != nullptr)
        cards_->AddHolder(id);

    CMsg start;
    start.Type = CnctStart;
    start.ID = id;
    start.Text = PastLogBlock();
    start.Name = DeckSummary();
    start.Param1 = start.ProtocolVersion;
    start.Param2 = kProgramVersionCode;
    std::string errorText;
    if (!SendMsg(id, entry, start.Encode(), errorText)) {
        CloseSocket(id, false);
        ReportError("SendMsg", start, errorText);
        return -1;
    }
    return id;
}

void CYarrowServ::AcceptFailed(const std::string& errorText) {
    if (owner_ != nullptr) {
        owner_->AppendNoticeLine(ErrorMark() + "ProcessPendingAccept() : " + errorText + "</b>");
    }
    if (sound_ != nullptr)
        sound_->ErrorBeep();
}

void CYarrowServ::ProcessPendingRead(std::int32_t id, std::string_view bytes) {
    Trace(" CYarrowServ::ProcessPendingRead\r\n");
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    it->second.decoder.Feed(bytes);
    for (;;) {
        // Looked up afresh each time: a relay may have dropped this very
        // connection (over its send cap).
        it = connections_.find(id);
        if (it == connections_.end() || !it->second.decoder.HasBufferedBytes())
            return;
        if (ReadMsg(id, it->second) != ReadResult::Record)
            return;
        if (readMsg_.Close != 0) {
            CloseSocket(id, true);
            UpdateClients();
            return;
        }
        UpdateClients();
    }
}

CYarrowServ::ReadResult CYarrowServ::ReadMsg(std::int32_t id, Connection& connection) {
    Trace(" CYarrowServ::ReadMsg\r\n");
    readMsg_.Reset();
    switch (connection.decoder.Next(readMsg_)) {
        case CMsgDecoder::Status::NeedMore:
            return ReadResult::NeedMore;
        case CMsgDecoder::Status::Record:
            // Joining, re-announcing and leaving speak for the sender itself,
            // so they carry the ID this connection was given: a peer must not
            // announce or remove somebody else.
            if (readMsg_.Type == CnctReply || readMsg_.Type == UpdateMbr ||
                readMsg_.Type == Disconnect) {
                readMsg_.ID = id;
            }
            StoreMsgItem(readMsg_);
            return ReadResult::Record;
        case CMsgDecoder::Status::Bad:
            break;
    }
    // The stream broke a bound or named an unknown type: its framing is lost,
    // and nothing that follows could be read reliably, so the connection goes.
    readMsg_ = connection.decoder.Partial();
    const std::string errorText = connection.decoder.ErrorText();
    CloseSocket(id, false);
    ReportError("ReadMsg", readMsg_, errorText);
    return ReadResult::Failed;
}

void CYarrowServ::ConnectionLost(std::int32_t id, const std::string& errorText) {
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    CMsg record = it->second.decoder.Partial();
    // Name the member whose connection it was, even when no record of it was
    // under way.
    if (!it->second.decoder.HeaderComplete())
        record.ID = id;
    CloseSocket(id, false);
    ReportError("ReadMsg", record, errorText);
}

void CYarrowServ::SendFailed(std::int32_t id, const std::string& errorText) {
    if (connections_.find(id) == connections_.end())
        return;
    CloseSocket(id, false);
    ReportError("SendMsg", sendMsg_, errorText);
}

void CYarrowServ::StoreMsgItem(const CMsg& record) {
    Trace(" CYarrowServ::StoreMsgItem(%s)\r\n", CMsg::TypeName(record.Type).c_str());
    // The whole record becomes the working record, so whatever a type carries
    // is relayed without a list of fields to keep up to date. Close is the
    // sender's own business and never relayed.
    working_ = record;
    working_.Close = 0;

    switch (record.Type) {
        case CnctReply:
        case UpdateMbr: {
            working_.Text.clear();
            const bool listed =
                std::any_of(members_.begin(), members_.end(),
                            [&](const CMember& m) { return m.MemberID == record.ID; });
            if (listed || members_.size() >= kMaxMembers)
                break;
            const std::string name = TruncateCp932(record.Text, kMaxMemberNameBytes);
            working_.Text = JoinNoticeHead() + name + JoinNoticeTail();
            members_.push_back(CMember{name, record.ID});
            break;
        }
        case DrawCard:
        case ScreenCard:
        case MoveCard:
        case ShuffleDeck:
        case PassCard:
        case GetCardStat:
        case ResetGrave:
            // Without a deck these are relayed as they came.
            if (cards_ != nullptr)
                cards_->ApplyCardOperation(record, working_);
            break;
        case Disconnect: {
            auto it = std::find_if(members_.begin(), members_.end(),
                                   [&](const CMember& m) { return m.MemberID == record.ID; });
            if (it == members_.end())
                break;
            members_.erase(it);
            if (cards_ != nullptr)
                cards_->ReleaseHolder(record.ID);
            break;
        }
        case ResetMembers:
            members_.clear();
            break;
        default:
            break;
    }
}

CMsg& CYarrowServ::AssembleMsg() {
    Trace(" CYarrowServ::AssembleMsg(%s)\r\n", CMsg::TypeName(working_.Type).c_str());
    sendMsg_ = working_;
    // A member record always carries the hub's whole list.
    if (PayloadOf(sendMsg_.Type) == PayloadKind::Members)
        sendMsg_.Members = members_;
    return sendMsg_;
}

void CYarrowServ::UpdateClients() {
    Trace(" CYarrowServ::UpdateClients\r\n");
    const CMsg& out = AssembleMsg();
    // One encoding for everybody: every connection gets the same bytes.
    const std::string bytes = out.Encode();
    std::vector<Failure> failures;
    for (auto& [id, connection] : connections_) {
        Trace("  ID:%d->", id);
        std::string errorText;
        if (!SendMsg(id, connection, bytes, errorText)) {
            failures.push_back({id, std::move(errorText)});
        }
    }
    // Dropped after the loop, and reported after dropping, so that a report
    // never runs while the table is being walked.
    for (const Failure& f : failures)
        CloseSocket(f.id, false);
    for (const Failure& f : failures)
        ReportError("SendMsg", out, f.text);
    if (relayObserver_)
        relayObserver_(out);
}

bool CYarrowServ::SendMsg(std::int32_t id, Connection& connection, const std::string& bytes,
                          std::string& errorText) {
    Trace(" CYarrowServ::SendMsg\r\n");
    const std::size_t unsent = connection.socket->UnsentBytes();
    if (unsent + bytes.size() > kMaxUnsentBytes) {
        char buffer[128];
        std::snprintf(buffer, sizeof buffer,
                      "the peer is not reading (%zu bytes unsent, limit %zu)", unsent,
                      kMaxUnsentBytes);
        errorText = buffer;
        return false;
    }
    connection.socket->Write(bytes);
    return true;
}

void CYarrowServ::CloseSocket(std::int32_t id, bool gracefully) {
    Trace(" CYarrowServ::CloseSocket\r\n");
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    IHubConnection* socket = it->second.socket;
    connections_.erase(it);
    if (gracefully) {
        socket->CloseGracefully();
    } else {
        socket->Abort();
    }
}

void CYarrowServ::ReportError(const std::string& operation, const CMsg& record,
                              const std::string& errorText) {
    if (owner_ != nullptr) {
        std::string memberName = "UnKnown";
        for (const CMember& m : members_) {
            if (m.MemberID == record.ID) {
                memberName = m.MemberName;
                break;
            }
        }
        std::string line = ErrorMark() + operation + "(" + CMsg::TypeName(record.Type) + "/" +
                           record.Name + "[" + std::to_string(record.ID) + ":" + memberName +
                           "]) : " + TruncateCp932(errorText, kMaxErrorTextBytes) + "</b>";
        owner_->AppendNoticeLine(line);
        owner_->RunMemberListCommand();
    }
    if (sound_ != nullptr)
        sound_->ErrorBeep();
}

void CYarrowServ::AddPastLog(const std::string& line) {
    if (!serving_)
        return;
    pastLog_.push_back(line);
    while (pastLog_.size() > kPastLogLines)
        pastLog_.pop_front();
}

std::string CYarrowServ::PastLogBlock() const {
    if (pastLog_.empty())
        return {};
    static const std::string head = "\r\n" + Sjis("====== 過去ログ ======") + "\r\n";
    static const std::string tail = "======================";
    // Newest lines first, as long as they fit; then written oldest first.
    std::size_t total = head.size() + tail.size();
    auto first = pastLog_.end();
    while (first != pastLog_.begin()) {
        const std::size_t size = std::prev(first)->size();
        if (total + size > kMaxPastLogBytes)
            break;
        total += size;
        --first;
    }
    std::string block;
    block.reserve(total);
    block += head;
    for (auto it = first; it != pastLog_.end(); ++it)
        block += *it;
    block += tail;
    return block;
}

std::string CYarrowServ::DeckSummary() const {
    if (cards_ != nullptr)
        return cards_->DeckSummary();
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%05d", -1);
    return buffer;
}

void CYarrowServ::PurgeCardHolders(const std::vector<std::int32_t>& listedIds) {
    if (cards_ == nullptr)
        return;
    for (const auto& [id, connection] : connections_) {
        if (std::find(listedIds.begin(), listedIds.end(), id) == listedIds.end())
            cards_->ReleaseHolder(id);
    }
}

void CYarrowServ::RelayGenerated(const CMsg& record) {
    StoreMsgItem(record);
    UpdateClients();
}

std::vector<std::int32_t> CYarrowServ::ConnectionIds() const {
    std::vector<std::int32_t> ids;
    for (const auto& [id, connection] : connections_)
        ids.push_back(id);
    return ids;
}

}  // namespace yarrow
