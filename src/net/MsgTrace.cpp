#include "net/MsgTrace.h"

#include "platform/Trace.h"

namespace yarrow {

void TraceSerializeStart(bool reading) {
    Trace("  CMsg::Serialize(%s:", reading ? "Read" : "Write");
}

void TraceSerializeHeader(const CMsg& msg) {
    if (!TraceEnabled())
        return;
    Trace("%s)\r\n   %s(ID:%d) %sColor:0x%06X Param1:%d Param2:%d\r\n\r\n",
          CMsg::TypeName(msg.Type).c_str(), msg.Name.c_str(), msg.ID,
          msg.Close != 0 ? "Close " : "", static_cast<unsigned>(msg.Color), msg.Param1, msg.Param2);
}

void TraceSerializeBadType(std::int32_t type) {
    if (!TraceEnabled())
        return;
    Trace("%s)\r\n", CMsg::TypeName(type).c_str());
}

}  // namespace yarrow
