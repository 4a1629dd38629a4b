#pragma once
// Byte-level helpers for code page 932 text in std::string: where characters
// begin, cutting to a byte limit, trimming and replacing. A two-byte character
// is a lead byte (0x81-0x9F, 0xE0-0xFC) and any byte after it; the trail byte
// may look like ASCII ('\\', '@', letters), so everything that searches or
// cuts walks the text character by character from its start.

#include <cstddef>
#include <string>
#include <string_view>

namespace yarrow {

constexpr bool IsSjisLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes of the character at `pos`: 2 for a lead byte with a byte after it,
// otherwise 1 (a lead byte at the very end stands alone).
std::size_t SjisCharWidth(std::string_view text, std::size_t pos);

// The longest prefix of at most `maxBytes` bytes that does not end inside a
// two-byte character, and its length.
std::string SjisCut(std::string_view text, std::size_t maxBytes);
std::size_t SjisCutLength(std::string_view text, std::size_t maxBytes);

// Position of the first `c` (a single-byte character) that starts a
// character, or npos: a trail byte equal to `c` is not a match.
std::size_t SjisFind(std::string_view text, char c);

// The value of an ASCII hexadecimal digit, or -1.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Blanks as the readers of typed and file text understand them.
inline constexpr std::string_view kAsciiBlanks = " \t\r\n\v\f";

// `text` without the `blanks` at either end. Blanks are single-byte ASCII, so
// trimming never splits a character.
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = kAsciiBlanks);

// Every occurrence of `from` that starts at a character boundary replaced by
// `to`, left to right, without rescanning what was put in. Empty `from`: no
// change.
void ReplaceAllSjis(std::string& text, std::string_view from, std::string_view to);

// Every occurrence of `from` replaced by `to`, byte by byte, for escapes of
// lines that readers split byte by byte (at "," say). Neither ASCII
// punctuation like "," and "%" nor a line end can be the second byte of a
// double-byte character, so valid text is never cut; and a stray lead byte
// before a separator (received text may hold one) cannot hide the separator
// from the escaping while the split still sees it.
std::string ReplaceAllBytes(std::string_view text, std::string_view from, std::string_view to);

}  // namespace yarrow
