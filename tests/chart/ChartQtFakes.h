#pragma once
// Fakes for the chart window's tests: scripted dialogs, and participants
// joined by a loop that delivers every sent record to every window, the
// sender's included, as the hub does.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <memory>

#include "chart/qt/CChartWindow.h"
#include "chart/qt/IChartDialogs.h"
#include "net/CDispatcher.h"
#include "net/CMsg.h"
#include "platform/IPrompter.h"
#include "support/FakeSession.h"
#include "support/FixedClock.h"
#include "support/RecordingTargets.h"
#include "support/ScriptedPrompter.h"

namespace yarrow::test {

class ScriptedDialogs final : public IChartDialogs {
  public:
    std::optional<std::string> OpenFileName(QWidget*) override { return openPath; }
    std::optional<std::string> SaveFileName(QWidget*) override { return savePath; }
    std::optional<QString> AskColumnHeader(QWidget*) override {
        if (whileAsking)
            whileAsking();
        return header;
    }
    std::optional<std::vector<int>> ChooseColumnsToDelete(const QStringList& headers, IPrompter&,
                                                          QWidget*) override {
        offered = headers;
        if (whileAsking)
            whileAsking();
        return columns;
    }
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    std::optional<QString> header;
    // Runs while a column dialog is open (records arriving meanwhile).
    std::function<void()> whileAsking;
    std::optional<std::vector<int>> columns;
    QStringList offered;
};

// One participant's chart window with the real dispatcher in front of it, so
// records reach the window as they do in the program. Sends go to the
// session (a FakeSession), and through a LoopHub to every participant.
struct ChartPeer {
    ChartPeer(std::int32_t id, const std::string& name) : dialogs(new ScriptedDialogs) {
        session.myId = id;
        session.myName = name;
        window = std::make_unique<CChartWindow>(session, prompter, nullptr,
                                                std::unique_ptr<IChartDialogs>(dialogs));
        dispatcher = std::make_unique<CDispatcher>(
            CDispatcher::Deps{nullptr,
                              session,
                              session,
                              rec,
                              *window,
                              rec,
                              rec,
                              timers,
                              prompter,
                              clock,
                              [](std::function<void()> task) { task(); },
                              {},
                              [this] { return autoShow; }});
    }
    void Receive(CMsg msg) { dispatcher->Dispatch(msg); }
    int LocksSent() const {
        int n = 0;
        for (const CMsg& msg : session.records)
            n += msg.Type == ChartLock;
        return n;
    }

    FakeSession session;
    Recorder rec;
    FakeTimers timers;
    ScriptedPrompter prompter;
    FixedClock clock;
    bool autoShow = true;
    ScriptedDialogs* dialogs;  // owned by the window
    std::unique_ptr<CChartWindow> window;
    std::unique_ptr<CDispatcher> dispatcher;
};

// Relays every record to every attached participant in attach order, the
// sender's own window included, as the hub does.
class LoopHub {
  public:
    void Attach(ChartPeer& peer) {
        peer.session.relay = [this](const CMsg& msg) { Relay(msg); };
        peers_.push_back(&peer);
    }
    void Relay(const CMsg& msg) {
        for (ChartPeer* peer : peers_)
            peer->Receive(msg);
    }

  private:
    std::vector<ChartPeer*> peers_;
};

}  // namespace yarrow::test
