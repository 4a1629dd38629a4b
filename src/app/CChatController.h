#pragma once
// What the chat view does, as opposed to what it shows: it owns the
// connection (session, socket, the hub it may run), the dispatcher, the
// roller with its plug-ins, the countdown, the debug codes and the modeless
// windows, and wires them to the frame's widgets. Each feature's rules live in
// its own objects; this class answers the session port (who this member is,
// sending) and the dice controls with the window's state, and passes results
// on. The chat log (CChatLog) is every feature's log sink.

#include <QObject>
#include <QPointer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "chat/CDebugCodes.h"
#include "dice/IDiceControls.h"
#include "map/IMapHost.h"
#include "net/DispatchTargets.h"
#include "net/IHubOwner.h"
#include "net/ISessionPort.h"
#include "net/SessionTargets.h"
#include "platform/IClock.h"
#include "platform/IPrompter.h"
#include "platform/IWindowTimers.h"

class QTimer;
class QWidget;

namespace yarrow {

class CCardDialog;
class CCardSender;
class CChartWindow;
class CChatCommands;
class CChatLog;
class CChatSocket;
class CClientSession;
class CCountdown;
class CDebugCodes;
class CDiceRoller;
class CDiceTemplateView;
class CDispatcher;
class CInputLine;
class CMapBook;
class CMapPropSheet;
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
                              public ISessionPort,
                              public IDiceControls,
                              public IWindowTimers,
                              public IFrameTarget,
                              public IHubOwner,
                              public IMapTarget,
                              public IMapHost {
    Q_OBJECT
  public:
    // Installs itself into the application's start-up; the objects that need
    // the main window are made while the application starts.
    explicit CChatController(CYarrowApp& app);
    ~CChatController() override;

    // Joins or hosts as the command line asked, with the settings file's
    // defaults for what it did not give. A join link without a name opens the
    // connect dialog filled in with its hub; an unusable link is explained in
    // a message box and connects nowhere. False when no attempt could start;
    // the connection itself is made on the event loop.
    bool ConnectFromCommandLine(const CommandLineRequest& request);

    CClientSession& Session() const { return *session_; }
    CChartWindow* ChartWindow() const { return chart_; }
    CMapPropSheet* MapWindow() const { return mapWindow_; }
    CWhisperWindow* WhisperWindow() const { return whisper_; }
    CCardDialog* CardWindow() const { return cards_; }
    CPlayerListView* PlayerList() const { return players_; }
    // Every map page; made with the modeless windows at start-up.
    CMapBook& MapBook() const { return *maps_; }
    // Where a map window sends from (SendMap).
    IMapHost& MapHost() { return *this; }
    // The map window that renders the book; without one a received map still
    // updates the book and its "updated" notice reaches the log.
    void SetMapView(IMapView* view) { mapView_ = view; }
    CDebugCodes& DebugCodes() const { return *debug_; }
    // The timer behind a window timer number (nullptr before its first start).
    QTimer* Timer(int timerId) const;

    // ISessionPort.
    bool IsConnected() const override;
    std::int32_t MyID() const override;
    std::string MyName() const override;
    std::int32_t MyColor() const override;
    std::string SpeakerName() const override;
    bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                  std::int32_t type) override;
    bool SendText(const std::string& text, std::int32_t type) override;
    bool DoSerialize(const CMsg& msg) override;
    // IMapHost: the map window sends its pages through the same writer.
    bool DoSerialize(CMsg& msg) override;

    // IDiceControls.
    bool IsShiftDown() const override;
    bool BeginCountdown(std::int32_t totalSeconds, std::int32_t intervalSeconds) override;
    void CancelCountdown() override;
    std::int32_t CountdownRemainingMs() const override;
    void DrawCard(bool open) override;
    std::string ExpressionText() const override;
    bool IsExpressionPicked() const override;
    std::vector<std::string> ExpressionEntries() const override;
    void AddExpressionEntry(const std::string& text) override;
    void SelectExpressionEntry(int index) override;

    // IWindowTimers: the view's timers 1 and 2 (countdown), 3 (member check)
    // and 4 (reconnecting).
    bool StartTimer(int timerId, int periodMs) override;
    void KillTimer(int timerId) override;

    // IFrameTarget.
    void SetCaption(const std::string& text) override;
    void SetConnectedMenu(bool connected) override;
    void SetConnectionStatus(const std::string& text) override;

    // IHubOwner.
    void AppendNoticeLine(const std::string& text) override;
    void RunMemberListCommand() override;

    // IMapTarget: applies the map to the book and tells the map view.
    void ReceiveMap(CMsg& msg) override;

  private:
    // Start-up stages (the application's hooks).
    void BuildObjects(CMainFrame& frame);
    void ApplySettings(const CSettings& settings);
    void CreateWindows(CMainFrame& frame);
    void PaneInitialUpdates(CMainFrame& frame);
    void RegisterCommands(CMainFrame& frame);
    void WireScrollTrace();

    // `link`: a join link's hub, filled into the dialog.
    void OnConnectCommand(const CommandLineRequest* link = nullptr);
    void OnOptionsCommand();
    void ShowWhisperWindow(std::int32_t presetTarget);
    void AlertCall();
    // An arriving map keeps the keyboard focus where the user was typing.
    void RememberFocus();
    void RestoreFocus();
    std::vector<MapFigures> MapStatistics() const;
    void OnTimer(int timerId);
    void UpdateMaintenanceItem();
    // The host's "デッキ切替": its hub switches the deck and tells everybody.
    void SwitchDeck(int index);
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
    std::unique_ptr<CTraceLog> trace_;
    std::unique_ptr<CDebugCodes> debug_;
    CChatCommands* commands_ = nullptr;

    CPlayerListView* players_ = nullptr;
    CDiceTemplateView* templates_ = nullptr;
    CChartWindow* chart_ = nullptr;
    CWhisperWindow* whisper_ = nullptr;
    CMapPropSheet* mapWindow_ = nullptr;
    // The card window sends through the session port; made before the
    // session, which tells it the deck of every hub it joins.
    std::unique_ptr<CCardSender> cardSender_;
    CCardDialog* cards_ = nullptr;
    std::unique_ptr<CMapBook> maps_;
    IMapView* mapView_ = nullptr;

    std::map<int, QTimer*> timers_;
    QPointer<QWidget> focusBefore_;
    bool autoChartShow_ = true;
};

}  // namespace yarrow
