#pragma once
// The hub a window runs when its user connects as server: the epoll hub
// network on a thread of its own (CHubThread), with the window as its
// operator (error notices, the member-list command), its card state, and the
// past log it writes from what it relays. The window joins it over TCP like
// every other member.
//
// What the hub says to the window (notices, the member-list command, the
// error sound) is posted to the window's thread and runs there in its turn;
// what the window asks of the hub runs on the hub's thread while the window
// waits. Listening, and reporting that it failed, happens on the window's
// thread before the hub's thread starts.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/CMsg.h"
#include "net/IHubOwner.h"
#include "net/SessionTargets.h"
#include "platform/ISound.h"

namespace yarrow {

class CEpollHubNetwork;
class CHubThread;
class IClock;
class IHubCardState;
class IPrompter;

// The past-log line of a relayed record, given the hub's member list; none
// for records that leave no line. Called on the hub's thread.
using PastLogRule =
    std::function<std::optional<std::string>(const CMsg& relayed, const std::vector<CMember>&)>;

class COwnedHub final : public IOwnedHub {
  public:
    // `cards` is the hub's deck and piles, already loaded (null: no deck);
    // the hub's thread uses it alone. `pastLog` turns relayed records into
    // past-log lines (empty: none). `clock` (null: the system clock) tells
    // how long a peer has been stalled.
    COwnedHub(IHubOwner& owner, IPrompter& prompter, ISound& sound,
              std::unique_ptr<IHubCardState> cards, PastLogRule pastLog = {},
              const IClock* clock = nullptr);
    // Shuts the hub down if it still serves and gives its connections a
    // moment to deliver their last bytes (CHubThread::Stop).
    ~COwnedHub() override;

    bool ConnectSocket(int port) override;
    bool IsServing() const override;
    int ListeningPort() const override;
    void Disconnection() override;
    std::vector<std::string> DeckSetNames() const override;
    void PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) override;

    std::vector<CMember> Members() const;
    // The operator's deck switch to set `index`: every member's piles are
    // forgotten and everybody is told the deck now in use. Returns the
    // InitDeck relayed, or none when nothing changed (see
    // IHubCardState::SwitchDeck) or there is no card state.
    std::optional<CMsg> SwitchDeck(int index);
    void SetTableMemory(bool on);
    // Runs `task` with the hub's network on the hub's thread and waits.
    void Call(const std::function<void(CEpollHubNetwork&)>& task) const;

  private:
    // The window's side of the hub's calls out, posted to `context`'s thread.
    class CPostedOwner final : public IHubOwner {
      public:
        CPostedOwner(QObject& context, IHubOwner& owner) : context_(context), owner_(owner) {}
        void AppendNoticeLine(const std::string& text) override;
        void RunMemberListCommand() override;

      private:
        QObject& context_;
        IHubOwner& owner_;
    };
    class CPostedSound final : public ISound {
      public:
        CPostedSound(QObject& context, ISound& sound) : context_(context), sound_(sound) {}
        void Tone(int hertz, int milliseconds) override;
        void ErrorBeep() override;

      private:
        QObject& context_;
        ISound& sound_;
    };

    // Declared before the hub's thread, which refers to them until it ends:
    // posts still queued when the context goes are dropped with it.
    QObject context_;
    CPostedOwner owner_;
    CPostedSound sound_;
    std::unique_ptr<IHubCardState> cards_;
    std::unique_ptr<CHubThread> thread_;
};

// Makes a window's hubs, each with that window as its operator and with the
// card state `makeCards` gives it (the deck sets it has read; none: no deck).
class COwnedHubFactory final : public IHubFactory {
  public:
    using CardStateMaker = std::function<std::unique_ptr<IHubCardState>()>;
    COwnedHubFactory(IHubOwner& owner, IPrompter& prompter, ISound& sound,
                     CardStateMaker makeCards = {}, PastLogRule pastLog = {})
        : owner_(owner),
          prompter_(prompter),
          sound_(sound),
          makeCards_(std::move(makeCards)),
          pastLog_(std::move(pastLog)) {}
    std::unique_ptr<IOwnedHub> CreateHub() override;
    // Asked as each hub is made: whether it keeps the table for newcomers
    // (unset: it does).
    void SetTableMemoryQuery(std::function<bool()> query) { tableMemory_ = std::move(query); }

  private:
    IHubOwner& owner_;
    IPrompter& prompter_;
    ISound& sound_;
    CardStateMaker makeCards_;
    PastLogRule pastLog_;
    std::function<bool()> tableMemory_;
};

}  // namespace yarrow
