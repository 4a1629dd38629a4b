#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "map/SnapshotBmp.h"

namespace yarrow {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

TEST(SnapshotBmp, ThreeByTwoPictureByteForByte) {
    // Top row: red, green, blue; bottom row: white, black, grey 0x808080.
    // The top byte of a pixel is ignored.
    const std::vector<std::uint32_t> pixels = {0xFFFF0000, 0x0000FF00, 0x000000FF,
                                               0x00FFFFFF, 0xFF000000, 0x00808080};
    const std::string file = EncodeBmp555(3, 2, pixels.data(), 3);
    // clang-format off
    const std::string expected = Bytes({
        'B', 'M', 70, 0, 0, 0,  0, 0, 0, 0,  54, 0, 0, 0,
        40, 0, 0, 0,  3, 0, 0, 0,  2, 0, 0, 0,  1, 0,  16, 0,
        0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
        // bottom row first: white 7FFF, black 0000, grey 4210, two bytes of padding
        0xFF, 0x7F,  0x00, 0x00,  0x10, 0x42,  0, 0,
        // top row: red 7C00, green 03E0, blue 001F, padding
        0x00, 0x7C,  0xE0, 0x03,  0x1F, 0x00,  0, 0,
    });
    // clang-format on
    EXPECT_EQ(file, expected);
}

TEST(SnapshotBmp, StrideSkipsPixelsBeyondTheWidthAndRowsArePadded) {
    // Two pixels wide, stored with a stride of four: the rest is not written.
    const std::vector<std::uint32_t> pixels = {0xFFFFFF, 0xFFFFFF, 0x123456, 0x123456,
                                               0x000000, 0x000000, 0x123456, 0x123456};
    const std::string file = EncodeBmp555(2, 2, pixels.data(), 4);
    ASSERT_EQ(file.size(), 54u + 2 * 4);
    EXPECT_EQ(file.substr(54), Bytes({0, 0, 0, 0, 0xFF, 0x7F, 0xFF, 0x7F}));
}

TEST(SnapshotBmp, SizesForKnownClientAreas) {
    struct Case {
        int width, height;
        std::size_t rowBytes, fileBytes;
    };
    for (const Case& c : {Case{1, 1, 4, 58}, Case{2, 1, 4, 58}, Case{3, 5, 8, 94},
                          Case{640, 480, 1280, 54 + 1280 * 480}, Case{641, 10, 1284, 54 + 12840}}) {
        SCOPED_TRACE(c.width);
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(c.width) * c.height);
        const std::string file = EncodeBmp555(c.width, c.height, pixels.data(), c.width);
        EXPECT_EQ(BmpRowBytes(c.width), c.rowBytes);
        ASSERT_EQ(file.size(), c.fileBytes);
        const auto u32 = [&](std::size_t at) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(file[at])) |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + 1])) << 8 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + 2])) << 16 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + 3])) << 24;
        };
        EXPECT_EQ(u32(2), c.fileBytes);
        EXPECT_EQ(u32(18), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(u32(22), static_cast<std::uint32_t>(c.height));
    }
    // An empty client area gives the headers with zero sizes, never a crash.
    const std::string empty = EncodeBmp555(0, 7, nullptr, 0);
    EXPECT_EQ(empty.size(), 54u);
    EXPECT_EQ(empty[2], 54);
}

}  // namespace
}  // namespace yarrow
