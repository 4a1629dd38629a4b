#include <gtest/gtest.h>

#include "chat/CMemberList.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow::test {
namespace {

std::vector<std::int32_t> IdsOf(const CMemberList& list) {
    return list.Ids();
}

TEST(MemberList, SortedByIdWhateverTheRecordOrder) {
    CMemberList list;
    list.RebuildMembers({{"seven", 7}, {"two", 2}, {"five", 5}});
    EXPECT_EQ(IdsOf(list), (std::vector<std::int32_t>{2, 5, 7}));
    EXPECT_EQ(list.Entries()[0].name, "two");
    EXPECT_EQ(list.Entries()[2].name, "seven");
    EXPECT_EQ(list.NameOf(5), "five");
    EXPECT_FALSE(list.NameOf(3).has_value());

    list.RemoveMember(5);
    EXPECT_EQ(IdsOf(list), (std::vector<std::int32_t>{2, 7}));
    list.RemoveMember(99);
    EXPECT_EQ(IdsOf(list).size(), 2u);
}

TEST(MemberList, TypingMarksFollowTheMemberAndARebuildClearsThem) {
    CMemberList list;
    list.RebuildMembers({{"a", 3}, {"b", 1}});
    EXPECT_TRUE(list.SetTyping(3, true));
    EXPECT_FALSE(list.SetTyping(4, true));
    EXPECT_FALSE(list.Entries()[0].typing);
    EXPECT_TRUE(list.Entries()[1].typing);
    list.SetTyping(3, false);
    EXPECT_FALSE(list.Entries()[1].typing);
    list.SetTyping(1, true);
    list.RebuildMembers({{"a", 3}, {"b", 1}});
    EXPECT_FALSE(list.Entries()[0].typing);
}

TEST(MemberList, WhisperRowsLeaveOutOneselfAndCheckThePreset) {
    CMemberList list;
    list.RebuildMembers({{"me", 4}, {"x", 2}, {"y", 9}});
    const auto rows = list.WhisperRows(4, 9);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].id, 2);
    EXPECT_FALSE(rows[0].checked);
    EXPECT_EQ(rows[1].id, 9);
    EXPECT_TRUE(rows[1].checked);
    for (const auto& row : list.WhisperRows(4, -1))
        EXPECT_FALSE(row.checked);
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
    ASSERT_EQ(view.texts.size(), 1u);
    EXPECT_EQ(view.texts[0].type, UpdateMbr);
    EXPECT_EQ(view.texts[0].text, "Me");

    list.RebuildMembers({{"x", 2}, {"Me", 3}});
    item = list.MaintenanceMenuItem(false, view.myId);
    EXPECT_FALSE(item.enabled);
    EXPECT_EQ(item.text, Sjis("メンバリストをリセットする"));
    RunMaintenanceCommand(view, list);
    ASSERT_EQ(view.texts.size(), 2u);
    EXPECT_EQ(view.texts[1].type, ResetMembers);
    EXPECT_EQ(view.texts[1].text, "");
}

TEST(MemberCall, RecordCarriesTheTargetAndOfflineNothingHappens) {
    FakeSession view;
    view.myName = Sjis("花子");
    EXPECT_TRUE(SendCall(view, 4));
    ASSERT_EQ(view.records.size(), 1u);
    EXPECT_EQ(view.records[0].Type, CallMember);
    EXPECT_EQ(view.records[0].ID, 4);
    EXPECT_EQ(view.records[0].Text, Sjis("花子 さんからのコールです"));
    EXPECT_EQ(CallConfirmText("Bob"), Sjis("Bob さんをコールします。\r\nよろしいですか？"));

    view.connected = false;
    EXPECT_FALSE(SendCall(view, 4));
    EXPECT_EQ(view.records.size(), 1u);
    EXPECT_TRUE(view.notices.empty());
}

}  // namespace
}  // namespace yarrow::test
