#pragma once
// What the chat view does, as opposed to what it shows: it owns the
// connection (session, socket, the hub it may run), the dispatcher, the
// roller with its plug-ins, the countdown, the debug codes and the modeless
// windows, and wires them to the frame's widgets. Each feature's rules live in
// its own objects; this class only answers their small interfaces with the
// window's state and passes results on.

#include <QObject>
#include <QPointer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "chart/IChartHost.h"
#include "chat/CCountdown.h"
#include "chat/CDebugCodes.h"
#include "chat/InputRules.h"
#include "dice/IDiceHost.h"
#include "map/IMapHost.h"
#include "net/DispatchTargets.h"
#include "net/IHubOwner.h"
#include "net/SessionTargets.h"
#include "platform/IClock.h"
#include "platform/IPrompter.h"

class QTimer;
class QWidget;

namespace yarrow {

class CChartWindow;
class CChatCommands;
class CChatLog;
class CChatSocket;
class CClientSession;
class CDiceRoller;
class CDiceTemplateView;
class CDispatcher;
class CInputLine;
class CMapBook;
class IMapView;
class CMainFrame;
class COwnedHub;
class COwnedHubFactory;
class CPlayerListView;
class CPluginRegistry;
class CSettings;
class CTraceLog;
class CWhisperWindow;
class CYarrowApp;
struct CommandLineRequest;

class CChatController final : public QObject,
                              public IChatViewPort,
                              public IChatLogTarget,
                              public IChatViewTarget,
                              public IFrameTarget,
                              public IDiceHost,
                              public IChartHost,
                              public IDebugHost,
                              public IWindowTimers,
                              public IHubOwner,
                              public IMapTarget,
                              public IMapHost,
                              public ICardTarget {
    Q_OBJECT
  public:
    // Installs itself into the application's start-up; the objects that need
    // the main window are made while the application starts.
    explicit CChatController(CYarrowApp& app);
    ~CChatController() override;

    // Joins or hosts as the command line asked, with the settings file's
    // defaults for what it did not give. False when the connection failed.
    bool ConnectFromCommandLine(const CommandLineRequest& request);

    CClientSession& Session() const { return *session_; }
    CChartWindow* ChartWindow() const { return chart_; }
    CWhisperWindow* WhisperWindow() const { return whisper_; }
    CPlayerListView* PlayerList() const { return players_; }
    // Every map page; made with the modeless windows at start-up.
    CMapBook& MapBook() const { return *maps_; }
    // Where a map window sends from (SendMap).
    IMapHost& MapHost() { return *this; }
    // The map window that renders the book; without one a received map still
    // updates the book and its "updated" notice reaches the log.
    void SetMapView(IMapView* view) { mapView_ = view; }

    // IChatViewPort, IDiceHost, IChartHost (shared operations).
    bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                  std::int32_t type) override;
    bool SendText(const std::string& text, std::int32_t type) override;
    bool DoSerialize(CMsg& msg) override;
    void AppendChatLine(const std::string& name, const std::string& text, std::int32_t color,
                        std::int32_t type) override;
    void AppendNoticeLine(const std::string& text) override;
    bool IsConnected() const override;
    bool IsConnected() override;
    std::int32_t MyID() const override;
    std::string MyName() const override;
    std::int32_t MyColor() const override;
    std::int32_t MyColor() override;
    std::string SpeakerName() override;
    std::string SpeakerName() const override;

    // IChatLogTarget.
    void CloseTextLog() override;

    // IChatViewTarget.
    bool IsAutoChartShow() const override { return autoChartShow_; }
    void RememberFocus() override;
    void RestoreFocus() override;
    void AlertCall() override;
    void StartMemberCheckTimer(int milliseconds) override;

    // IFrameTarget.
    void SetCaption(const std::string& text) override;
    void SetConnectedMenu(bool connected) override;

    // IDiceHost (the rest).
    bool IsShiftDown() override;
    bool BeginCountdown(std::int32_t totalSeconds, std::int32_t intervalSeconds) override;
    void CancelCountdown() override;
    std::int32_t CountdownRemainingMs() override;
    void DrawCard(bool open) override;
    std::string ExpressionText() override;
    bool IsExpressionPicked() override;
    std::vector<std::string> ExpressionEntries() override;
    void AddExpressionEntry(const std::string& text) override;
    void SelectExpressionEntry(int index) override;

