#pragma once
// Start-up and the objects that live for the whole run: the log folder, the
// first-run settings file, the main window and its panes, the chat log behind
// the log control, the message boxes and the sound. Features that come with
// later work hook into the start-up at the points where they belong.

#include <functional>
#include <memory>
#include <string>

#include "platform/IClock.h"

namespace yarrow {

class CChatLog;
class CMainFrame;
class CQtSound;
class CSettings;
class ISound;
struct LogFileResult;

// What start-up did about the log folder.
struct LogFolderResult {
    std::string path;  // where the folder is (absolute, "/"-separated)
    bool created = false;
    bool ok = false;    // the folder exists now
    std::string error;  // the system's reason when it could not be made
};

// Start-up hooks, run in this order after the main window and its panes exist.
struct StartupHooks {
    // Chat view initial update, before the settings are loaded: seed the dice
    // generator, load plug-ins, ...
    std::function<void(CMainFrame&)> beforeSettings;
    // Each settings load (start-up and after the options sheet's OK) hands the
    // file to the features that keep values of their own.
    std::function<void(CMainFrame&, const CSettings&)> settingsLoaded;
    // Chat view initial update, after the settings: the modeless windows.
    std::function<void(CMainFrame&)> createWindows;
    // The member list and template panes' own initial updates.
    std::function<void(CMainFrame&)> paneInitialUpdates;
};

class CYarrowApp {
  public:
    // `programFolder` ends in "/" (ProgramFolder() in the program).
    explicit CYarrowApp(std::string programFolder, const IClock* clock = nullptr);
    ~CYarrowApp();

    // Computes the log folder (LogFolder of the settings file, "Log" when it
    // is empty) and creates it, one level, when it is missing.
    static LogFolderResult PrepareLogFolder(const std::string& programFolder);

    void SetHooks(StartupHooks hooks) { hooks_ = std::move(hooks); }
    // Runs the start-up; `show` false keeps the window hidden (tests).
    void Start(bool show = true);

    CMainFrame& Frame() const { return *frame_; }
    CChatLog& ChatLog() const { return *chatLog_; }
    ISound& Sound() const;
    const std::string& ProgramFolder() const { return programFolder_; }
    const LogFolderResult& LogFolder() const { return logFolder_; }

    // The settings file in use (ProgramFolder + "Yarrow.ini" until the options
    // sheet picks another); LoadSettings re-reads it into the view.
    const std::string& SettingsPath() const { return settingsPath_; }
    void SetSettingsPath(std::string path) { settingsPath_ = std::move(path); }
    void LoadSettings();

    // Shows what a log file operation has to tell (beep and message box).
    void Report(const LogFileResult& result);

  private:
    void WireLogCommands();

    std::string programFolder_;
    std::string settingsPath_;
    std::unique_ptr<CSystemClock> ownClock_;
    const IClock* clock_;
    LogFolderResult logFolder_;
    StartupHooks hooks_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CChatLog> chatLog_;
    std::unique_ptr<CQtSound> sound_;
};

}  // namespace yarrow
