#include <gtest/gtest.h>

#include "chat/CMemberList.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow::test {
namespace {

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

}  // namespace
}  // namespace yarrow::test
