#include <gtest/gtest.h>

#include <string>

#include "chat/RtfText.h"
#include "platform/CRtfReader.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

std::string TextOf(const std::string& rtf) {
    std::string text;
    for (const RtfRun& run : CRtfReader::Read(rtf))
        text += run.paragraphBreak ? "\n" : run.text;
    return text;
}

const char kHeader[] = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\colortbl;}\\viewkind\n";

TEST(RtfReaderDoubleByte, RawTrailBytesThatLookLikeBracesStayInTheCharacter) {
    // The timer line's label is written unescaped; "マ" is 0x83 0x7D ("}").
    const std::string rtf = kHeader + Sjis("\\b GM (タイマ)：3秒\\b0 ") + "\n\\par }";
    EXPECT_EQ(TextOf(rtf), "GM (タイマ)：3秒\n");
    // "{" as the trail byte of a raw lead byte: "ボ" is 0x83 0x7B.
    EXPECT_EQ(TextOf(kHeader + std::string("\x83{x}")), "ボx");
}

TEST(RtfReaderDoubleByte, EscapedTrailBytesJoinTheirLeadByte) {
    // Escaped text keeps a trail byte "\" as "\\": "表" is 0x95 0x5C.
    std::string escaped = Sjis("表示ソフト");
    EscapeRtf(escaped);
    EXPECT_EQ(TextOf(kHeader + escaped + "}"), "表示ソフト");
    // Hex-escaped pairs are unaffected.
    EXPECT_EQ(TextOf(kHeader + std::string("\\'95\\'5c}")), "表");
}

}  // namespace
}  // namespace yarrow
