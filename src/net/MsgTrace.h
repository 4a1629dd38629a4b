#pragma once
// The debug trace lines of reading and writing a record.

#include "net/CMsg.h"

namespace yarrow {

// "  CMsg::Serialize(Read:" or "  CMsg::Serialize(Write:".
void TraceSerializeStart(bool reading);
// Once the header is complete: the type name, then a line with the sender,
// the Close mark, the colour and both parameters.
void TraceSerializeHeader(const CMsg& msg);
// A loaded type outside 1..30: only the type name ends the opening line.
void TraceSerializeBadType(std::int32_t type);

}  // namespace yarrow
