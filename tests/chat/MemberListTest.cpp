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

}  // namespace
}  // namespace yarrow::test
