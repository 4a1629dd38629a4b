#pragma once
// The chart's host over the chat view's port: everything but the auto-show
// setting is the view's own operation; the setting is asked for on each use
// because the options sheet may change it at any time.

#include <functional>
#include <utility>

#include "chart/IChartHost.h"
#include "chat/InputRules.h"

namespace yarrow {

class CChatViewChartHost final : public IChartHost {
  public:
    CChatViewChartHost(IChatViewPort& view, std::function<bool()> isAutoChartShow)
        : view_(view), isAutoChartShow_(std::move(isAutoChartShow)) {}

    bool IsConnected() const override { return view_.IsConnected(); }
    std::int32_t MyID() const override { return view_.MyID(); }
    std::string MyName() const override { return view_.MyName(); }
    bool DoSerialize(CMsg& msg) override { return view_.DoSerialize(msg); }
    bool SendText(const std::string& text, std::int32_t type) override {
        return view_.SendText(text, type);
    }
    bool IsAutoChartShow() const override { return !isAutoChartShow_ || isAutoChartShow_(); }
    void AppendNoticeLine(const std::string& text) override { view_.AppendNoticeLine(text); }

  private:
    IChatViewPort& view_;
    std::function<bool()> isAutoChartShow_;
};

}  // namespace yarrow
