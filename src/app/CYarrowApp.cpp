#include "app/CYarrowApp.h"

#include <sys/stat.h>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTextEdit>
#include <cerrno>

#include "app/CMainFrame.h"
#include "app/CStatusPanes.h"
#include "app/CYarrowView.h"
#include "app/LockKeys.h"
#include "chat/CChatLog.h"
#include "chat/CommandIds.h"
#include "chat/LogFiles.h"
#include "net/CClientSession.h"
#include "platform/Cp932.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/CQtSound.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"
#include "settings/DefaultSettings.h"

namespace yarrow {

namespace {

void FillCombo(QComboBox* combo, const std::vector<std::string>& items) {
    combo->clear();
    for (const std::string& item : items) {
        combo->addItem(FromCp932(item));
    }
    if (combo->count() > 0) {
        combo->setCurrentIndex(0);
    }
}

}  // namespace

CYarrowApp::CYarrowApp(std::string programFolder, const IClock* clock)
    : programFolder_(std::move(programFolder)) {
    if (!programFolder_.empty() && programFolder_.back() != '/') {
        programFolder_ += '/';
    }
    settingsPath_ = programFolder_ + std::string(kSettingsFileName);
    if (clock == nullptr) {
        ownClock_ = std::make_unique<CSystemClock>();
        clock = ownClock_.get();
    }
    clock_ = clock;
}

CYarrowApp::~CYarrowApp() {
    // The chat log points at the log control; it goes first.
    chatLog_.reset();
    frame_.reset();
}

LogFolderResult CYarrowApp::PrepareLogFolder(const std::string& programFolder) {
    std::string folder = LogFolderSetting(programFolder);
    if (folder.empty()) {
        folder = "Log";
    }
    LogFolderResult result;
    result.path = ResolveInProgramFolder(programFolder, folder);
    while (result.path.size() > 1 && result.path.back() == '/') {
        result.path.pop_back();
    }
    struct stat info {};
    if (::stat(result.path.c_str(), &info) == 0) {
        result.ok = S_ISDIR(info.st_mode);
        if (!result.ok) {
            result.error = LastErrorText(ENOTDIR);
        }
        return result;
    }
    // One level only: a missing parent is a mistake in the setting, not
    // something to build silently.
    if (::mkdir(result.path.c_str(), 0777) == 0) {
        result.ok = result.created = true;
    } else {
        result.error = LastErrorText(errno);
    }
    return result;
}

ISound& CYarrowApp::Sound() const {
    return *sound_;
}

void CYarrowApp::Start(bool show) {
    // 1. The log folder; relative paths of the program are inside its folder.
    QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(programFolder_)));
    logFolder_ = PrepareLogFolder(programFolder_);

    // 2-4. The main window: status bar, first-run settings file, the
    // disconnected menu pattern, then the panes.
    frame_ = std::make_unique<CMainFrame>();
    frame_->SetProgramFolder(programFolder_);
    sound_ = std::make_unique<CQtSound>();
    const CreateSettingsResult created = CreateDefaultSettings(programFolder_);
    if (created.failed()) {
        frame_->Prompter().Tell(created.message, created.caption, PromptIcon::Stop);
    }
    frame_->SetConnectedMenu(false);

    CYarrowView* view = frame_->ChatView();
    chatLog_ = std::make_unique<CChatLog>(view->LogControl(), *clock_, programFolder_);
    const std::string folder = programFolder_;
    chatLog_->SetLogFolderSource([folder] { return LogFolderSetting(folder); });
    WireLogCommands();

    // 6. The chat view's initial update.
    if (hooks_.beforeSettings) {
        hooks_.beforeSettings(*frame_);
    }
    LoadSettings();
    if (hooks_.createWindows) {
        hooks_.createWindows(*frame_);
    }
    frame_->SetCaption(CClientSession::IdleCaption());
    frame_->StatusPanes().SetText(StatusPane::Filter, QString());
    if (!logFolder_.ok) {
        static const std::string kNoFolder1 = Sjis("<b>※ ログフォルダを作成できません：");
        // The path is the file system's (UTF-8); the log shows code page 932.
        const std::string path = Utf8ToCp932(logFolder_.path).text;
        chatLog_->AppendNoticeLine(kNoFolder1 + path + " (" + logFolder_.error + ")</b>");
    }

    // 7. The member list and template panes.
    if (hooks_.paneInitialUpdates) {
        hooks_.paneInitialUpdates(*frame_);
    }
    frame_->UpdateCommandStates();

    // 8. Show.
    if (show) {
        frame_->StatusPanes().SetLockKeySource(SystemLockKeySource());
        frame_->show();
        view->InputLine()->setFocus(Qt::OtherFocusReason);
    }
}

void CYarrowApp::LoadSettings() {
    const CSettings settings(settingsPath_);
    CYarrowView* view = frame_->ChatView();
    view->HandleNameField()->setText(FromCp932(settings.HandleName()));
    chatLog_->SetCharSize(settings.CharSize());
    chatLog_->SetTextColor(settings.ForeGroundColor());
    view->LogControl()->SetBackgroundColor(settings.BackGroundColor());
    FillCombo(view->DiceCombo(), settings.DiceList());
    FillCombo(view->SubHandleNameCombo(), settings.SubHandleNames());
    if (hooks_.settingsLoaded) {
        hooks_.settingsLoaded(*frame_, settings);
    }
}

void CYarrowApp::Report(const LogFileResult& result) {
    if (result.beep) {
        sound_->ErrorBeep();
    }
    if (!result.text.empty()) {
        frame_->Prompter().Tell(result.text, result.caption, result.icon);
    }
}

void CYarrowApp::WireLogCommands() {
    CCommandRouter& router = frame_->Router();
    const auto saveRtf = [this] {
        const LogFileResult result = chatLog_->SaveLogRtf();
        Report(result);
        return result.ok;
    };
    const auto saveText = [this] {
        const LogFileResult result = chatLog_->SaveLogText();
        Report(result);
        return result.ok;
    };
    router.SetHandler(cmd::kSaveLogRtf, saveRtf);
    router.SetHandler(cmd::kSaveLogText, saveText);
    router.SetHandler(cmd::kClearLog, [this] {
        static const std::string kConfirm = Sjis("確認");
        if (frame_->Prompter().Ask(CChatLog::ClearLogQuestion(), kConfirm, PromptIcon::Question,
                                   PromptButtons::YesNo) == PromptAnswer::Yes) {
            chatLog_->ClearLog();
        }
    });
    // Starting the text log needs a connection, and one log at a time.
    router.SetHandler(
        cmd::kStartTextLog, [this] { Report(chatLog_->StartTextLog()); },
        [this] { return frame_->IsConnectedMenu() && !chatLog_->TextLogRunning(); });
    frame_->SetExitSavers(saveRtf, saveText);
    QObject::connect(frame_.get(), &CMainFrame::ScrollLockChanged,
                     [this](bool on) { chatLog_->SetScrollLock(on); });
}

}  // namespace yarrow
