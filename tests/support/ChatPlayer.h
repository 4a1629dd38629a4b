#pragma once
// A whole chat window in a program folder of its own, as a player has it,
// for tests that join two of them over TCP on 127.0.0.1. Message boxes are
// answered by a ScriptedPrompter.

#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>
#include <string>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "net/CClientSession.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "support/ScriptedPrompter.h"

namespace yarrow::test {

struct ChatPlayer {
    explicit ChatPlayer(const char* settings = nullptr) {
        if (settings != nullptr)
            std::ofstream(folder.path().toStdString() + "/Yarrow.ini", std::ios::binary)
                << settings;
        app = std::make_unique<CYarrowApp>(folder.path().toStdString() + "/");
        chat = std::make_unique<CChatController>(*app);
        app->Start(false);
        app->Frame().SetPrompter(&prompter);
    }
    ~ChatPlayer() {
        chat.reset();
        app.reset();
    }
    CYarrowView& View() const { return *app->Frame().ChatView(); }
    bool LogHas(const std::string& utf8) const {
        return View().LogControl()->StreamOutText().find(Sjis(utf8)) != std::string::npos;
    }

    QTemporaryDir folder;
    ScriptedPrompter prompter;
    std::unique_ptr<CYarrowApp> app;
    std::unique_ptr<CChatController> chat;
};

// The host listens on a free port of 127.0.0.1; the guest joins it.
inline void JoinBoth(ChatPlayer& host, ChatPlayer& guest) {
    auto request = [](CommandLineRequest::Mode mode, int port, const char* name) {
        CommandLineRequest r;
        r.mode = mode;
        r.host = "127.0.0.1";
        r.port = port;
        r.name = name;
        return r;
    };
    QVERIFY(host.chat->ConnectFromCommandLine(request(CommandLineRequest::Mode::Host, 0, "GM")));
    const int port = host.chat->Session().PortNum();
    QVERIFY(
        guest.chat->ConnectFromCommandLine(request(CommandLineRequest::Mode::Join, port, "PL")));
    QTRY_COMPARE(host.chat->Session().MyID(), 1);
    QTRY_COMPARE(guest.chat->Session().MyID(), 2);
}

}  // namespace yarrow::test
