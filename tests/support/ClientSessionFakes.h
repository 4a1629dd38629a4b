#pragma once
// Recording fakes for the chat window's connection and dispatcher: the net
// tests and the dispatch fuzz target drive one window's core over them.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/CClientSession.h"
#include "net/CDispatcher.h"
#include "net/CMsgDecoder.h"
#include "net/ISessionPort.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "support/FakeSession.h"
#include "support/FixedClock.h"
#include "support/RecordingTargets.h"
#include "support/ScriptedPrompter.h"

namespace yarrow::test {

// Connect attempts end at once with the next scripted result (Connected
// when none is left), unless `holding`: then they wait for Finish().
class FakeTransport final : public IChatTransport {
  public:
    void BeginConnect(const std::string& address, int port, bool background) override {
        connects.push_back(address + ":" + std::to_string(port) +
                           (background ? " background" : ""));
        ConnectResult result;
        result.status = ConnectStatus::Connected;
        if (!results.empty()) {
            result = results.front();
            results.pop_front();
        }
        pending = result;
        if (!holding)
            Finish();
    }
    void Finish() {
        open = pending.status == ConnectStatus::Connected;
        if (session != nullptr)
            session->ConnectFinished(pending);
    }
    void AbandonConnect() override { ++abandons; }
    bool IsOpen() const override { return open; }
    bool Send(const std::string& bytes, std::string& errorText) override {
        if (!sendError.empty()) {
            errorText = sendError;
            return false;
        }
        CMsgDecoder decoder;
        decoder.Feed(bytes);
        CMsg msg;
        while (decoder.Next(msg) == CMsgDecoder::Status::Record)
            sent.push_back(msg);
        return true;
    }
    void Close() override {
        open = false;
        ++closes;
    }

    CClientSession* session = nullptr;
    bool open = false;
    bool holding = false;
    ConnectResult pending;
    std::deque<ConnectResult> results;
    std::vector<std::string> connects;
    std::vector<CMsg> sent;
    std::string sendError;
    int closes = 0;
    int abandons = 0;
};

// Makes hubs that listen on port 40123 (unless `canListen` is false) and
// records what was asked of them.
class FakeHubFactory final : public IHubFactory {
  public:
    struct Record {
        std::vector<int> listenedOn;
        int disconnections = 0;
        int destroyed = 0;
        std::vector<std::vector<std::int32_t>> purges;
    };
    class Hub final : public IOwnedHub {
      public:
        Hub(Record& record, bool canListen) : record_(record), canListen_(canListen) {}
        ~Hub() override { ++record_.destroyed; }
        bool ConnectSocket(int port) override {
            record_.listenedOn.push_back(port);
            return serving_ = canListen_;
        }
        bool IsServing() const override { return serving_; }
        int ListeningPort() const override { return serving_ ? 40123 : 0; }
        void Disconnection() override {
            serving_ = false;
            ++record_.disconnections;
        }
        std::vector<std::string> DeckSetNames() const override { return {"Trump", "Tarot"}; }
        void PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) override {
            record_.purges.push_back(liveIDs);
        }

      private:
        Record& record_;
        bool canListen_;
        bool serving_ = false;
    };
    std::unique_ptr<IOwnedHub> CreateHub() override {
        ++created;
        return std::make_unique<Hub>(record, canListen);
    }
    Record record;
    bool canListen = true;
    int created = 0;
};

// The session port over the session, as the chat view answers it.
class SessionPort final : public ISessionPort {
  public:
    explicit SessionPort(CClientSession& session) : session_(session) {}
    bool IsConnected() const override { return session_.IsConnected(); }
    std::int32_t MyID() const override { return session_.MyID(); }
    std::string MyName() const override { return session_.MyName(); }
    std::int32_t MyColor() const override { return session_.MyColor(); }
    std::string SpeakerName() const override { return speaker; }
    bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                  std::int32_t type) override {
        return session_.SendChat(name, text, color, type);
    }
    bool SendText(const std::string& text, std::int32_t type) override {
        return session_.SendText(text, type);
    }
    bool DoSerialize(const CMsg& msg) override { return session_.DoSerialize(msg); }

    std::string speaker = "Speaker";

  private:
    CClientSession& session_;
};

// One chat window's core: session plus dispatcher over the fakes.
struct Window {
    FakeTransport transport;
    FakeHubFactory hubs;
    ScriptedPrompter prompter;
    Recorder rec;
    FixedClock clock{1700000000};
    std::vector<std::uint32_t> seeds;
    CClientSession session{{transport, hubs, prompter, rec, rec, rec, rec, clock,
                            [this](std::uint32_t seed) { seeds.push_back(seed); }}};
    SessionPort port{session};
    FakeTimers timers;
    bool autoChart = false;
    // Questions the dispatcher put off until after the record.
    std::vector<std::function<void()>> later;
    CDispatcher dispatcher{
        {&session, port, rec, rec, rec, rec, rec, timers, prompter, clock,
         [this](std::function<void()> task) { later.push_back(std::move(task)); },
         [this] { rec.Add("alert"); }, [this] { return autoChart; }}};

    Window() {
        transport.session = &session;
        session.SetRecordHandler(&dispatcher);
    }

    // What the event loop does once the record in hand is handled.
    void RunLater() {
        auto tasks = std::move(later);
        later.clear();
        for (auto& task : tasks)
            task();
    }

    // Connected as client and through the handshake as member `id`.
    void Join(std::int32_t id, const std::string& name = "Me") {
        session.ConnectAndShow(name, true, "127.0.0.1", 15000, 0x123456);
        CMsg start;
        start.Type = CnctStart;
        start.ID = id;
        start.Param1 = kProtocolVersion;
        start.Param2 = kProgramVersionCode;
        start.Name = "00052Trump";
        session.ReceiveMsg(start);
        transport.sent.clear();
        rec.events.clear();
        prompter.prompts.clear();
    }
    void Receive(CMsg msg) { session.ReceiveMsg(msg); }
};

inline CMsg Record(std::int32_t type, std::int32_t id, const std::string& name = {},
                   const std::string& text = {}) {
    CMsg msg;
    msg.Type = type;
    msg.ID = id;
    msg.Name = name;
    msg.Text = text;
    return msg;
}

}  // namespace yarrow::test
