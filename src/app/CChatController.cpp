#include "app/CChatController.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>

#include "app/CMainFrame.h"
#include "app/CStatusPanes.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "app/Version.h"
#include "cards/CCardSender.h"
#include "cards/CHubCardState.h"
#include "cards/qt/CCardDialog.h"
#include "chart/qt/CChartWindow.h"
#include "chat/CChatLog.h"
#include "chat/CCountdown.h"
#include "chat/CDebugCodes.h"
#include "chat/CHubPastLogFeeder.h"
#include "chat/CMemberList.h"
#include "chat/CTraceLog.h"
#include "chat/CommandIds.h"
#include "chat/qt/CChatCommands.h"
#include "chat/qt/CConnectDialog.h"
#include "chat/qt/CInputLine.h"
#include "chat/qt/COptionPropSheet.h"
#include "chat/qt/CPlayerListView.h"
#include "chat/qt/CWhisperWindow.h"
#include "dice/CDiceRoller.h"
#include "dice/CMersenneTwister.h"
#include "dice/CPluginRegistry.h"
#include "dice/qt/CDiceTemplateView.h"
#include "dice/qt/CDiceTmplOptionDlg.h"
#include "dice/qt/CExpressionCombo.h"
#include "map/CMapBook.h"
#include "map/IMapView.h"
#include "map/qt/CMapPropSheet.h"
#include "net/CClientSession.h"
#include "net/CDispatcher.h"
#include "net/SessionText.h"
#include "net/qt/CChatSocket.h"
#include "net/qt/COwnedHub.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/ISound.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"

namespace yarrow {

namespace {

// The call alert: three 800 Hz tones of 300 ms with 50 ms between them,
// scheduled on the event loop so the window keeps painting meanwhile.
constexpr int kCallBeeps = 3;
constexpr int kCallBeepHertz = 800;
constexpr int kCallBeepMs = 300;
constexpr int kCallBeepGapMs = 50;

// The scroll codes of the debug scroll trace, as the log's scroll bar
// actions map onto them; end-of-scroll has no action and is never traced.
int ScrollCode(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            return 0;
        case QAbstractSlider::SliderSingleStepAdd:
            return 1;
        case QAbstractSlider::SliderPageStepSub:
            return 2;
        case QAbstractSlider::SliderPageStepAdd:
            return 3;
        case QAbstractSlider::SliderMove:
            return 5;
        case QAbstractSlider::SliderToMinimum:
            return 6;
        case QAbstractSlider::SliderToMaximum:
            return 7;
        default:
            return 4;
    }
}

}  // namespace

CChatController::CChatController(CYarrowApp& app) : app_(app) {
    StartupHooks hooks;
    hooks.beforeSettings = [this](CMainFrame& frame) { BuildObjects(frame); };
    hooks.settingsLoaded = [this](CMainFrame&, const CSettings& s) { ApplySettings(s); };
    hooks.createWindows = [this](CMainFrame& frame) { CreateWindows(frame); };
    hooks.paneInitialUpdates = [this](CMainFrame& frame) { PaneInitialUpdates(frame); };
    app_.SetHooks(std::move(hooks));
}

CChatController::~CChatController() {
    // Leave quietly before the objects the session reports to go away.
    if (session_)
        session_->Disconnect(true);
    dispatcher_.reset();
    session_.reset();
    socket_.reset();
    for (auto& [id, timer] : timers_)
        delete timer;
    delete chart_;
    delete whisper_;
    delete cards_;
    cards_ = nullptr;
    // The map window draws the book's pages: it goes before them.
    mapView_ = nullptr;
    if (frame_ != nullptr && frame_->ChatView() != nullptr)
        frame_->ChatView()->SetModelessWindow(ModelessWindow::Map, nullptr);
    delete mapWindow_;
    mapWindow_ = nullptr;
    maps_.reset();
    roller_.reset();
    plugins_.reset();
}

PromptAnswer CChatController::FramePrompter::Ask(const std::string& text,
                                                 const std::string& caption, PromptIcon icon,
                                                 PromptButtons buttons) {
    return owner_.frame_->Prompter().Ask(text, caption, icon, buttons);
}

