#pragma once
// What the chart window needs from the chat view that owns it: the connection
// state, the own identity, the two ways of sending, the auto-show setting and
// the log's notice line. Texts are code page 932.

#include <cstdint>
#include <string>

namespace yarrow {

class CMsg;

class IChartHost {
  public:
    virtual ~IChartHost() = default;
    virtual bool IsConnected() const = 0;
    virtual std::int32_t MyID() const = 0;
    virtual std::string MyName() const = 0;
    // Writes a record built by the chart to the hub.
    virtual bool DoSerialize(CMsg& msg) = 0;
    // A record with text and type only (the lock announcement).
    virtual bool SendText(const std::string& text, std::int32_t type) = 0;
    // The `IsAutoChartShow` setting: show the hidden window when a chart arrives.
    virtual bool IsAutoChartShow() const = 0;
    virtual void AppendNoticeLine(const std::string& text) = 0;
};

}  // namespace yarrow
