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

TEST(InputFilter, WordsBeyondTheReplacementListTakeTheLastReplacement) {
    const std::vector<std::string> persons = {Sjis("僕"), Sjis("俺"), Sjis("私")};
    const std::vector<std::string> one = {Sjis("わし")};
    EXPECT_EQ(ApplyFirstPersonFilter(Sjis("僕と俺と私、僕。"), persons, one),
              Sjis("わしとわしとわし、わし。"));

    const std::vector<std::string> two = {Sjis("拙者"), Sjis("我")};
    EXPECT_EQ(ApplyFirstPersonFilter(Sjis("僕と俺と私"), persons, two), Sjis("拙者と我と我"));
}

TEST(InputFilter, NoReplacementsOrEmptyWordsLeaveTheTextAlone) {
    EXPECT_EQ(ApplyFirstPersonFilter(Sjis("僕です"), {Sjis("僕")}, {}), Sjis("僕です"));
    // An empty setting yields one empty word; it must not match everywhere.
    EXPECT_EQ(ApplyFirstPersonFilter("abc", {""}, {"X"}), "abc");
    // An empty replacement removes the word.
    EXPECT_EQ(ApplyFirstPersonFilter(Sjis("僕です"), {Sjis("僕")}, {""}), Sjis("です"));
}

TEST(InputFilter, MatchesOnlyWholeCharacters) {
    // "ヶ" is 83 96 and "僕" is 96 6C: in "ヶl" the bytes 96 6C straddle two
    // characters and are not the word.
    const std::string text = Sjis("ヶl");
    ASSERT_NE(text.find(Sjis("僕")), std::string::npos);
    EXPECT_EQ(ApplyFirstPersonFilter(text, {Sjis("僕")}, {Sjis("私")}), text);
    EXPECT_EQ(ApplyFirstPersonFilter(Sjis("ヶ僕l"), {Sjis("僕")}, {Sjis("私")}), Sjis("ヶ私l"));
}

TEST(InputLine, TypingNoticesGoOutOnce) {
    InputState state;
    EXPECT_EQ(OnInputChanged(state, "a").notice, NowSaying);
    EXPECT_FALSE(OnInputChanged(state, "a\r\nb").notice.has_value());
    EXPECT_EQ(OnInputChanged(state, "").notice, EndSaying);
    EXPECT_FALSE(OnInputChanged(state, "").notice.has_value());
}

class SubmitTest : public ::testing::Test {
  protected:
    FakeSession view;
    TempDir dir;
    FixedClock clock;
    FakeLogControl control;
    CChatLog log{&control, clock, dir.Folder()};
    CTraceLog trace{clock, dir.Folder()};
    CDebugCodes debug{log, trace};
    InputState state;
};

TEST_F(SubmitTest, TwoLineRemarkIsIndentedUnderTheSpeakerName) {
    view.speaker = Sjis("太郎");  // 4 bytes: continuation lines get 6 blanks
    state.typing = true;
    const SubmitOutcome outcome = SubmitInput(state, "one\r\ntwo\r\nthree", view, debug);
    EXPECT_TRUE(outcome.sent);
    EXPECT_TRUE(outcome.clearInput);
    EXPECT_FALSE(state.typing);
    ASSERT_EQ(view.chats.size(), 1u);
    EXPECT_EQ(view.chats[0].name, Sjis("太郎"));
    EXPECT_EQ(view.chats[0].text, "one\r\n      two\r\n      three");
    EXPECT_EQ(view.chats[0].type, LogBox);
    EXPECT_EQ(view.chats[0].color, view.myColor);
    // A remark needs no EndSaying.
    EXPECT_TRUE(view.texts.empty());
}

TEST_F(SubmitTest, EmptyEnterSendsNothing) {
    state.typing = true;
    const SubmitOutcome outcome = SubmitInput(state, "", view, debug);
    EXPECT_FALSE(outcome.sent);
    EXPECT_TRUE(view.chats.empty());
    EXPECT_TRUE(view.texts.empty());
    EXPECT_FALSE(state.typing);
}

TEST_F(SubmitTest, FilterAppliesOnlyWhileOn) {
    state.filter.persons = {Sjis("僕")};
    state.filter.replacements = {Sjis("私")};
    SubmitInput(state, Sjis("僕だ"), view, debug);
    state.filter.on = true;
    SubmitInput(state, Sjis("僕だ"), view, debug);
    ASSERT_EQ(view.chats.size(), 2u);
    EXPECT_EQ(view.chats[0].text, Sjis("僕だ"));
    EXPECT_EQ(view.chats[1].text, Sjis("私だ"));
}

