// libFuzzer target: a chat line as a peer may send it, through the whole
// path to the log: escaping, markup to RTF, the line layout and the document
// around it, then the log's RTF reader. Nothing may crash; the document must
// keep its braces balanced (a peer's text must never close the document or
// open a group of its own) and the colour table must stay bounded.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "chat/CColorTable.h"
#include "chat/RtfText.h"
#include "platform/CRtfReader.h"

using namespace yarrow;
using fuzz::Check;

namespace {

// Braces that are not escaped, counted as a reader would: the depth never
// drops below zero and ends where it began.
bool Balanced(const std::string& rtf) {
    long depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;  // the escaped byte (or the first of a control word)
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}') {
            if (--depth < 0)
                return false;
        }
    }
    return depth == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest = fuzz::Bytes(data, size);
    const std::string_view nameBytes = fuzz::TakePart(rest);
    std::string name(nameBytes);
    std::string text(rest);

    // One table for the whole run, as the log keeps one for the session.
    static CColorTable colors;
    EscapeRtf(name);
    EscapeRtf(text);
    ConvertMarkup(text, colors, 0x000000, 24);
    Check(colors.Colors().size() <= CColorTable::kMaxColors,
          "the colour table grows without bound");

    const int nameIndex = colors.ColorIndex(0x112233);
    const int textIndex = colors.ColorIndex(0x000000);
    // The line type comes with the record too; the name part's length picks it.
    const auto type = static_cast<std::int32_t>(nameBytes.size() % 16);
    const auto layout = ChatLineLayout(type, nameIndex, name, textIndex, text);
    if (!layout)
        return 0;
    const std::string document =
        ChatDocumentHeader(colors.LogColorTable()) + *layout + std::string(kDocumentEnd);
    Check(Balanced(document), "a chat line unbalances the document's braces");
    CRtfReader::Read(document);
    return 0;
}
