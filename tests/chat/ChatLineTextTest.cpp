#include <gtest/gtest.h>

#include "chat/ChatLineText.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

TEST(ChatLineText, PlainLinesOfEveryTypedKind) {
    const std::string gm = "GM";
    EXPECT_EQ(*PlainTextLine(LogBox, gm, "hi"), Sjis("GM：hi\r\n"));
    EXPECT_EQ(*PlainTextLine(Secret, gm, "psst"), Sjis("GM(秘話)：psst\r\n"));
    EXPECT_EQ(*PlainTextLine(DiceRoll, gm, "2D6=7"), Sjis("GM(ダイス)：2D6=7\r\n"));
    EXPECT_EQ(*PlainTextLine(ScreenDice, gm, "2D6=7"), Sjis("GM(隠しダイス)：2D6=7\r\n"));
    EXPECT_EQ(*PlainTextLine(DrawCard, gm, "A"), Sjis("GM(カード)：Aを引きました\r\n"));
    EXPECT_EQ(*PlainTextLine(StartTimer, gm, "t"), Sjis("GM(タイマ)：t\r\n"));
    EXPECT_EQ(*PlainTextLine(PassCard, gm, "p"), Sjis("GM(カード)：p\r\n"));
    EXPECT_EQ(*PlainTextLine(MoveCard, gm, "A\tB\tC"),
              Sjis("GM(カード)：AをBからCに移動しました\r\n"));
    // No text-log line for a hidden card, an empty text, or a non-chat type.
    EXPECT_FALSE(PlainTextLine(ScreenCard, gm, "A"));
    EXPECT_FALSE(PlainTextLine(LogBox, gm, ""));
    EXPECT_FALSE(PlainTextLine(Chart, gm, "x"));
}

TEST(ChatLineText, LineBreakMarkupBecomesCrLf) {
    EXPECT_EQ(*PlainTextLine(LogBox, "GM", "hello<CR>world<cr>!"),
              Sjis("GM：hello\r\nworld\r\n!\r\n"));
}

TEST(ChatLineText, PastLogMasksHiddenLinesAndDropsWhispers) {
    EXPECT_FALSE(PastLogLine(Secret, "GM", "secret"));
    EXPECT_EQ(*PastLogLine(ScreenDice, "GM", "2D6=12"), Sjis("GM(隠しダイス)：(ころころ……)\r\n"));
    EXPECT_EQ(*PastLogLine(ScreenCard, "GM", "Ace"),
              Sjis("GM(隠しカード)：カードを1枚引きました\r\n"));
    EXPECT_EQ(*PastLogLine(LogBox, "GM", "hi"), *PlainTextLine(LogBox, "GM", "hi"));
}

TEST(ChatLineText, MoveCardPiecesWithMissingTabs) {
    MoveCardPieces none = SplitMoveCardText("whole");
    EXPECT_EQ(none.card, "");
    EXPECT_EQ(none.from, "");
    EXPECT_EQ(none.to, "whole");
    MoveCardPieces extra = SplitMoveCardText("a\tb\tc\td");
    EXPECT_EQ(extra.card, "a");
    EXPECT_EQ(extra.from, "b");
    EXPECT_EQ(extra.to, "c\td");
}

}  // namespace
}  // namespace yarrow
