#include <gtest/gtest.h>

#include "chat/CMemberList.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow::test {
namespace {

class WhisperTest : public ::testing::Test {
  protected:
    void SetUp() override {
        session.myId = 1;
        session.myName = "GM";
        session.speaker = "Narrator";
    }
    FakeSession session;
    std::vector<WhisperRow> three = {{"Ann", 2, true}, {"Ben", 5, true}, {"Cid", 7, true}};
};

TEST_F(WhisperTest, SenderSeesTheFirstNameAndTheRecordListsEveryRecipient) {
    ASSERT_TRUE(SendWhisper(session, session, "psst\r\nhere", three));
    ASSERT_EQ(session.lines.size(), 1u);
    EXPECT_EQ(session.lines[0].name, "GM->Ann");
    EXPECT_EQ(session.lines[0].type, Secret);
    // Continuation lines line up under the speaker name ("Narrator" + 2).
    EXPECT_EQ(session.lines[0].text, "psst\r\n          here");

    ASSERT_EQ(session.records.size(), 1u);
    const CMsg& msg = session.records[0];
    EXPECT_EQ(msg.Type, Secret);
    EXPECT_EQ(msg.ID, 0);  // a whisper is addressed by its recipients alone
    EXPECT_EQ(msg.Name, "GM");
    EXPECT_EQ(msg.Color, session.myColor);
    EXPECT_EQ(msg.Text, session.lines[0].text);
    EXPECT_EQ(msg.Recipients, (std::map<std::uint16_t, std::int32_t>{{0, 2}, {1, 5}, {2, 7}}));
}

TEST_F(WhisperTest, NothingHappensWithoutARecipientTextOrConnection) {
    EXPECT_FALSE(SendWhisper(session, session, "hello", {}));
    EXPECT_FALSE(SendWhisper(session, session, "", three));
    session.connected = false;
    EXPECT_FALSE(SendWhisper(session, session, "hello", three));
    EXPECT_TRUE(session.records.empty());
    EXPECT_TRUE(session.lines.empty());
    EXPECT_TRUE(session.notices.empty());
}

}  // namespace
}  // namespace yarrow::test
