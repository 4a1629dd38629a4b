#pragma once
// Small text helpers for the connection and dispatch code: printf-style
// formatting into code page 932 strings, and cutting or walking such strings
// without splitting a double-byte character.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/SjisText.h"

namespace yarrow {

// printf-style formatting; the arguments are code page 932 bytes already.
std::string SjisFormat(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace yarrow