    // IDebugHost.
    std::string LogColorTable() const override;
    std::string LogControlRtf() const override;
    std::vector<MapFigures> MapStatistics() const override;
    bool IsHosting() const override;
    std::vector<CMember> HubMembers() const override;
    void RebuildMemberView(const std::vector<CMember>& members) override;
    bool OpenTraceLog() override;
    bool IsTraceLogOpen() const override;
    void CloseTraceLog() override;

    // IWindowTimers: the view's timers 1 and 2 (countdown) and 3 (member check).
    bool StartTimer(int timerId, int periodMs) override;
    void KillTimer(int timerId) override;

    // IHubOwner.
    void RunMemberListCommand() override;

    // IMapTarget: applies the map to the book and tells the map view.
    void ReceiveMap(CMsg& msg) override;

    // ICardTarget: until the card window exists the dispatcher's lines are
    // all a member sees of the cards.
    void SetDeckSetNames(const std::vector<std::string>&) override {}
    void SetDeckLine(const std::string&, std::int32_t) override {}
    void SetCardsLeft(std::int32_t) override {}
    void AddToHand(std::int32_t, const std::string&) override {}
    void SetPlayers(const std::vector<CMember>&) override {}
    void RemovePlayer(std::int32_t) override {}
    void FollowDiscardMove(std::int32_t, const std::vector<std::string>&) override {}
    void ShowCardStat(std::int32_t, std::int32_t, const std::vector<std::string>&) override {}
    void ClearDiscard() override {}
    void ResetDeck(const std::string&, std::int32_t) override {}
    void GiveRandomCard(std::int32_t) override {}

  private:
    // Start-up stages (the application's hooks).
    void BuildObjects(CMainFrame& frame);
    void ApplySettings(const CSettings& settings);
    void CreateWindows(CMainFrame& frame);
    void PaneInitialUpdates(CMainFrame& frame);
    void RegisterCommands(CMainFrame& frame);

    void OnConnectCommand();
    void OnOptionsCommand();
    void ShowWhisperWindow(std::int32_t presetTarget);
    void OnTimer(int timerId);
    void UpdateMaintenanceItem();
    COwnedHub* ServingHub() const;
    CInputLine* Input() const;

    // Asks through whatever prompter the frame has at the moment of asking,
    // so a prompter put in after start-up (tests) is the one every part uses.
    class FramePrompter final : public IPrompter {
      public:
        explicit FramePrompter(CChatController& owner) : owner_(owner) {}
        PromptAnswer Ask(const std::string& text, const std::string& caption, PromptIcon icon,
                         PromptButtons buttons) override;

      private:
        CChatController& owner_;
    };

    CYarrowApp& app_;
    CSystemClock clock_;
    FramePrompter prompter_{*this};
    CMainFrame* frame_ = nullptr;
    CChatLog* log_ = nullptr;

    std::unique_ptr<COwnedHubFactory> hubFactory_;
    std::unique_ptr<CChatSocket> socket_;
    std::unique_ptr<CClientSession> session_;
    std::unique_ptr<CDispatcher> dispatcher_;
    std::unique_ptr<CPluginRegistry> plugins_;
    std::unique_ptr<CDiceRoller> roller_;
    std::unique_ptr<CCountdown> countdown_;
    std::unique_ptr<CDebugCodes> debug_;
    std::unique_ptr<CTraceLog> trace_;
    CChatCommands* commands_ = nullptr;

    CPlayerListView* players_ = nullptr;
    CDiceTemplateView* templates_ = nullptr;
    CChartWindow* chart_ = nullptr;
    CWhisperWindow* whisper_ = nullptr;
    std::unique_ptr<CMapBook> maps_;
    IMapView* mapView_ = nullptr;

    std::map<int, QTimer*> timers_;
    QPointer<QWidget> focusBefore_;
    bool autoChartShow_ = true;
};

}  // namespace yarrow
