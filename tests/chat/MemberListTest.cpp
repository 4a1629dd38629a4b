#include <gtest/gtest.h>

#include "chat/CMemberList.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow::test {
namespace {

TEST(MemberList, UnknownIdsChangeNothingAndARebuildClearsTypingMarks) {
    CMemberList list;
    list.RebuildMembers({{"a", 3}, {"b", 1}});
    EXPECT_FALSE(list.SetTyping(4, true));
    EXPECT_FALSE(list.NameOf(4).has_value());
    list.RemoveMember(99);
    EXPECT_TRUE(list.SetTyping(3, true));
    list.RebuildMembers({{"a", 3}, {"b", 1}});
    EXPECT_EQ(list.Ids(), (std::vector<std::int32_t>{1, 3}));
    EXPECT_FALSE(list.Entries()[1].typing);
}

TEST(MemberMaintenance, ItemTextAndRecordDependOnTheOwnIdBeingListed) {
    CMemberList list;
    FakeSession view;
    view.myId = 3;
    view.myName = "Me";
    list.RebuildMembers({{"x", 2}});
    MaintenanceItem item = list.MaintenanceMenuItem(true, view.myId);
    EXPECT_TRUE(item.enabled);
    EXPECT_EQ(item.text, Sjis("接続情報をサーバに送信する"));
    RunMaintenanceCommand(view, list);

    list.RebuildMembers({{"x", 2}, {"Me", 3}});
    item = list.MaintenanceMenuItem(false, view.myId);
    EXPECT_FALSE(item.enabled);
    EXPECT_EQ(item.text, Sjis("メンバリストをリセットする"));
    RunMaintenanceCommand(view, list);
    EXPECT_EQ(view.texts,
              (std::vector<SentLine>{{"", "Me", 0, UpdateMbr}, {"", "", 0, ResetMembers}}));
}

TEST(MemberCall, RecordCarriesTheTargetAndOfflineNothingHappens) {
    FakeSession view;
    view.myName = Sjis("花子");
    EXPECT_TRUE(SendCall(view, 4));
    ASSERT_EQ(view.records.size(), 1u);
    EXPECT_EQ(view.records[0].Type, CallMember);
    EXPECT_EQ(view.records[0].ID, 4);
    EXPECT_EQ(view.records[0].Text, Sjis("花子 さんからのコールです"));
    view.connected = false;
    EXPECT_FALSE(SendCall(view, 4));
    EXPECT_EQ(view.records.size(), 1u);
    EXPECT_TRUE(view.notices.empty());
}

TEST(Whisper, RecordIsAddressedByItsRecipientsAloneAndNeedsTextAndConnection) {
    FakeSession view;
    view.speaker = "Narrator";
    const std::vector<WhisperRow> rows = {{"Ann", 2, true}, {"Ben", 5, true}};
    ASSERT_TRUE(SendWhisper(view, view, "psst\r\nhere", rows));
    const CMsg& msg = view.records.at(0);
    EXPECT_EQ(msg.ID, 0);
    EXPECT_EQ(msg.Name, "GM");
    EXPECT_EQ(msg.Color, view.myColor);
    // Continuation lines line up under the speaker name ("Narrator" + 2).
    EXPECT_EQ(msg.Text, "psst\r\n          here");
    EXPECT_EQ(msg.Recipients, (std::map<std::uint16_t, std::int32_t>{{0, 2}, {1, 5}}));

    EXPECT_FALSE(SendWhisper(view, view, "hello", {}));
    EXPECT_FALSE(SendWhisper(view, view, "", rows));
    view.connected = false;
    EXPECT_FALSE(SendWhisper(view, view, "hello", rows));
    EXPECT_EQ(view.records.size(), 1u);
    EXPECT_EQ(view.lines.size(), 1u);
    EXPECT_TRUE(view.notices.empty());
}

}  // namespace
}  // namespace yarrow::test
