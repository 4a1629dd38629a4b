#pragma once
// Small helpers for code page 932 byte strings.

#include <cstddef>
#include <string>
#include <string_view>

namespace yarrow {

// True for a byte that starts a two-byte code page 932 character.
constexpr bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest prefix of `text` of at most `maxBytes` bytes that does not end
// in the middle of a two-byte character.
std::string TruncateCp932(std::string_view text, std::size_t maxBytes);

}  // namespace yarrow