// ---------------------------------------------------------------------------
// Start-up

void CChatController::BuildObjects(CMainFrame& frame) {
    frame_ = &frame;
    log_ = &app_.ChatLog();
    const std::string folder = app_.ProgramFolder();

    // The dice generator starts from the time, like every connection later.
    RandomSeed(static_cast<std::uint32_t>(std::time(nullptr)));
    plugins_ = std::make_unique<CPluginRegistry>(
        PluginFolders(folder, CurrentProgramFolders().installedPlugins));
    roller_ = std::make_unique<CDiceRoller>(*this, *log_, *this, CMersenneTwister::Process(),
                                            folder + "Chart.ini", plugins_.get());
    countdown_ = std::make_unique<CCountdown>(*this, *this);
    trace_ = std::make_unique<CTraceLog>(clock_, folder);

    players_ = new CPlayerListView;
    players_->SetPrompter(&prompter_);
    frame.SetMemberListPane(players_);

    CDebugCodes::Hooks debugHooks;
    debugHooks.mapFigures = [this] { return MapStatistics(); };
    debugHooks.hubMembers = [this]() -> std::optional<std::vector<CMember>> {
        if (COwnedHub* hub = ServingHub())
            return hub->Members();
        return std::nullopt;
    };
    debugHooks.showMembers = [this](const std::vector<CMember>& members) {
        players_->RebuildMembers(members);
    };
    debug_ = std::make_unique<CDebugCodes>(*log_, *trace_, std::move(debugHooks));

    // Every hub reads the deck sets of the program folder when it is made;
    // its deck shuffles with a generator of its own, since the hub runs on a
    // thread of its own while the dice draw here. Its past log is
    // written as a window that did not act sees the records, the same rule
    // as the windowless hub's.
    hubFactory_ = std::make_unique<COwnedHubFactory>(
        *this, prompter_, app_.Sound(),
        [this, folder]() -> std::unique_ptr<IHubCardState> {
            auto cards = std::make_unique<CHubCardState>(clock_);
            const std::string deckFile = folder + "Deck.ini";
            if (!cards->Load(deckFile) && CProfileFile(deckFile).Exists()) {
                // A missing file simply means no cards; a broken one is worth a word.
                log_->AppendNoticeLine(
                    Sjis("Deck.ini に使えるデッキがないため、カードなしで始めます"));
            }
            return cards;
        },
        &CHubPastLogFeeder::LineFor);
    hubFactory_->SetTableMemoryQuery(
        [this] { return CSettings(app_.SettingsPath()).IsTableMemory(); });

    cardSender_ = std::make_unique<CCardSender>(*this, *log_);
    cards_ = new CCardDialog(*cardSender_, prompter_, CMersenneTwister::Process(), &frame);
    cards_->SetDeckSwitch([this](int index) { SwitchDeck(index); },
                          [this] { return ServingHub() != nullptr; });

    socket_ = std::make_unique<CChatSocket>();
    socket_->SetDialogParent(&frame);
    session_ = std::make_unique<CClientSession>(
        CClientSession::Deps{*socket_, *hubFactory_, prompter_, *log_, *players_, *cards_, *this,
                             clock_, [](std::uint32_t seed) { RandomSeed(seed); }});
    socket_->SetSession(session_.get());
    // A connection lost without the hub's goodbye is tried again, unless the
    // settings say not to.
    session_->SetReconnecting(this,
                              [this] { return CSettings(app_.SettingsPath()).IsAutoReconnect(); });

    CYarrowView* view = frame.ChatView();
    // The handle field is the one name this member has; the session's leave
    // notice follows it as the user edits it.
    connect(view->HandleNameField(), &QLineEdit::textChanged, this,
            [this](const QString& text) { session_->SetMyName(ToCp932(text).text); });
    CInputLine* input = Input();
    if (input != nullptr) {
        input->Attach(this, log_, debug_.get());
        connect(input, &CInputLine::BufferIndicatorChanged, this, [this](const QString& text) {
            frame_->StatusPanes().SetText(StatusPane::Buffer, text);
        });
    }
    CChatCommands::Controls controls;
    controls.input = input;
    controls.handleName = view->HandleNameField();
    controls.handleRadio = view->HandleNameRadio();
    controls.subRadio = view->SubHandleNameRadio();
    controls.subCombo = view->SubHandleNameCombo();
    controls.diceCombo = view->DiceCombo();
    commands_ = new CChatCommands(controls, this, debug_.get(), this);
    commands_->SetPrompter(&prompter_);
    commands_->SetMemberList(&players_->Members());
    commands_->SetReseed([] { RandomSeed(static_cast<std::uint32_t>(std::time(nullptr))); });
    commands_->SetPleaseWaitSource([this] { return CSettings(app_.SettingsPath()).PleaseWait(); });
    connect(commands_, &CChatCommands::RollDiceRequested, this, [this] { roller_->OnRollDice(); });
    connect(commands_, &CChatCommands::StatusTextChanged, this, [this](int pane, const QString& t) {
        frame_->StatusPanes().SetText(static_cast<StatusPane>(pane), t);
    });
    // Enter in the expression box rolls (the roller keeps the list itself);
    // anywhere else outside the input line it is swallowed.
    view->DiceCombo()->setInsertPolicy(QComboBox::NoInsert);
    commands_->InstallEnterHandling(view);
    CLogWidget* logWidget = view->LogControl();
    logWidget->SetContextMenuProvider([this, logWidget](QWidget* parent) {
        return commands_->BuildLogContextMenu(logWidget, parent);
    });
    WireScrollTrace();

    connect(players_, &CPlayerListView::WhisperRequested, this,
            [this](std::int32_t id) { ShowWhisperWindow(id); });
    connect(players_, &CPlayerListView::CallRequested, this,
            [this](std::int32_t id) { SendCall(*this, id); });

    RegisterCommands(frame);
    frame.SetShutdownHook([this] {
        if (session_)
            session_->Disconnect(true);
    });
}

