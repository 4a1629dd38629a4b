// The input rules the input line does not already show through its widget:
// the filter's word lists, the double-byte indent, invalid debug codes, the
// sub-handle wrap-around and URLs. InputLineQtTest drives the rest live.

#include <gtest/gtest.h>

#include "chat/CChatLog.h"
#include "chat/CDebugCodes.h"
#include "chat/CTraceLog.h"
#include "chat/InputRules.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "support/FakeLogControl.h"
#include "support/FakeSession.h"
#include "support/FixedClock.h"

namespace yarrow::test {
namespace {

TEST(InputFilter, ReplacesWholeCharactersInListOrder) {
    const std::vector<std::string> persons = {Sjis("僕"), Sjis("俺"), Sjis("私")};
    struct Case {
        std::string text;
        std::vector<std::string> persons, replacements;
        std::string out;
    };
    const Case cases[] = {
        // Words beyond the replacement list take the last replacement.
        {Sjis("僕と俺と私、僕。"), persons, {Sjis("わし")}, Sjis("わしとわしとわし、わし。")},
        {Sjis("僕と俺と私"), persons, {Sjis("拙者"), Sjis("我")}, Sjis("拙者と我と我")},
        {Sjis("僕です"), {Sjis("僕")}, {}, Sjis("僕です")},
        // An empty setting yields one empty word; it must not match everywhere.
        {"abc", {""}, {"X"}, "abc"},
        {Sjis("僕です"), {Sjis("僕")}, {""}, Sjis("です")},
        // "ヶ" is 83 96 and "僕" is 96 6C: in "ヶl" the bytes 96 6C straddle
        // two characters and are not the word.
        {Sjis("ヶl"), {Sjis("僕")}, {Sjis("私")}, Sjis("ヶl")},
        {Sjis("ヶ僕l"), {Sjis("僕")}, {Sjis("私")}, Sjis("ヶ私l")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyFirstPersonFilter(c.text, c.persons, c.replacements), c.out) << c.text;
}

TEST(InputSubmit, DoubleByteSpeakerIndentAndInvalidDebugCode) {
    FakeSession view;
    TempDir dir;
    FixedClock clock;
    FakeLogControl control;
    CChatLog log{&control, clock, dir.Folder()};
    CTraceLog trace{clock, dir.Folder()};
    CDebugCodes debug{log, trace};
    InputState state;
    view.speaker = Sjis("太郎");  // 4 bytes: continuation lines get 6 blanks
    EXPECT_TRUE(SubmitInput(state, "one\r\ntwo\r\nthree", view, debug).sent);
    EXPECT_EQ(view.chats.at(0),
              (SentLine{Sjis("太郎"), "one\r\n      two\r\n      three", view.myColor, LogBox}));

    // An invalid code stays in the input line; the next Enter speaks again.
    debug.BeginDebugInput(state.debugInput);
    const SubmitOutcome outcome = SubmitInput(state, "nonsense", view, debug);
    EXPECT_FALSE(outcome.clearInput);
    EXPECT_TRUE(outcome.debugRun);
    EXPECT_EQ(control.texts.back(), "[Invalid code]");
    EXPECT_TRUE(SubmitInput(state, "cmd_on", view, debug).sent);
    EXPECT_FALSE(debug.IsOn(CDebugCodes::kCommandTrace));
}

TEST(InputRules, SubHandlesWrapAroundAndUrlsEndAtABlank) {
    // {count, selected, previous, next}
    const int wraps[][4] = {{3, -1, 2, 0}, {3, 0, 2, 1}, {3, 2, 1, 0}, {0, -1, -1, -1}};
    for (const auto& w : wraps) {
        EXPECT_EQ(PreviousSubHandleIndex(w[0], w[1]), w[2]) << w[0] << " " << w[1];
        EXPECT_EQ(NextSubHandleIndex(w[0], w[1]), w[3]) << w[0] << " " << w[1];
    }
    EXPECT_EQ(ExtractUrl("see http://example.org/a b"), "http://example.org/a");
    EXPECT_EQ(ExtractUrl("http://exam\r\nple.org"), "http://example.org");
    EXPECT_EQ(ExtractUrl("x http://a.jp/\tnext"), "http://a.jp/");
    EXPECT_FALSE(ExtractUrl("https://secure.example").has_value());
    // A selection made backwards wraps the same text.
    const auto backwards = TagInsertions(3, 0, kSizeTags);
    const auto forwards = TagInsertions(0, 3, kSizeTags);
    ASSERT_EQ(backwards.size(), forwards.size());
    for (std::size_t i = 0; i < forwards.size(); ++i)
        EXPECT_EQ(std::pair(backwards[i].position, backwards[i].text),
                  std::pair(forwards[i].position, forwards[i].text));
}

}  // namespace
}  // namespace yarrow::test
