#pragma once
// The chat window's connection as its features see it: who this member is,
// whether the hub is reachable, and the three ways of sending. Features that
// also write into the log take an IChatLogTarget beside it. Texts are code
// page 932 bytes.

#include <cstdint>
#include <string>

namespace yarrow {

class CMsg;

class ISessionPort {
  public:
    virtual ~ISessionPort() = default;

    virtual bool IsConnected() const = 0;
    // The member ID the hub gave, -1 while not joined.
    virtual std::int32_t MyID() const = 0;
    // The handle name: the one name this member has towards the others
    // (joins, whispers, calls, the chart lock, the leave notice).
    virtual std::string MyName() const = 0;
    virtual std::int32_t MyColor() const = 0;
    // The name remarks and rolls go out under: the handle name, or the
    // sub-handle name when that is chosen. Reading it may add a typed
    // sub-handle name to the chat view's list.
    virtual std::string SpeakerName() const = 0;

    // A typed record with name and colour. While not connected the types
    // that allow it are shown locally. False when nothing went to the hub.
    virtual bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                          std::int32_t type) = 0;
    // A record with text and type only; shown as a notice when not connected.
    virtual bool SendText(const std::string& text, std::int32_t type) = 0;
    // A record the caller built; false while not connected.
    virtual bool DoSerialize(const CMsg& msg) = 0;
};

}  // namespace yarrow
