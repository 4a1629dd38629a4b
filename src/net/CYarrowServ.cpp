#include "net/CYarrowServ.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/Cp932.h"
#include "platform/SjisText.h"
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

// Records the deck and piles act on (see IHubCardState).
bool IsCardOperation(std::int32_t type) {
    switch (type) {
        case DrawCard:
        case ScreenCard:
        case MoveCard:
        case ShuffleDeck:
        case PassCard:
        case GetCardStat:
        case ResetGrave:
            return true;
        default:
            return false;
    }
}

// Records whose ID must be the sending connection's own: its join, its
// member entry, its leaving, a random take and every card operation.
bool ActsForSender(std::int32_t type) {
    switch (type) {
        case CnctReply:
        case UpdateMbr:
        case Disconnect:
        case RndmGet:
            return true;
        default:
            return IsCardOperation(type);
    }
}

// Error texts are cut as the system's error texts always were.
constexpr std::size_t kMaxErrorTextBytes = 256;

const std::string& ErrorMark() {
    static const std::string text = "<b>" + Sjis("※ ");
    return text;
}

}  // namespace

CYarrowServ::CYarrowServ(IHubListener* listener, IPrompter* prompter, ISound* sound,
                         const IClock* clock)
    : listener_(listener),
      prompter_(prompter),
      sound_(sound),
      clock_(clock != nullptr ? *clock : systemClock_) {
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
    table_.Clear();
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
    FlushRelayed();
    // Taken out of the table first, so nothing said to one connection can
    // reach the table while it is being emptied.
    auto connections = std::move(connections_);
    connections_.clear();
    fanOut_.clear();
    working_.Type = Disconnect;
    working_.Text = ShutdownNotice();
    CMsg& out = AssembleMsg();
    out.Close = 1;
    const std::string bytes = out.Encode();
    const auto label = std::make_shared<const RecordLabel>(LabelOf(out));
    for (auto& [id, connection] : connections) {
        Trace("  ID:%d->", id);
        std::string errorText;
        SendMsg(connection, bytes, label, errorText);
        connection.socket->CloseGracefully();
    }
    members_.clear();
    table_.Clear();
    heldCards_.clear();
}

