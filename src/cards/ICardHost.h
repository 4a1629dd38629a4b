#pragma once
// What the card senders need of the chat window: the connection, the own
// identity, the way records go out and the log's notice line. Texts are code
// page 932 bytes.

#include <cstdint>
#include <string>

namespace yarrow {

class CMsg;

class ICardHost {
  public:
    virtual ~ICardHost() = default;
    virtual bool IsConnected() const = 0;
    virtual std::int32_t MyID() const = 0;
    virtual std::int32_t MyColor() const = 0;
    // The name under which remarks and rolls go out.
    virtual std::string SpeakerName() = 0;
    // Writes a record to the hub (only while connected).
    virtual bool DoSerialize(CMsg& msg) = 0;
    virtual void AppendNoticeLine(const std::string& text) = 0;
};

}  // namespace yarrow
