#include "platform/CRtfWriter.h"

#include <algorithm>
#include <cstdio>

#include "platform/Cp932.h"
#include "platform/SjisText.h"

namespace yarrow {

namespace {

// The Symbol font byte of a suit character at the start of `utf8` (3 bytes).
int SymbolByte(std::string_view utf8) {
    if (utf8.size() < 3 || utf8[0] != '\xE2' || utf8[1] != '\x99')
        return -1;
    switch (static_cast<unsigned char>(utf8[2])) {
        case 0xA3:
            return 0xA7;  // club
        case 0xA6:
            return 0xA8;  // diamond
        case 0xA5:
            return 0xA9;  // heart
        case 0xA0:
            return 0xAA;  // spade
        default:
            return -1;
    }
}

void AppendHexByte(std::string& out, unsigned char byte) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\'%02x", byte);
    out += buf;
}

// Code page 932 bytes as RTF text: ASCII as it is (with \ { } escaped), every
// other byte as \'hh so the document is plain 7-bit text. A double-byte
// character is written as two \'hh escapes even when its trail byte is ASCII
// (0x5C, 0x7B, ...): other readers join only hex escapes into one character.
void AppendCp932(std::string& out, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const char ch = bytes[i];
        if (IsSjisLeadByte(c) && i + 1 < bytes.size()) {
            AppendHexByte(out, c);
            AppendHexByte(out, static_cast<unsigned char>(bytes[++i]));
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += ch;
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\n') {
            out += "\\line ";
        } else if (c < 0x20) {
            // other control characters have no place in a chat log
        } else if (c >= 0x80) {
            AppendHexByte(out, c);
        } else {
            out += ch;
        }
    }
}

void AppendText(std::string& out, std::string_view utf8) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const int symbol = SymbolByte(utf8.substr(i));
        if (symbol < 0) {
            ++i;
            continue;
        }
        AppendCp932(out, Utf8ToCp932(utf8.substr(start, i - start)).text);
        out += "{\\f1 ";
        AppendHexByte(out, static_cast<unsigned char>(symbol));
        out += "}";
        i += 3;
        start = i;
    }
    AppendCp932(out, Utf8ToCp932(utf8.substr(start)).text);
}

}  // namespace

std::string CRtfWriter::WriteRtf(const std::vector<RtfRun>& runs) {
    std::vector<std::uint32_t> colors;
    for (const RtfRun& run : runs) {
        if (run.format.color &&
            std::find(colors.begin(), colors.end(), *run.format.color) == colors.end()) {
            colors.push_back(*run.format.color);
        }
    }
    std::string out =
        "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil"
        "\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
        "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n{\\colortbl;";
    for (std::uint32_t rgb : colors) {
        char entry[64];
        std::snprintf(entry, sizeof entry, "\\red%u\\green%u\\blue%u;", (rgb >> 16) & 0xFFu,
                      (rgb >> 8) & 0xFFu, rgb & 0xFFu);
        out += entry;
    }
    out += "}\r\n\\viewkind4\\uc1\\pard\\f0\\fs24 ";

    RtfCharFormat current;
    for (const RtfRun& run : runs) {
        if (run.paragraphBreak) {
            out += "\\par\r\n";
            continue;
        }
        const RtfCharFormat& f = run.format;
        if (f.color != current.color) {
            int index = 0;
            if (f.color) {
                index = static_cast<int>(std::find(colors.begin(), colors.end(), *f.color) -
                                         colors.begin()) +
                        1;
            }
            out += "\\cf" + std::to_string(index) + " ";
        }
        if (f.halfPoints != current.halfPoints) {
            out += "\\fs" + std::to_string(f.halfPoints) + " ";
        }
        if (f.bold != current.bold)
            out += f.bold ? "\\b " : "\\b0 ";
        current = f;
        AppendText(out, run.text);
    }
    out += "\r\n}\r\n";
    return out;
}

std::string CRtfWriter::WriteText(const std::vector<RtfRun>& runs) {
    std::string out;
    for (const RtfRun& run : runs) {
        if (run.paragraphBreak) {
            out += "\r\n";
        } else {
            out += Utf8ToCp932(run.text).text;
        }
    }
    return out;
}

}  // namespace yarrow
