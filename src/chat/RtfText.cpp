#include "chat/RtfText.h"

#include "chat/CColorTable.h"
#include "chat/ChatLineText.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/SjisText.h"

namespace yarrow {

namespace {

// Leading decimal number with an optional sign, 0 without digits. Saturates
// far outside 1-5, which is all the caller needs to know.
long LeadingNumber(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (value < 1000000)
            value = value * 10 + (s[i] - '0');
    }
    return negative ? -value : value;
}

std::string Cf(int index) {
    return "\\cf" + std::to_string(index) + " ";
}
std::string Fs(int halfPoints) {
    return "\\fs" + std::to_string(halfPoints) + " ";
}

// Replaces the tags "<name value>" left to right with what `convert` makes of
// the trimmed value. It stops at the first tag that is not closed, has no
// value, or whose value `convert` refuses (nullopt): later tags stay as typed.
// One pass that continues after each replacement: a replacement starts with a
// backslash and so can never complete a tag, which makes this the same as
// searching again from the start, without the quadratic cost on long texts.
// True when at least one tag was converted.
template <typename Convert>
bool ConvertTags(std::string& text, std::string_view name, Convert convert) {
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const auto open = text.find(name, pos);
        if (open == std::string::npos)
            break;
        const auto close = text.find('>', open + name.size());
        if (close == std::string::npos)
            break;
        const std::string_view inner = TrimBlanks(
            std::string_view(text).substr(open + name.size(), close - open - name.size()));
        if (inner.empty())
            break;
        const std::optional<std::string> replacement = convert(inner);
        if (!replacement)
            break;
        out.append(text, pos, open - pos);
        out += *replacement;
        pos = close + 1;
    }
    if (pos == 0)
        return false;
    out.append(text, pos, std::string::npos);
    text = std::move(out);
    return true;
}

// Step 4 of the markup: <size n> tags; a size outside 1-5 is the normal 3.
bool ConvertSizeTags(std::string& text) {
    return ConvertTags(text, "<size", [](std::string_view inner) -> std::optional<std::string> {
        long size = LeadingNumber(inner);
        if (size < 1 || size > 5)
            size = 3;
        return Fs(kSizeTable[static_cast<std::size_t>(size)]);
    });
}

// Step 5: <color c> tags; a value that is no hex colour ends the step.
bool ConvertColorTags(std::string& text, CColorTable& colors) {
    return ConvertTags(text, "<color",
                       [&colors](std::string_view inner) -> std::optional<std::string> {
                           std::string digits(inner);
                           ReplaceEvery(digits, "#", "");
                           const auto rgb = ParseMarkupColor(digits);
                           if (!rgb)
                               return std::nullopt;
                           return Cf(colors.ColorIndex(*rgb));
                       });
}

std::string Header(const std::string& logColorTable, bool withSymbolFont) {
    // Font 0 is the Japanese Gothic system font, its Shift_JIS name in hex
    // escapes; font 1 (chat only) is Symbol, for the heart.
    std::string header =
        "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil"
        "\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;";
    if (withSymbolFont)
        header += " \\f1\\fnil Symbol;";
    header += "}}";
    header += logColorTable;
    header += "\\viewkind\n";
    return header;
}

}  // namespace

std::size_t ReplaceEvery(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty())
        return 0;
    std::size_t pos = text.find(from);
    if (pos == std::string::npos)
        return 0;
    std::string out;
    out.reserve(text.size());
    std::size_t done = 0;
    std::size_t count = 0;
    while (pos != std::string::npos) {
        out.append(text, done, pos - done);
        out.append(to);
        done = pos + from.size();
        ++count;
        pos = text.find(from, done);
    }
    out.append(text, done, std::string::npos);
    text = std::move(out);
    return count;
}

int ChatSizeFromCharSize(int charSize) {
    if (charSize < 0 || charSize >= static_cast<int>(kSizeTable.size()))
        return kSizeTable[3];
    return kSizeTable[static_cast<std::size_t>(charSize)];
}

bool EscapeRtf(std::string& text) {
    bool escaped = false;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            escaped = true;
        }
        out += c;
    }
    if (out.find("\r\n") != std::string::npos) {
        ReplaceEvery(out, "\r\n", "\\par ");
        escaped = true;
    }
    text = std::move(out);
    return escaped;
}

