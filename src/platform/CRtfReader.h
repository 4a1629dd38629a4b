#pragma once
// Reads the RTF that the chat log is built from (and that CRtfWriter writes)
// into styled runs that a widget can show. Only what this program generates is
// understood: \rtf1 header, font and colour tables, \cf, \fs, \b, \b0, \par,
// \'hh bytes (code page 932, joined before decoding), \\ \{ \}, \uN, and the
// Symbol font's suit characters. Anything else is ignored. Any input is safe:
// unbalanced braces, huge numbers and truncated escapes never crash, and the
// result never grows faster than the input.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yarrow {

struct RtfCharFormat {
    std::optional<std::uint32_t> color;  // 0xRRGGBB; nothing = the default colour
    int halfPoints = 24;
    bool bold = false;
    bool operator==(const RtfCharFormat&) const = default;
};

// One run of text in one format, or a paragraph break (then `text` is empty).
struct RtfRun {
    RtfCharFormat format;
    std::string text;  // UTF-8
    bool paragraphBreak = false;
    bool operator==(const RtfRun&) const = default;
};

class CRtfReader {
  public:
    // The runs of one document; adjacent text in the same format is one run.
    static std::vector<RtfRun> Read(std::string_view rtf);
    // True when the text of some run had bytes that are not code page 932.
    static bool HadReplacements(const std::vector<RtfRun>& runs);
};

}  // namespace yarrow