void CChatController::WireScrollTrace() {
    CYarrowView* view = frame_->ChatView();
    const auto traced = [this] { return debug_->IsOn(CDebugCodes::kScrollTrace); };
    for (QTextEdit* edit : {static_cast<QTextEdit*>(view->LogControl()), view->InputLine()}) {
        QScrollBar* bar = edit->verticalScrollBar();
        connect(bar, &QScrollBar::actionTriggered, this, [this, bar, traced](int action) {
            if (traced())
                frame_->SetCaption(
                    CDebugCodes::ScrollTitleText(bar->sliderPosition(), ScrollCode(action)));
        });
    }
    CLogWidget* log = view->LogControl();
    connect(log->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this, log, traced](int value) {
                if (!traced())
                    return;
                const QRect caret = log->cursorRect();
                frame_->StatusPanes().SetText(
                    StatusPane::Message,
                    FromCp932(CDebugCodes::ScrollStatusText(value, caret.x(), caret.y())));
            });
}

void CChatController::ApplySettings(const CSettings& settings) {
    autoChartShow_ = settings.IsAutoChartShow();
    session_->SetMyColor(static_cast<std::int32_t>(settings.HandleNameColor()));
    if (CInputLine* input = Input()) {
        input->SetFilterWords(settings.FilterdPerson(), settings.Filter());
    }
    DiceSoundSettings sound;
    sound.DiceHoy = settings.DiceHoy();
    sound.IsDiceHoyRandom = settings.IsDiceHoyRandom();
    sound.RandomDiceHoy = settings.RandomDiceHoys();
    roller_->SetSoundSettings(std::move(sound));
    if (templates_ != nullptr)
        templates_->ShowGroup(0);
}