std::optional<std::uint32_t> ParseMarkupColor(std::string_view text) {
    std::string digits(text);
    ReplaceEvery(digits, "0x", "");
    ReplaceEvery(digits, "0X", "");
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return value;
}

void ConvertMarkup(std::string& text, CColorTable& colors, std::uint32_t textColor,
                   int defaultSizeHalfPoints) {
    ReplaceEvery(text, "<cr>", "\\par ");
    ReplaceEvery(text, "<CR>", "\\par ");

    // The heart is the Symbol font's 0xA9 in red, written as colour markup so
    // that the colour step below handles it like a typed tag.
    static const std::string kHeart = "<color FF0000>\\f1 \xA9\\f0 </color>";
    ReplaceEvery(text, "<h>", kHeart);
    ReplaceEvery(text, "<H>", kHeart);

    ReplaceEvery(text, "<SIZE", "<size");
    ReplaceEvery(text, "<COLOR", "<color");

    if (ConvertSizeTags(text)) {
        const std::string back = Fs(defaultSizeHalfPoints);
        ReplaceEvery(text, "</size>", back);
        ReplaceEvery(text, "</SIZE>", back);
    }
    if (ConvertColorTags(text, colors)) {
        // Closing tags do not nest: they always return to the text colour. The
        // text colour takes its table entry here even without a closing tag,
        // so the table's order does not depend on how the line ends.
        const std::string back = Cf(colors.ColorIndex(textColor));
        ReplaceEvery(text, "</color>", back);
        ReplaceEvery(text, "</COLOR>", back);
    }
}

std::string ChatDocumentHeader(const std::string& logColorTable) {
    return Header(logColorTable, true);
}

std::string NoticeDocumentHeader(const std::string& logColorTable) {
    return Header(logColorTable, false);
}

std::optional<std::string> ChatLineLayout(std::int32_t type, int nameIndex, std::string_view name,
                                          int textIndex, std::string_view text) {
    static const std::string kColon = Sjis("：");
    static const std::string kSecret = Sjis("(秘話)：");
    static const std::string kDice = Sjis("(ダイス)：");
    static const std::string kScreenDice = Sjis("(隠しダイス)：");
    static const std::string kCard = Sjis("(カード)：");
    static const std::string kScreenCard = Sjis("(隠しカード)：カードを1枚引きました");
    static const std::string kTimer = Sjis("(タイマ)：");
    static const std::string kDrew = Sjis("を引きました");
    static const std::string kWo = Sjis("を");
    static const std::string kKara = Sjis("から");
    static const std::string kMoved = Sjis("に移動しました");

    // "\cfN\b name\cfT" opens every layout.
    std::string line = "\\cf" + std::to_string(nameIndex) + "\\b ";
    line.append(name);
    line += "\\cf" + std::to_string(textIndex);

    switch (type) {
        case LogBox:
            line.append("\\b0 ").append(kColon).append(text).append("\\cf0 \n");
            break;
        case Secret:
            line.append("\\b0 ").append(kSecret).append(text).append("\n");
            break;
        case DiceRoll:
            line.append("\\b0 ").append(kDice).append(text).append("\n");
            break;
        case ScreenDice:
            line.append("\\b0 ").append(kScreenDice).append(text).append("\n");
            break;
        case DrawCard:
            line.append("\\b0 ").append(kCard).append("\\b ").append(text).append("\\b0 ");
            line.append(kDrew).append("\n");
            break;
        case ScreenCard:
            line.append("\\b0 ").append(kScreenCard).append("\n");
            break;
        case MoveCard: {
            const MoveCardPieces p = SplitMoveCardText(text);
            line.append("\\b0 ").append(kCard);
            line.append("\\b ").append(p.card).append("\\b0 ").append(kWo);
            line.append("\\b ").append(p.from).append("\\b0 ").append(kKara);
            line.append("\\b ").append(p.to).append("\\b0 ").append(kMoved).append("\n");
            break;
        }
        case StartTimer:
            // The whole timer line is bold.
            line.append(" ").append(kTimer).append(text).append("\\b0 \n");
            break;
        case PassCard:
            line.append("\\b0 ").append(kCard).append(text).append("\n");
            break;
        default:
            return std::nullopt;
    }
    return line;
}

}  // namespace yarrow
