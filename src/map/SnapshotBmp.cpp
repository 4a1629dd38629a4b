#include "map/SnapshotBmp.h"

#include <cstdio>

namespace yarrow {
namespace {

void PutU16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// 0x??RRGGBB -> 0RRRRRGGGGGBBBBB: the top five bits of each channel.
std::uint16_t To555(std::uint32_t rgb) {
    const std::uint32_t r = (rgb >> 19) & 0x1F;
    const std::uint32_t g = (rgb >> 11) & 0x1F;
    const std::uint32_t b = (rgb >> 3) & 0x1F;
    return static_cast<std::uint16_t>((r << 10) | (g << 5) | b);
}

}  // namespace

std::string EncodeBmp555(int width, int height, const std::uint32_t* pixels, std::size_t stride) {
    if (width <= 0 || height <= 0 || pixels == nullptr) {
        width = 0;
        height = 0;
    }
    const std::size_t rowBytes = BmpRowBytes(width);
    const std::size_t total = kBmpHeaderBytes + rowBytes * static_cast<std::size_t>(height);
    std::string out;
    out.reserve(total);
    // File header.
    out += "BM";
    PutU32(out, static_cast<std::uint32_t>(total));
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, static_cast<std::uint32_t>(kBmpHeaderBytes));
    // Information header: size, width, height (positive: bottom-up), one
    // plane, 16 bits, no compression, everything else zero.
    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(height));
    PutU16(out, 1);
    PutU16(out, 16);
    for (int i = 0; i < 6; ++i) {
        PutU32(out, 0);
    }
    for (int y = height - 1; y >= 0; --y) {
        const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            PutU16(out, To555(row[x]));
        }
        for (std::size_t pad = static_cast<std::size_t>(width) * 2; pad < rowBytes; ++pad) {
            out.push_back('\0');
        }
    }
    return out;
}

}  // namespace yarrow
