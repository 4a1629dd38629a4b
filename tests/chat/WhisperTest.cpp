#include <gtest/gtest.h>

#include "chat/CMemberList.h"
#include "chat/InputTestFakes.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

using test::FakeChatView;

class WhisperTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.myId = 1;
        view.myName = "GM";
        view.speaker = "Narrator";
    }
    FakeChatView view;
    std::vector<WhisperRow> three = {{"Ann", 2, true}, {"Ben", 5, true}, {"Cid", 7, true}};
};

TEST_F(WhisperTest, SenderSeesTheFirstNameAndEveryRecipientItsOwn) {
    ASSERT_TRUE(SendWhisper(view, "psst\r\nhere", three));
    ASSERT_EQ(view.chatLines.size(), 1u);
    EXPECT_EQ(view.chatLines[0].name, "GM->Ann");
    EXPECT_EQ(view.chatLines[0].type, Secret);
    // Continuation lines line up under the speaker name ("Narrator" + 2).
    EXPECT_EQ(view.chatLines[0].text, "psst\r\n          here");

    ASSERT_EQ(view.records.size(), 1u);
    const CMsg& msg = view.records[0];
    EXPECT_EQ(msg.Type, Secret);
    EXPECT_EQ(msg.Name, "GM");
    EXPECT_EQ(msg.Color, view.myColor);
    EXPECT_EQ(msg.Text, view.chatLines[0].text);
    EXPECT_EQ(msg.Recipients, (std::map<std::uint16_t, std::int32_t>{{0, 2}, {1, 5}, {2, 7}}));

    EXPECT_EQ(ReceivedWhisperName(msg, 5, Sjis("騎士")), "GM->" + Sjis("騎士"));
    EXPECT_EQ(ReceivedWhisperName(msg, 7, "Cid"), "GM->Cid");
    EXPECT_FALSE(ReceivedWhisperName(msg, 3, "Dee").has_value());
}

TEST_F(WhisperTest, NothingGoesOutWithoutACheckedMemberOrText) {
    EXPECT_FALSE(SendWhisper(view, "hello", {}));
    EXPECT_FALSE(SendWhisper(view, "", three));
    EXPECT_TRUE(view.records.empty());
    EXPECT_TRUE(view.chatLines.empty());
    EXPECT_TRUE(view.notices.empty());
}

TEST_F(WhisperTest, OfflineWhisperIsReportedNotShown) {
    view.connected = false;
    EXPECT_FALSE(SendWhisper(view, "hello", three));
    EXPECT_TRUE(view.records.empty());
    EXPECT_TRUE(view.chatLines.empty());
    EXPECT_EQ(view.notices.size(), 1u);
}

}  // namespace
}  // namespace yarrow
