#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cards/CCardSender.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow {
namespace {

// Each row: one sender call, the record it makes while connected, and
// whether it tells the user when there is no connection.
struct SenderCase {
    const char* name;
    std::function<void(CCardSender&)> call;
    std::int32_t type;
    std::int32_t param1;
    std::vector<std::string> strings;
    bool noticeOffline;
};

class CardSenderTest : public ::testing::TestWithParam<SenderCase> {};

test::FakeSession Member() {
    test::FakeSession member;
    member.myId = 2;
    member.myColor = 0x00FF00;
    member.speaker = "Me";
    return member;
}

TEST_P(CardSenderTest, BuildsItsRecordOrTellsWhyNot) {
    const SenderCase& c = GetParam();
    test::FakeSession host = Member();
    CCardSender sender(host, host);
    c.call(sender);
    ASSERT_EQ(host.records.size(), 1u);
    const CMsg& msg = host.records[0];
    EXPECT_EQ(msg.Type, c.type);
    EXPECT_EQ(msg.ID, 2);
    EXPECT_EQ(msg.Param1, c.param1);
    EXPECT_EQ(msg.Strings, c.strings);
    EXPECT_TRUE(host.notices.empty());
    if (c.type != ShuffleDeck && c.type != ResetGrave) {
        EXPECT_EQ(msg.Name, "Me");
        EXPECT_EQ(msg.Color, 0x00FF00);
    }

    test::FakeSession offline = Member();
    offline.connected = false;
    CCardSender offlineSender(offline, offline);
    c.call(offlineSender);
    EXPECT_TRUE(offline.records.empty());
    if (c.noticeOffline) {
        EXPECT_EQ(offline.notices, std::vector<std::string>{
                                       Sjis("◇ この機能はサーバに接続していないと使用できません")});
    } else {
        EXPECT_TRUE(offline.notices.empty());
    }
}

const std::vector<std::string> kTwo{"00001A", "00002B"};

INSTANTIATE_TEST_SUITE_P(
    Cards, CardSenderTest,
    ::testing::Values(
        SenderCase{"OpenDraw", [](CCardSender& s) { s.RequestDraw(true); }, DrawCard, 0, {}, true},
        SenderCase{
            "HiddenDraw", [](CCardSender& s) { s.RequestDraw(false); }, ScreenCard, 0, {}, true},
        SenderCase{
            "RandomCard", [](CCardSender& s) { s.RequestRandomCard(5); }, RndmGet, 5, {}, true},
        SenderCase{"Move", [](CCardSender& s) { s.SendMoveCards(0x0103, kTwo); }, MoveCard, 0x0103,
                   kTwo, false},
        SenderCase{"Look", [](CCardSender& s) { s.RequestCardStat(7); }, GetCardStat, 7, {}, false},
        SenderCase{"Pass", [](CCardSender& s) { s.PassCards(5, kTwo); }, PassCard, 5, kTwo, false},
        SenderCase{"Shuffle", [](CCardSender& s) { s.ShuffleDeck(); }, ShuffleDeck, 0, {}, true},
        SenderCase{"ResetGrave", [](CCardSender& s) { s.ResetGrave(); }, ResetGrave, 0, {}, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CardSender, NothingGoesOutWithoutAMemberOrCards) {
    test::FakeSession host = Member();
    CCardSender sender(host, host);
    sender.RequestRandomCard(0);
    sender.RequestRandomCard(-1);
    sender.RequestCardStat(0);
    EXPECT_FALSE(sender.PassCards(-1, kTwo));
    EXPECT_FALSE(sender.PassCards(5, {}));
    EXPECT_FALSE(sender.SendMoveCards(0x0102, {}));
    EXPECT_TRUE(host.records.empty());
}

}  // namespace
}  // namespace yarrow
