#pragma once
// Writes styled runs (as CRtfReader gives them) back out: the whole log as one
// RTF document with its own colour table, or as plain text with CR LF.

#include <string>
#include <vector>

#include "platform/CRtfReader.h"

namespace yarrow {

class CRtfWriter {
  public:
    // One RTF document in the chat header's layout (Gothic font 0, Symbol font
    // 1, colour table, "\viewkind"); text as code page 932 with every non-ASCII
    // byte as \'hh; the heart and the other suits in the Symbol font.
    static std::string WriteRtf(const std::vector<RtfRun>& runs);
    // The text in code page 932, each paragraph break as CR LF.
    static std::string WriteText(const std::vector<RtfRun>& runs);
};

}  // namespace yarrow
