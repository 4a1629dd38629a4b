#pragma once
// What sending a map needs from the chat view: the connection state, the own
// member ID and the record writer.

#include <cstdint>

namespace yarrow {

class CMsg;

class IMapHost {
  public:
    virtual ~IMapHost() = default;
    virtual bool IsConnected() const = 0;
    virtual std::int32_t MyID() const = 0;
    // Writes a record to the hub; false when it could not be sent.
    virtual bool DoSerialize(CMsg& msg) = 0;
};

}  // namespace yarrow