TEST_F(SubmitTest, DebugInputTakesOneEnterAndKeepsAnInvalidCode) {
    debug.BeginDebugInput(state.debugInput);
    SubmitOutcome outcome = SubmitInput(state, "cmd_on", view, debug);
    EXPECT_TRUE(outcome.debugRun);
    EXPECT_TRUE(outcome.clearInput);
    EXPECT_TRUE(debug.IsOn(CDebugCodes::kCommandTrace));
    EXPECT_FALSE(state.debugInput);
    EXPECT_TRUE(view.chats.empty());

    debug.BeginDebugInput(state.debugInput);
    outcome = SubmitInput(state, "nonsense", view, debug);
    EXPECT_FALSE(outcome.clearInput);
    EXPECT_EQ(control.texts.back(), "[Invalid code]");

    // The flag is gone: the next Enter speaks again.
    outcome = SubmitInput(state, "cmd_off", view, debug);
    EXPECT_TRUE(outcome.sent);
    EXPECT_TRUE(debug.IsOn(CDebugCodes::kCommandTrace));
}

TEST(SpeakerName, TypedSubHandleIsAddedOnceAndEmptyFallsBackToHandle) {
    SubHandleChoice choice;
    choice.items = {"Alice"};
    choice.subRadio = true;
    choice.text = "";
    EXPECT_EQ(ResolveSpeakerName("GM", choice), "GM");
    EXPECT_EQ(choice.items.size(), 1u);

    choice.text = "Bob";
    EXPECT_EQ(ResolveSpeakerName("GM", choice), "Bob");
    EXPECT_EQ(choice.items, (std::vector<std::string>{"Alice", "Bob"}));
    EXPECT_EQ(choice.selected, 1);
    choice.selected = -1;  // typed again over the edit field
    EXPECT_EQ(ResolveSpeakerName("GM", choice), "Bob");
    EXPECT_EQ(choice.items.size(), 2u);
    EXPECT_EQ(choice.selected, 1);

    choice.subRadio = false;
    EXPECT_EQ(ResolveSpeakerName("GM", choice), "GM");
}

TEST(SpeakerName, PreviousAndNextWrapAround) {
    EXPECT_EQ(PreviousSubHandleIndex(3, -1), 2);
    EXPECT_EQ(PreviousSubHandleIndex(3, 0), 2);
    EXPECT_EQ(PreviousSubHandleIndex(3, 2), 1);
    EXPECT_EQ(NextSubHandleIndex(3, 2), 0);
    EXPECT_EQ(NextSubHandleIndex(3, -1), 0);
    EXPECT_EQ(NextSubHandleIndex(3, 0), 1);
    EXPECT_EQ(NextSubHandleIndex(0, -1), -1);
    EXPECT_EQ(PreviousSubHandleIndex(0, -1), -1);
}

TEST(TagInsertion, WrapsTheSelectionOrInsertsBothTagsAtTheCaret) {
    EXPECT_EQ(ApplyInsertions("big text", TagInsertions(0, 3, kSizeTags)),
              "<size >big</size> text");
    EXPECT_EQ(ApplyInsertions("red", TagInsertions(3, 0, kColorTags)), "<color >red</color>");
    EXPECT_EQ(ApplyInsertions("ab", TagInsertions(1, 1, kSizeTags)), "a<size ></size>b");
    // The caret lands after the blank, where the size is typed.
    const std::string text = ApplyInsertions("ab", TagInsertions(1, 1, kSizeTags));
    EXPECT_EQ(text.substr(0, CaretAfterEmptyTagInsertion(1, kSizeTags)), "a<size ");
}

TEST(InputTexts, UrlRunsToTheNextBlankWithoutLineBreaks) {
    EXPECT_EQ(ExtractUrl("see http://example.org/a b"), "http://example.org/a");
    EXPECT_EQ(ExtractUrl("http://exam\r\nple.org"), "http://example.org");
    EXPECT_EQ(ExtractUrl("x http://a.jp/\tnext"), "http://a.jp/");
    EXPECT_FALSE(ExtractUrl("https://secure.example").has_value());
}

}  // namespace
}  // namespace yarrow::test