void CChatController::CreateWindows(CMainFrame& frame) {
    CYarrowView* view = frame.ChatView();
    // New pages take their shape and direction from the settings of the
    // moment they are made.
    maps_ = std::make_unique<CMapBook>([this] {
        return CMapPropSheet::InitialSettings(app_.SettingsPath(), app_.ProgramFolder());
    });
    mapWindow_ = new CMapPropSheet(*maps_, prompter_, app_.ProgramFolder(),
                                   app_.ProgramFolder() + std::string(kSettingsFileName), &frame);
    mapWindow_->SetSendHook(
        [this](const CMapPage& page) { return CMapBook::SendMap(page, *this); });
    mapWindow_->SetNoticeHook([this](const std::string& text) { log_->AppendNoticeLine(text); });
    mapWindow_->CentreOnFirstShow(view);
    mapView_ = mapWindow_;
    view->SetModelessWindow(ModelessWindow::Map, mapWindow_);
    chart_ = new CChartWindow(*this, prompter_, &frame);
    chart_->SetCentreOn(view);
    view->SetModelessWindow(ModelessWindow::Chart, chart_);
    whisper_ = new CWhisperWindow(&frame);
    whisper_->Attach(this, log_, &players_->Members());
    connect(players_, &CPlayerListView::MembersChanged, whisper_, &CWhisperWindow::UpdateMembers);
    view->SetModelessWindow(ModelessWindow::Whisper, whisper_);
    view->SetModelessWindow(ModelessWindow::Cards, cards_);

    CDispatcher::Deps deps{session_.get(), *this,     *log_,  *players_, *chart_, *this, *cards_,
                           *this,          prompter_, clock_, {},        {},      {}};
    // Questions wait until the record in hand is handled: their message box
    // must not run inside the socket's reading.
    deps.later = [this](std::function<void()> task) {
        QTimer::singleShot(0, this, std::move(task));
    };
    deps.alertCall = [this] { AlertCall(); };
    deps.autoChartShow = [this] { return autoChartShow_; };
    dispatcher_ = std::make_unique<CDispatcher>(std::move(deps));
    session_->SetRecordHandler(dispatcher_.get());
}

void CChatController::PaneInitialUpdates(CMainFrame& frame) {
    templates_ = new CDiceTemplateView(app_.ProgramFolder() + "Yarrow.ini",
                                       [this](const TemplateEntry& entry, std::int32_t bonus) {
                                           return roller_->RollTemplateFromPane(entry, bonus);
                                       });
    frame.SetTemplatePane(templates_);
    templates_->ShowGroup(0);
}

