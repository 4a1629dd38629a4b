#pragma once
// Fakes for the chart window's tests: a scripted prompter, scripted dialogs,
// and hosts joined by a loop that delivers every sent record to every window,
// the sender's included, as the hub does.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "chart/IChartHost.h"
#include "chart/qt/CChartWindow.h"
#include "chart/qt/IChartDialogs.h"
#include "net/CMsg.h"
#include "platform/IPrompter.h"
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
        return columns;
    }
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    std::optional<QString> header;
    // Runs while the column dialog is open (records arriving meanwhile).
    std::function<void()> whileAsking;
    std::optional<std::vector<int>> columns;
    QStringList offered;
};

class LoopHub;

// One participant's chat view as the chart sees it.
class FakeChartHost final : public IChartHost {
  public:
    FakeChartHost(std::int32_t id, std::string name) : id_(id), name_(std::move(name)) {}
    bool IsConnected() const override { return connected; }
    std::int32_t MyID() const override { return id_; }
    std::string MyName() const override { return name_; }
    bool DoSerialize(CMsg& msg) override;
    bool SendText(const std::string& text, std::int32_t type) override;
    bool IsAutoChartShow() const override { return autoShow; }
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }

    bool connected = true;
    bool autoShow = true;
    LoopHub* hub = nullptr;
    std::vector<CMsg> sent;
    std::vector<std::string> notices;

  private:
    std::int32_t id_;
    std::string name_;
};

// Relays every record to every attached window in attach order, the way the
// dispatcher hands Chart and ChartLock records to the chart window.
class LoopHub {
  public:
    void Attach(FakeChartHost& host, CChartWindow& window) {
        host.hub = this;
        windows_.push_back(&window);
    }
    void Relay(const CMsg& msg) {
        for (CChartWindow* window : windows_) {
            if (msg.Type == Chart)
                window->ReceiveChart(msg);
            if (msg.Type == ChartLock)
                window->ReceiveChartLock(msg);
        }
    }

  private:
    std::vector<CChartWindow*> windows_;
};

inline bool FakeChartHost::DoSerialize(CMsg& msg) {
    if (!connected)
        return false;
    sent.push_back(msg);
    if (hub)
        hub->Relay(msg);
    return true;
}

inline bool FakeChartHost::SendText(const std::string& text, std::int32_t type) {
    if (!connected) {
        notices.push_back(text);
        return false;
    }
    CMsg msg;
    msg.ID = id_;
    msg.Text = text;
    msg.Type = type;
    return DoSerialize(msg);
}

}  // namespace yarrow::test
