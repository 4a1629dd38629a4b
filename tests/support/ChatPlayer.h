#pragma once
// One whole chat window for a widget test: its own program folder (a fresh
// temporary folder, with the given files written there first),
// started as the program starts, its questions answered by `Prompter`.

#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "chat/qt/CPlayerListView.h"
#include "net/CClientSession.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"

namespace yarrow::test {

template <typename Prompter>
struct ChatPlayer {
    QTemporaryDir folder;
    std::unique_ptr<CYarrowApp> app;
    std::unique_ptr<CChatController> chat;
    Prompter prompter;

    // `files`: file name → bytes, e.g. {"Yarrow.ini", settings}.
    explicit ChatPlayer(const std::map<std::string, std::string>& files = {}) {
        for (const auto& [name, bytes] : files)
            std::ofstream(Folder() + name, std::ios::binary) << bytes;
        app = std::make_unique<CYarrowApp>(Folder());
        chat = std::make_unique<CChatController>(*app);
        app->Start(false);
        app->Frame().SetPrompter(&prompter);
    }
    ~ChatPlayer() {
        chat.reset();
        app.reset();
    }
    ChatPlayer(const ChatPlayer&) = delete;
    ChatPlayer& operator=(const ChatPlayer&) = delete;

    std::string Folder() const { return folder.path().toStdString() + "/"; }
    CYarrowView& View() const { return *app->Frame().ChatView(); }
    std::string LogText() const { return View().LogControl()->StreamOutText(); }
    bool LogHas(const std::string& utf8) const {
        return LogText().find(Sjis(utf8)) != std::string::npos;
    }
    // Types `text` into the input line and sends it with Enter.
    void Say(const QString& text) const {
        View().InputLine()->setPlainText(text);
        QTest::keyClick(View().InputLine(), Qt::Key_Return);
    }
    // Window timers (countdown, member check, reconnecting) fire only when a
    // test says so: Hold waits until timer `id` runs and then makes every
    // running one wait an hour; Fire delivers one tick, as the event loop
    // would, and holds them again.
    bool TimerRunning(int id) const {
        QTimer* timer = chat->Timer(id);
        return timer != nullptr && timer->isActive();
    }
    void HoldTimer(int id) const {
        QTRY_VERIFY(TimerRunning(id));
        HoldRunningTimers();
    }
    void FireTimer(int id) const {
        QVERIFY(TimerRunning(id));
        QMetaObject::invokeMethod(chat->Timer(id), "timeout", Qt::DirectConnection);
        HoldRunningTimers();
    }
    void HoldRunningTimers() const {
        for (int id = 1; id <= 4; ++id) {
            if (TimerRunning(id))
                chat->Timer(id)->setInterval(3600 * 1000);
        }
    }
    // Hosts (port 0: a free one) or joins at 127.0.0.1 as `utf8Name`. A host
    // is given no address, as --serve gives none.
    bool Connect(CommandLineRequest::Mode mode, int port, const char* utf8Name) {
        CommandLineRequest request;
        request.mode = mode;
        request.host = mode == CommandLineRequest::Mode::Join ? "127.0.0.1" : "";
        request.port = port;
        request.name = Sjis(utf8Name);
        return chat->ConnectFromCommandLine(request);
    }
};

// `host` hosts as GM (ID 1) and `guest` joins it as PL (ID 2); returns once
// each lists the other, so whatever the hub gives a newcomer has reached the
// guest before anything sent later.
template <typename A, typename B>
void JoinBoth(ChatPlayer<A>& host, ChatPlayer<B>& guest) {
    QVERIFY(host.Connect(CommandLineRequest::Mode::Host, 0, "GM"));
    QVERIFY(guest.Connect(CommandLineRequest::Mode::Join, host.chat->Session().PortNum(), "PL"));
    QTRY_COMPARE(host.chat->PlayerList()->count(), 2);
    QTRY_COMPARE(guest.chat->PlayerList()->count(), 2);
}

}  // namespace yarrow::test