void CChatController::RegisterCommands(CMainFrame& frame) {
    // The debug command trace: every command above 0x7FFF, before it runs.
    frame.SetCommandObserver([this](int id) {
        const std::string trace = debug_->CommandTraceText(id, 0);
        if (!trace.empty())
            log_->AppendNoticeLine(trace);
    });
    CCommandRouter& router = frame.Router();
    router.SetHandler(
        cmd::kConnect, [this] { OnConnectCommand(); },
        [this] { return !frame_->IsConnectedMenu(); });
    router.SetHandler(
        cmd::kDisconnect, [this] { session_->DisconnectCommand(); },
        [this] { return frame_->IsConnectedMenu(); });
    router.SetHandler(cmd::kOptions, [this] { OnOptionsCommand(); });
    router.SetHandler(cmd::kChart,
                      [this] { frame_->ChatView()->ShowModeless(ModelessWindow::Chart); });
    router.SetHandler(cmd::kWhisper, [this] { ShowWhisperWindow(-1); });
    for (int id : CChatCommands::Commands()) {
        if (id == cmd::kResetMemberList)
            continue;
        router.SetHandler(id, [this, id] { commands_->Execute(id); });
    }
    router.SetHandler(
        cmd::kResetMemberList, [this] { RunMemberListCommand(); },
        [this] { return session_->IsConnected(); });
    connect(&frame, &CMainFrame::FirstPersonFilterChanged, this,
            [this](bool on) { commands_->SetFilterOn(on); });
    if (QAction* item = frame.Action(cmd::kResetMemberList)) {
        for (QObject* owner : item->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(owner)) {
                connect(menu, &QMenu::aboutToShow, this, [this] { UpdateMaintenanceItem(); });
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Commands

void CChatController::OnConnectCommand(const CommandLineRequest* link) {
    CConnectDialog dialog(app_.ProgramFolder() + "Yarrow.ini", prompter_, {}, frame_);
    if (link)
        dialog.PresetJoin(link->host, link->port);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ConnectRequest request = dialog.Request();
    session_->ConnectAndShow(
        request.handleName, request.asClient, request.serverAddress, request.port,
        static_cast<std::int32_t>(request.color), [this, request](bool connected) {
            if (!connected)
                return;
            frame_->ChatView()->HandleNameField()->setText(FromCp932(request.handleName));
            if (request.startLog)
                app_.Report(log_->StartTextLog());
            if (request.makeDefault)
                CConnectDialog::WriteDefaults(request, app_.SettingsPath());
            frame_->UpdateCommandStates();
        });
}

bool CChatController::ConnectFromCommandLine(const CommandLineRequest& request) {
    if (request.mode == CommandLineRequest::Mode::BadLink) {
        prompter_.Tell(Utf8ToCp932(request.error).text, Sjis("Yarrow"), PromptIcon::Exclamation);
        return false;
    }
    if (request.mode == CommandLineRequest::Mode::JoinDialog) {
        OnConnectCommand(&request);
        return session_->IsConnected() || session_->IsConnecting();
    }
    const CSettings settings(app_.SettingsPath());
    const bool asClient = request.mode == CommandLineRequest::Mode::Join;
    const std::string address = asClient ? request.host : std::string("127.0.0.1");
    const int port = request.port.value_or(settings.PortNum());
    const bool startLog = settings.IsSaveLogExactlyOne();
    return session_->ConnectAndShow(
        request.name, asClient, address, port,
        static_cast<std::int32_t>(settings.HandleNameColor()),
        [this, name = request.name, startLog](bool connected) {
            if (!connected)
                return;
            frame_->ChatView()->HandleNameField()->setText(FromCp932(name));
            if (startLog)
                app_.Report(log_->StartTextLog());
            frame_->UpdateCommandStates();
        });
}

void CChatController::OnOptionsCommand() {
    COptionPropSheet::Context context;
    context.currentSettingsPath = app_.SettingsPath();
    context.defaultSettingsPath = app_.ProgramFolder() + "Yarrow.ini";
    context.basic.handleName = ToCp932(frame_->ChatView()->HandleNameField()->text()).text;
    context.basic.connected = session_->IsConnected();
    context.basic.liveServerAddress = session_->ServerIP();
    context.basic.livePort = session_->PortNum();
    context.checkDiceFormat = [this](const std::string& expression) {
        return roller_->CheckDiceFormat(expression, DiceKind::FormatError);
    };
    COptionPropSheet sheet(std::move(context), prompter_, frame_);
    auto* templatePage = new CDiceTmplOptionDlg(prompter_, [this](const std::string& formula,
                                                                  bool plugin) {
        return roller_->CheckDiceFormat(formula, plugin ? DiceKind::PluginRoll : DiceKind::SumRoll);
    });
    sheet.AddPage(
        templatePage, QStringLiteral("ダイステンプレート"),
        [templatePage](const std::string& path) { templatePage->LoadTemplates(path); },
        [templatePage](const std::string& path) { return templatePage->SaveTemplates(path); },
        false);
    if (sheet.exec() != QDialog::Accepted)
        return;
    app_.SetSettingsPath(sheet.SettingsPath());
    app_.LoadSettings();
}

void CChatController::ShowWhisperWindow(std::int32_t presetTarget) {
    if (!whisper_)
        return;
    whisper_->SetPresetTarget(presetTarget);
    if (whisper_->isVisible())
        whisper_->RefillMembers();
    frame_->ChatView()->ShowModeless(ModelessWindow::Whisper);
}

void CChatController::RunMemberListCommand() {
    RunMaintenanceCommand(*this, players_->Members());
}

void CChatController::AppendNoticeLine(const std::string& text) {
    log_->AppendNoticeLine(text);
}

void CChatController::SwitchDeck(int index) {
    COwnedHub* hub = ServingHub();
    if (hub == nullptr)
        return;
    const std::vector<std::string> names = hub->DeckSetNames();
    const std::optional<CMsg> init = hub->SwitchDeck(index);
    if (init && init->Param1 >= 0)
        return;
    const std::string name =
        index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[index] : "";
    // Said plainly: a caption reading "-1 cards left", or a menu item that
    // does nothing, would leave the operator guessing.
    static const std::string unchanged =
        Sjis("デッキ「%s」に切り替えられません。\r\nDeck.ini が見つかりません。");
    static const std::string unusable =
        Sjis("デッキ「%s」を Deck.ini から読み込めないため、カードなしになりました。");
    prompter_.Tell(SjisFormat((init ? unusable : unchanged).c_str(), name.c_str()), Sjis("エラー"),
                   PromptIcon::Exclamation);
}

void CChatController::UpdateMaintenanceItem() {
    QAction* item = frame_->Action(cmd::kResetMemberList);
    if (item == nullptr)
        return;
    const MaintenanceItem state =
        players_->Members().MaintenanceMenuItem(session_->IsConnected(), session_->MyID());
    item->setText(FromCp932(state.text));
    item->setEnabled(state.enabled);
}

// ---------------------------------------------------------------------------
// The session port

bool CChatController::IsConnected() const {
    return session_ && session_->IsConnected();
}
std::int32_t CChatController::MyID() const {
    return session_ ? session_->MyID() : -1;
}
std::string CChatController::MyName() const {
    return ToCp932(frame_->ChatView()->HandleNameField()->text()).text;
}
std::int32_t CChatController::MyColor() const {
    return session_ ? session_->MyColor() : 0;
}
std::string CChatController::SpeakerName() const {
    return commands_->SpeakerName();
}
bool CChatController::SendChat(const std::string& name, const std::string& text, std::int32_t color,
                               std::int32_t type) {
    return session_->SendChat(name, text, color, type);
}
bool CChatController::SendText(const std::string& text, std::int32_t type) {
    return session_->SendText(text, type);
}
bool CChatController::DoSerialize(const CMsg& msg) {
    return session_->IsConnected() && session_->DoSerialize(msg);
}
bool CChatController::DoSerialize(CMsg& msg) {
    return DoSerialize(static_cast<const CMsg&>(msg));
}

void CChatController::RememberFocus() {
    focusBefore_ = QApplication::focusWidget();
}

void CChatController::RestoreFocus() {
    // Back to the window the user was typing in, and the field within it.
    if (focusBefore_) {
        focusBefore_->window()->activateWindow();
        focusBefore_->setFocus(Qt::OtherFocusReason);
    }
}

// ---------------------------------------------------------------------------
// The view and the frame

void CChatController::AlertCall() {
    // Only a minimised window is restored; a maximised one stays maximised.
    if (frame_->isMinimized())
        frame_->setWindowState(frame_->windowState() & ~Qt::WindowMinimized);
    frame_->raise();
    frame_->activateWindow();
    ISound& sound = app_.Sound();
    for (int i = 0; i < kCallBeeps; ++i) {
        QTimer::singleShot(i * (kCallBeepMs + kCallBeepGapMs), this,
                           [&sound] { sound.Tone(kCallBeepHertz, kCallBeepMs); });
    }
}

void CChatController::SetCaption(const std::string& text) {
    frame_->SetCaption(text);
}

void CChatController::SetConnectionStatus(const std::string& text) {
    frame_->StatusPanes().SetText(
        StatusPane::Message, text.empty() ? QString::fromUtf8(kStatusIdleText) : FromCp932(text));
}

void CChatController::SetConnectedMenu(bool connected) {
    frame_->SetConnectedMenu(connected);
    frame_->UpdateCommandStates();
}

// ---------------------------------------------------------------------------
// The dice controls

bool CChatController::IsShiftDown() const {
    return CExpressionCombo::ShiftHeld();
}

bool CChatController::BeginCountdown(std::int32_t totalSeconds, std::int32_t intervalSeconds) {
    return countdown_->BeginCountdown(totalSeconds, intervalSeconds);
}

void CChatController::CancelCountdown() {
    countdown_->CancelCountdown();
}

std::int32_t CChatController::CountdownRemainingMs() const {
    return countdown_->Remaining();
}

void CChatController::DrawCard(bool open) {
    cardSender_->RequestDraw(open);
}

std::string CChatController::ExpressionText() const {
    return CExpressionCombo(frame_->ChatView()->DiceCombo()).Text();
}
bool CChatController::IsExpressionPicked() const {
    return CExpressionCombo(frame_->ChatView()->DiceCombo()).IsPicked();
}
std::vector<std::string> CChatController::ExpressionEntries() const {
    return CExpressionCombo(frame_->ChatView()->DiceCombo()).Entries();
}
void CChatController::AddExpressionEntry(const std::string& text) {
    CExpressionCombo(frame_->ChatView()->DiceCombo()).Add(text);
}
void CChatController::SelectExpressionEntry(int index) {
    CExpressionCombo(frame_->ChatView()->DiceCombo()).Select(index);
}

// ---------------------------------------------------------------------------
// Window timers

bool CChatController::StartTimer(int timerId, int periodMs) {
    QTimer*& timer = timers_[timerId];
    if (timer == nullptr) {
        timer = new QTimer;
        connect(timer, &QTimer::timeout, this, [this, timerId] { OnTimer(timerId); });
    }
    timer->start(periodMs);
    return true;
}

QTimer* CChatController::Timer(int timerId) const {
    const auto it = timers_.find(timerId);
    return it != timers_.end() ? it->second : nullptr;
}

void CChatController::KillTimer(int timerId) {
    auto it = timers_.find(timerId);
    if (it != timers_.end())
        it->second->stop();
}

void CChatController::OnTimer(int timerId) {
    switch (timerId) {
        case CCountdown::kTickTimer:
            countdown_->OnTickTimer();
            break;
        case CCountdown::kEndTimer:
            countdown_->OnEndTimer();
            break;
        case CDispatcher::kMemberCheckTimer:
            if (dispatcher_)
                dispatcher_->OnMemberCheckTimer();
            break;
        case CClientSession::kReconnectTimer:
            if (session_)
                session_->OnReconnectTimer();
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------

void CChatController::ReceiveMap(CMsg& msg) {
    if (!maps_)
        return;
    // An arriving map never takes the keyboard focus from the input line.
    RememberFocus();
    MapReceiveContext context;
    context.windowShown = mapView_ != nullptr && mapView_->IsMapWindowShown();
    // Without a window nothing can be shown: the notice is all there is.
    context.autoShow = mapView_ != nullptr && CSettings(app_.SettingsPath()).IsAutoMapShow();
    const CInputLine* input = Input();
    context.typing = input != nullptr && input->State().typing;
    const MapReceiveReport report = maps_->ReceiveMap(msg, context);
    if (!report.ignored && mapView_ != nullptr)
        mapView_->OnMapReceived(report);
    RestoreFocus();
    if (!report.notice.empty())
        log_->AppendNoticeLine(report.notice);
}

std::vector<MapFigures> CChatController::MapStatistics() const {
    std::vector<MapFigures> figures;
    if (!maps_)
        return figures;
    for (int number : maps_->Numbers()) {
        const CMapPage* page = maps_->Find(number);
        figures.push_back({number, static_cast<int>(page->Units().size()),
                           static_cast<int>(page->Tiles().size())});
    }
    return figures;
}

COwnedHub* CChatController::ServingHub() const {
    if (!session_)
        return nullptr;
    auto* hub = dynamic_cast<COwnedHub*>(session_->OwnedHub());
    return hub != nullptr && hub->IsServing() ? hub : nullptr;
}

CInputLine* CChatController::Input() const {
    return qobject_cast<CInputLine*>(frame_->ChatView()->InputLine());
}

}  // namespace yarrow