std::int32_t CYarrowServ::ProcessPendingAccept(IHubConnection* connection) {
    Trace(" CYarrowServ::ProcessPendingAccept\r\n");
    if (connection == nullptr)
        return -1;
    // What was relayed before the newcomer arrived is not for it.
    FlushRelayed();
    if (!serving_ || nextMemberID_ == std::numeric_limits<std::int32_t>::max()) {
        // IDs are never reused, so once they run out nobody else can join.
        connection->Abort();
        if (serving_)
            AcceptFailed("no member IDs left");
        return -1;
    }
    const std::int32_t id = nextMemberID_++;
    Connection& entry = connections_[id];
    entry.id = id;
    entry.socket = connection;
    RebuildFanOut();
    entry.lastProgress = clock_.Now();
    entry.tableAtAccept = table_.Notes();
    if (cards_ != nullptr)
        cards_->AddHolder(id);

    CMsg start;
    start.Type = CnctStart;
    start.ID = id;
    start.Text = PastLogBlock();
    start.Name = DeckSummary();
    start.Param1 = CMsg::ProtocolVersion;
    start.Param2 = kProgramVersionCode;
    const auto label = std::make_shared<const RecordLabel>(LabelOf(start));
    std::string errorText;
    if (!SendMsg(entry, start.Encode(), label, errorText)) {
        CloseSocket(id, false);
        ReportError("SendMsg", *label, errorText);
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
    DrainConnection(id);
}

void CYarrowServ::DrainConnection(std::int32_t id) {
    DrainRecords(id);
    FlushRelayed();
}

void CYarrowServ::DrainRecords(std::int32_t id) {
    for (;;) {
        // Looked up afresh each time: a relay may have dropped this very
        // connection.
        auto it = connections_.find(id);
        if (it == connections_.end())
            return;
        Connection& connection = it->second;
        if (!connection.decoder.HasBufferedBytes())
            return;
        // The records not written yet count towards every queue.
        if (!relayed_.empty() && maxUnsent_ + relayed_.size() > kSoftUnsentBytes) {
            FlushRelayed();
            continue;
        }
        if (!connection.leaving && Backlogged()) {
            if (!connection.paused) {
                connection.paused = true;
                connection.socket->SetReadingPaused(true);
            }
            return;
        }
        if (ReadMsg(id, connection) != ReadResult::Record)
            return;
        // The first CnctReply of a connection is its join.
        const bool joining = working_.Type == CnctReply && !connection.joined;
        if (joining) {
            connection.joined = true;
            connection.name = SjisCut(working_.Text, kMaxMemberNameBytes);
        }
        const bool closing = working_.Close != 0;
        StoreReceived();
        if (closing) {
            CloseSocket(id, true);
            UpdateClients();
            return;
        }
        UpdateClients();
        if (joining) {
            WelcomeNewcomer(id);
            ReturnHeldCards(id);
        }
    }
}

bool CYarrowServ::Backlogged() const {
    if (maxUnsent_ <= kSoftUnsentBytes)
        return false;
    std::size_t longest = 0;
    for (const Connection* c : fanOut_)
        longest = std::max(longest, c->socket->UnsentBytes());
    maxUnsent_ = longest;
    return longest > kSoftUnsentBytes;
}

void CYarrowServ::SendProgress(std::int32_t id) {
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    NoteProgress(it->second, clock_.Now());
    ResumeIfClear();
}

void CYarrowServ::NoteProgress(Connection& connection, std::time_t now) {
    NoteProgress(connection, connection.socket->UnsentBytes(), now);
}

void CYarrowServ::NoteProgress(Connection& connection, std::size_t unsent, std::time_t now) {
    const std::uint64_t taken =
        connection.queued - std::min<std::uint64_t>(unsent, connection.queued);
    if (taken != connection.lastTaken || unsent == 0) {
        connection.lastTaken = taken;
        connection.lastProgress = now;
    }
}

void CYarrowServ::ResumeIfClear() {
    // Resuming relays records, which may fill the queues again and pause the
    // next connection; one pass at a time.
    if (resuming_)
        return;
    resuming_ = true;
    std::vector<std::int32_t> paused;
    for (const auto& [id, connection] : connections_) {
        if (connection.paused)
            paused.push_back(id);
    }
    for (std::int32_t id : paused) {
        if (Backlogged())
            break;
        auto it = connections_.find(id);
        if (it == connections_.end() || !it->second.paused)
            continue;
        it->second.paused = false;
        it->second.socket->SetReadingPaused(false);
        DrainConnection(id);
    }
    resuming_ = false;
}

void CYarrowServ::CheckStalledPeers() {
    const std::time_t now = clock_.Now();
    std::vector<Failure> failures;
    for (auto& [id, connection] : connections_) {
        NoteProgress(connection, now);
        const std::size_t unsent = connection.socket->UnsentBytes();
        if (unsent <= kSoftUnsentBytes || now - connection.lastProgress < kStallSeconds)
            continue;
        char buffer[160];
        std::snprintf(buffer, sizeof buffer,
                      "the participant has read nothing for %lld seconds (%zu bytes waiting)",
                      static_cast<long long>(now - connection.lastProgress), unsent);
        failures.push_back({id, connection.lastRecord, buffer});
    }
    DropAndReport(failures);
    ResumeIfClear();
    ReleaseExpiredCards(now);
}

CYarrowServ::ReadResult CYarrowServ::ReadMsg(std::int32_t id, Connection& connection) {
    Trace(" CYarrowServ::ReadMsg\r\n");
    // A received record is decoded straight into the working record (Next
    // replaces it whole), so relaying it takes no copy.
    switch (connection.decoder.Next(working_)) {
        case CMsgDecoder::Status::NeedMore:
            return ReadResult::NeedMore;
        case CMsgDecoder::Status::Record:
            // Joining, re-announcing, leaving and card records speak for the
            // sender itself, so they carry the ID this connection was given:
            // a peer must not announce or remove somebody else, nor draw,
            // move or give away somebody else's cards.
            if (ActsForSender(working_.Type))
                working_.ID = id;
            return ReadResult::Record;
        case CMsgDecoder::Status::Bad:
            break;
    }
    // The stream broke a bound or named an unknown type: its framing is lost,
    // and nothing that follows could be read reliably, so the connection goes.
    const RecordLabel label = LabelOf(connection.decoder.Partial());
    const std::string errorText = connection.decoder.ErrorText();
    CloseSocket(id, false);
    ReportError("ReadMsg", label, errorText);
    return ReadResult::Failed;
}

void CYarrowServ::ConnectionLost(std::int32_t id, const std::string& errorText) {
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    // Whatever the peer said before it went is relayed, its leaving record
    // included, however long the queues are.
    it->second.leaving = true;
    DrainConnection(id);
    it = connections_.find(id);
    if (it == connections_.end())
        return;  // its Close record (or a broken record) already ended it
    RecordLabel label = LabelOf(it->second.decoder.Partial());
    // Name the member whose connection it was, even when no record of it was
    // under way.
    if (!it->second.decoder.HeaderComplete())
        label.id = id;
    CloseSocket(id, false);
    ReportError("ReadMsg", label, errorText);
    ResumeIfClear();
}

void CYarrowServ::SendFailed(std::int32_t id, const std::string& errorText) {
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    DropAndReport({{id, it->second.lastRecord, errorText}});
    ResumeIfClear();
}

void CYarrowServ::DropAndReport(const std::vector<Failure>& failures) {
    // Dropped first, and reported after dropping, so that a report never
    // runs while the table is being walked.
    for (const Failure& f : failures)
        CloseSocket(f.id, false);
    for (const Failure& f : failures)
        ReportError("SendMsg", f.record ? *f.record : RecordLabel{}, f.text);
}

void CYarrowServ::StoreMsgItem(const CMsg& record) {
    if (TraceEnabled())
        Trace(" CYarrowServ::StoreMsgItem(%s)\r\n", CMsg::TypeName(record.Type).c_str());
    // The whole record becomes the working record, so whatever a type carries
    // is relayed without a list of fields to keep up to date.
    working_ = record;
    ApplyWorking(record);
}

void CYarrowServ::StoreReceived() {
    if (TraceEnabled())
        Trace(" CYarrowServ::StoreMsgItem(%s)\r\n", CMsg::TypeName(working_.Type).c_str());
    // A card operation reads the record as it came while it fills in the
    // working record, so it needs both.
    if (cards_ != nullptr && IsCardOperation(working_.Type)) {
        const CMsg received = working_;
        ApplyWorking(received);
        return;
    }
    ApplyWorking(working_);
}

void CYarrowServ::ApplyWorking(const CMsg& record) {
    // Close is the sender's own business and never relayed.
    working_.Close = 0;

    switch (record.Type) {
        case CnctReply:
        case UpdateMbr: {
            const bool listed =
                std::any_of(members_.begin(), members_.end(),
                            [&](const CMember& m) { return m.MemberID == record.ID; });
            if (listed || members_.size() >= kMaxMembers) {
                working_.Text.clear();
                break;
            }
            // Cut before the working record's text is replaced: `record` may
            // be the working record.
            std::string name = SjisCut(record.Text, kMaxMemberNameBytes);
            working_.Text = JoinNoticeHead() + name + JoinNoticeTail();
            members_.push_back(CMember{std::move(name), record.ID});
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
    if (TraceEnabled())
        Trace(" CYarrowServ::AssembleMsg(%s)\r\n", CMsg::TypeName(working_.Type).c_str());
    sendMsg_ = working_;
    // A member record always carries the hub's whole list.
    if (PayloadOf(sendMsg_.Type) == PayloadKind::Members)
        sendMsg_.Members = members_;
    return sendMsg_;
}

void CYarrowServ::UpdateClients() {
    Trace(" CYarrowServ::UpdateClients\r\n");
    // Only a member record adds anything to the working record; any other is
    // encoded as it is, without a copy (the trace shows the same steps).
    const bool members = PayloadOf(working_.Type) == PayloadKind::Members;
    if (!members && TraceEnabled())
        Trace(" CYarrowServ::AssembleMsg(%s)\r\n", CMsg::TypeName(working_.Type).c_str());
    const CMsg& out = members ? AssembleMsg() : working_;
    // One encoding for everybody: every connection gets the same bytes.
    if (table_.Keeps(out.Type)) {
        const auto encoded = std::make_shared<const std::string>(out.Encode());
        relayed_ += *encoded;
        table_.Note(out, encoded);
    } else {
        out.Encode(relayed_);
    }
    relayedLabel_ = RelayLabel(out);
    // Traced, every relay is written at once, so the trace follows it step
    // by step.
    if (TraceEnabled())
        FlushRelayed();
    if (relayObserver_)
        relayObserver_(out);
}

void CYarrowServ::FlushRelayed() {
    if (relayed_.empty())
        return;
    const auto label = std::move(relayedLabel_);
    relayedLabel_.reset();
    std::vector<Failure> failures;
    const bool tracing = TraceEnabled();
    // Every connection is written to, and each write raises the bound to
    // that queue's length, so the bound is exact again afterwards.
    maxUnsent_ = 0;
    // Writing never calls back into the hub, so the list stays as it is
    // while it is walked; failed connections are dropped afterwards.
    for (Connection* connection : fanOut_) {
        if (tracing)
            Trace("  ID:%d-> CYarrowServ::SendMsg\r\n", connection->id);
        std::string errorText;
        if (!Queue(*connection, relayed_, label, errorText))
            failures.push_back({connection->id, label, std::move(errorText)});
    }
    // A burst's buffer is given back; an ordinary one is kept for the next.
    if (relayed_.capacity() > kSoftUnsentBytes)
        relayed_ = std::string();
    relayed_.clear();
    if (!failures.empty())
        DropAndReport(failures);
}

void CYarrowServ::WelcomeNewcomer(std::int32_t id) {
    const auto joined = connections_.find(id);
    if (joined == connections_.end())
        return;
    // What was relayed since it was accepted reaches it by relay.
    const std::vector<CTableMemory::Kept> records = table_.Replay(joined->second.tableAtAccept);
    if (records.empty())
        return;
    // Its join notice goes first; writing it may drop connections, so
    // before the look-up.
    FlushRelayed();
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    Trace(" CYarrowServ::WelcomeNewcomer(ID:%d, %zu records)\r\n", id, records.size());
    for (const CTableMemory::Kept& record : records) {
        // A window ignores its own lock; one that comes back under a new ID
        // would take its own old lock for somebody else's.
        if (record.type == ChartLock && record.text == it->second.name)
            continue;
        const auto label =
            std::make_shared<const RecordLabel>(RecordLabel{record.type, {}, record.id});
        std::string errorText;
        if (!SendMsg(it->second, *record.bytes, label, errorText)) {
            DropAndReport({{id, label, std::move(errorText)}});
            return;
        }
    }
}

bool CYarrowServ::SendMsg(Connection& connection, const std::string& bytes,
                          const std::shared_ptr<const RecordLabel>& record,
                          std::string& errorText) {
    FlushRelayed();
    Trace(" CYarrowServ::SendMsg\r\n");
    return Queue(connection, bytes, record, errorText);
}

bool CYarrowServ::Queue(Connection& connection, const std::string& bytes,
                        const std::shared_ptr<const RecordLabel>& record, std::string& errorText) {
    const std::size_t unsent = connection.socket->UnsentBytes();
    // A queue that was empty starts its stall clock now, not at the last look.
    if (unsent == 0)
        NoteProgress(connection, 0, clock_.Now());
    if (connection.lastRecord != record)
        connection.lastRecord = record;
    if (!connection.socket->Write(bytes, errorText))
        return false;
    connection.queued += bytes.size();
    maxUnsent_ = std::max(maxUnsent_, unsent + bytes.size());
    return true;
}

void CYarrowServ::CloseSocket(std::int32_t id, bool gracefully) {
    Trace(" CYarrowServ::CloseSocket\r\n");
    // What was relayed before still reaches the connection that closes.
    FlushRelayed();
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    IHubConnection* socket = it->second.socket;
    const bool vanished = !gracefully && it->second.joined;
    const std::string name = std::move(it->second.name);
    connections_.erase(it);
    RebuildFanOut();
    // The purge only reaches connections still in the table: a closed one
    // gives its cards back now, unless it vanished without a goodbye and
    // may come back.
    if (cards_ != nullptr) {
        if (vanished && serving_)
            HoldCards(id, name);
        else
            cards_->RemoveHolder(id);
    }
    if (gracefully) {
        socket->CloseGracefully();
    } else {
        socket->Abort();
    }
}

std::shared_ptr<const CYarrowServ::RecordLabel> CYarrowServ::RelayLabel(const CMsg& record) {
    // A sender's remarks one after another share one label.
    const RecordLabel* last = relayLabel_.get();
    if (last == nullptr || last->type != record.Type || last->id != record.ID ||
        record.Name.size() > kMaxMemberNameBytes || last->name != record.Name)
        relayLabel_ = std::make_shared<const RecordLabel>(LabelOf(record));
    return relayLabel_;
}

CYarrowServ::RecordLabel CYarrowServ::LabelOf(const CMsg& record) {
    // A name is a handle; a hostile one is not copied whole into every report.
    return {record.Type, SjisCut(record.Name, kMaxMemberNameBytes), record.ID};
}

void CYarrowServ::ReportError(const std::string& operation, const RecordLabel& record,
                              const std::string& errorText) {
    if (owner_ != nullptr) {
        std::string memberName = "UnKnown";
        for (const CMember& m : members_) {
            if (m.MemberID == record.id) {
                memberName = m.MemberName;
                break;
            }
        }
        std::string line = ErrorMark() + operation + "(" + CMsg::TypeName(record.type) + "/" +
                           record.name + "[" + std::to_string(record.id) + ":" + memberName +
                           "]) : " + SjisCut(errorText, kMaxErrorTextBytes) + "</b>";
        owner_->AppendNoticeLine(line);
        owner_->RunMemberListCommand();
    }
    if (sound_ != nullptr)
        sound_->ErrorBeep();
}

void CYarrowServ::HoldCards(std::int32_t id, const std::string& name) {
    // One set of kept cards per name: an older one goes back first.
    auto it = heldCards_.find(name);
    if (it != heldCards_.end()) {
        cards_->RemoveHolder(it->second.holder);
        heldCards_.erase(it);
    }
    heldCards_[name] = HeldCards{id, clock_.Now()};
    Trace(" CYarrowServ::HoldCards(ID:%d %s)\r\n", id, name.c_str());
}

void CYarrowServ::ReturnHeldCards(std::int32_t id) {
    if (cards_ == nullptr || heldCards_.empty())
        return;
    FlushRelayed();
    ReleaseExpiredCards(clock_.Now());
    const auto connection = connections_.find(id);
    if (connection == connections_.end())
        return;
    auto it = heldCards_.find(connection->second.name);
    if (it == heldCards_.end())
        return;
    Trace(" CYarrowServ::ReturnHeldCards(ID:%d->ID:%d %s)\r\n", it->second.holder, id,
          it->first.c_str());
    const std::int32_t holder = it->second.holder;
    heldCards_.erase(it);
    // The window of a member that joins starts with empty lists: the cards
    // come back into its hand as a pass from its old self, to it alone.
    CMsg pass;
    pass.Type = PassCard;
    pass.ID = holder;
    pass.Name = connection->second.name;
    pass.Param1 = id;
    pass.Strings = cards_->TransferHolder(holder, id);
    if (pass.Strings.empty())
        return;
    const auto label = std::make_shared<const RecordLabel>(LabelOf(pass));
    std::string errorText;
    if (!SendMsg(connection->second, pass.Encode(), label, errorText))
        DropAndReport({{id, label, std::move(errorText)}});
}

void CYarrowServ::ReleaseExpiredCards(std::time_t now) {
    for (auto it = heldCards_.begin(); it != heldCards_.end();) {
        if (now - it->second.since < kCardGraceSeconds) {
            ++it;
            continue;
        }
        Trace(" CYarrowServ::ReleaseHeldCards(ID:%d %s)\r\n", it->second.holder, it->first.c_str());
        if (cards_ != nullptr)
            cards_->RemoveHolder(it->second.holder);
        it = heldCards_.erase(it);
    }
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
    FlushRelayed();
}

void CYarrowServ::RebuildFanOut() {
    fanOut_.clear();
    for (auto& [id, connection] : connections_)
        fanOut_.push_back(&connection);
}

std::vector<std::int32_t> CYarrowServ::ConnectionIds() const {
    std::vector<std::int32_t> ids;
    for (const auto& [id, connection] : connections_)
        ids.push_back(id);
    return ids;
}

}  // namespace yarrow
