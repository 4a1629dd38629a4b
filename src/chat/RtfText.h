#pragma once
// Chat markup to RTF, and the RTF documents that the log is built from. Every
// line of the log is one small complete RTF document; these functions build its
// bytes. All texts are code page 932 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yarrow {

class CColorTable;

// Half-point font sizes; markup sizes 1-5 and the CharSize setting index it.
inline constexpr std::array<int, 6> kSizeTable = {24, 15, 18, 24, 34, 45};

// Replaces every occurrence of `from` in one pass (linear even for texts with
// very many occurrences); the number replaced.
std::size_t ReplaceEvery(std::string& text, std::string_view from, std::string_view to);

// The size-table entry for a CharSize value; values outside the table (which
// only a hand-edited settings file can hold) fall back to the default 24.
int ChatSizeFromCharSize(int charSize);

// Escapes "\", "{" and "}" byte by byte (trail bytes included, the reader
// joins them back) and turns CR LF into "\par ". True when anything changed.
bool EscapeRtf(std::string& text);

// Reads a colour written in markup or settings: "0x"/"0X" removed, the rest
// hexadecimal. Nothing when the text holds anything else or no digit at all.
std::optional<std::uint32_t> ParseMarkupColor(std::string_view text);

// Turns chat markup (<cr>, <h>, <size n>...</size>, <color c>...</color>) of an
// already escaped text into RTF control words. `textColor` is what </color>
// returns to, `defaultSizeHalfPoints` what </size> returns to.
void ConvertMarkup(std::string& text, CColorTable& colors, std::uint32_t textColor,
                   int defaultSizeHalfPoints);

// The document headers, with the colour table in place. Chat documents carry
// the Symbol font as \f1 for the heart; notices do not.
std::string ChatDocumentHeader(const std::string& logColorTable);
std::string NoticeDocumentHeader(const std::string& logColorTable);
// What closes every line document.
inline constexpr std::string_view kDocumentEnd = "\n\\par }";

// The display layout of a chat line (ending in "\n"), from the name colour
// index, the escaped name, the text colour index and the escaped, converted
// text. Nothing for a type that is not a chat line.
std::optional<std::string> ChatLineLayout(std::int32_t type, int nameIndex, std::string_view name,
                                          int textIndex, std::string_view text);

}  // namespace yarrow
