#pragma once
// Code page 932 (Shift_JIS with its vendor extensions) is the byte form of every text
// on the wire and in files. The core keeps those bytes in std::string as they
// are; these helpers convert at the edges (UI, wide archive strings).

#include <string>
#include <string_view>

namespace yarrow {

struct Cp932Conversion {
    std::string text;       // the converted bytes
    bool replaced = false;  // true when some input could not be represented
};

// The character written in place of one that code page 932 cannot hold: the
// geta mark, which every Japanese reader recognises as "a character was here".
inline constexpr std::string_view kCp932Replacement = "\x81\xac";  // 〓

// UTF-8 to code page 932. Unrepresentable characters (and broken UTF-8) become
// the geta mark and set `replaced`; nothing is dropped silently.
Cp932Conversion Utf8ToCp932(std::string_view utf8);

// Code page 932 to UTF-8. Bytes that are not valid code page 932 become U+FFFD
// and set `replaced`.
Cp932Conversion Cp932ToUtf8(std::string_view cp932);

// UTF-16 (as the archive's wide-string form carries it) to code page 932.
// Unpaired surrogates and unrepresentable characters become the geta mark.
Cp932Conversion Utf16ToCp932(std::u16string_view utf16);

// The code page 932 bytes of a text written in the source as UTF-8. Sources are
// UTF-8; every Japanese text the program sends, writes or compares goes through
// this once (keep hot ones in a static). Characters outside code page 932 are
// a programming error here and come out as the geta mark.
std::string Sjis(std::string_view utf8);

}  // namespace yarrow
