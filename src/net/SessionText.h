#pragma once
// Small text helpers for the connection and dispatch code: printf-style
// formatting into code page 932 strings, and cutting or walking such strings
// without splitting a double-byte character.

#include <cstddef>
#include <string>
#include <string_view>

namespace yarrow {

// printf-style formatting; the arguments are code page 932 bytes already.
std::string SjisFormat(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The byte width (1 or 2) of the character starting at `pos`; a lead byte
// at the very end counts as one byte.
std::size_t SjisCharWidth(std::string_view text, std::size_t pos);

// At most `maxBytes` bytes of `text`, never ending in half a character.
std::string SjisCut(std::string_view text, std::size_t maxBytes);

}  // namespace yarrow
