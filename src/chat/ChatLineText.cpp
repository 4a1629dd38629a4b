#include "chat/ChatLineText.h"

#include "platform/SjisText.h"

#include "net/MsgType.h"
#include "platform/Cp932.h"

namespace yarrow {

MoveCardPieces SplitMoveCardText(std::string_view text) {
    MoveCardPieces pieces;
    auto first = text.find('\t');
    if (first == std::string_view::npos) {
        pieces.to = text;
        return pieces;
    }
    auto second = text.find('\t', first + 1);
    if (second == std::string_view::npos) {
        // One tab: the card stands before it; the rest is the last piece.
        pieces.card = text.substr(0, first);
        pieces.to = text.substr(first + 1);
        return pieces;
    }
    pieces.card = text.substr(0, first);
    pieces.from = text.substr(first + 1, second - first - 1);
    pieces.to = text.substr(second + 1);
    return pieces;
}

namespace {

std::string Join(std::string_view name, const std::string& label, std::string_view text) {
    std::string line;
    line.reserve(name.size() + label.size() + text.size() + 2);
    line.append(name).append(label).append(text).append("\r\n");
    return line;
}

}  // namespace

std::optional<std::string> PlainTextLine(std::int32_t type, std::string_view name,
                                         std::string_view text) {
    if (text.empty())
        return std::nullopt;
    static const std::string kColon = Sjis("：");
    static const std::string kSecret = Sjis("(秘話)：");
    static const std::string kDice = Sjis("(ダイス)：");
    static const std::string kScreenDice = Sjis("(隠しダイス)：");
    static const std::string kCard = Sjis("(カード)：");
    static const std::string kTimer = Sjis("(タイマ)：");
    static const std::string kDrew = Sjis("を引きました");
    static const std::string kWo = Sjis("を");
    static const std::string kKara = Sjis("から");
    static const std::string kMoved = Sjis("に移動しました");

    std::string line;
    switch (type) {
        case LogBox:
            line = Join(name, kColon, text);
            break;
        case Secret:
            line = Join(name, kSecret, text);
            break;
        case DiceRoll:
            line = Join(name, kDice, text);
            break;
        case ScreenDice:
            line = Join(name, kScreenDice, text);
            break;
        case DrawCard:
            line = Join(name, kCard, std::string(text) + kDrew);
            break;
        case MoveCard: {
            MoveCardPieces p = SplitMoveCardText(text);
            line = Join(name, kCard, p.card + kWo + p.from + kKara + p.to + kMoved);
            break;
        }
        case StartTimer:
            line = Join(name, kTimer, text);
            break;
        case PassCard:
            line = Join(name, kCard, text);
            break;
        default:
            return std::nullopt;  // ScreenCard and non-chat types have none
    }
    ReplaceAllSjis(line, "<cr>", "\r\n");
    ReplaceAllSjis(line, "<CR>", "\r\n");
    return line;
}

std::optional<std::string> PastLogLine(std::int32_t type, std::string_view name,
                                       std::string_view text) {
    if (text.empty() || type == Secret)
        return std::nullopt;
    static const std::string kHiddenDice = Sjis("(隠しダイス)：(ころころ……)\r\n");
    static const std::string kHiddenCard = Sjis("(隠しカード)：カードを1枚引きました\r\n");
    if (type == ScreenDice)
        return std::string(name) + kHiddenDice;
    if (type == ScreenCard)
        return std::string(name) + kHiddenCard;
    return PlainTextLine(type, name, text);
}

}  // namespace yarrow
