#pragma once
// Map snapshots: the page as shown on screen, written as a Windows bitmap
// file with 16 bits per pixel in 5-5-5 colour, rows bottom-up, each row padded
// to a multiple of four bytes. Files of this exact form are what other
// players' tools open, so every header byte is fixed.

#include <cstddef>
#include <cstdint>
#include <string>

namespace yarrow {

// Bytes before the pixel rows: the 14-byte file header and the 40-byte
// information header.
inline constexpr std::size_t kBmpHeaderBytes = 54;

// Bytes of one padded pixel row.
constexpr std::size_t BmpRowBytes(int width) {
    return (static_cast<std::size_t>(width > 0 ? width : 0) * 2 + 3) & ~std::size_t{3};
}

// The whole file for a picture of width x height pixels. `pixels` holds the
// rows top-down, `stride` pixels apart, each pixel 0x??RRGGBB (the top byte is
// ignored). A zero or negative size gives the headers alone.
std::string EncodeBmp555(int width, int height, const std::uint32_t* pixels, std::size_t stride);

}  // namespace yarrow
