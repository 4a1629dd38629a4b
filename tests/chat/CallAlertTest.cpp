#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "chat/CCallAlert.h"
#include "net/CMsg.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/ISound.h"

namespace yarrow {
namespace {

struct Event {
    std::string what;
    int a = 0, b = 0;
    bool operator==(const Event&) const = default;
};

class Recorder : public ICallAlertHost, public ISound, public IClock {
  public:
    void BringToFront() override { events.push_back({"front"}); }
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }
    void Pause(int ms) override { events.push_back({"pause", ms}); }
    void Tone(int hertz, int ms) override { events.push_back({"tone", hertz, ms}); }
    void ErrorBeep() override { events.push_back({"error"}); }
    std::time_t Now() const override { return now; }

    std::vector<Event> events;
    std::vector<std::string> notices;
    std::time_t now = 0;
};

class CallAlertTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    Recorder rec;
    CCallAlert alert{rec, rec, rec};
};

TEST_F(CallAlertTest, TargetComesToFrontBeepsThreeTimesAndNotesTheTime) {
    CMsg msg;
    msg.Type = CallMember;
    msg.ID = 4;
    msg.Text = Sjis("花子 さんからのコールです");
    rec.now = 1700000000;  // 2023-11-14 22:13:20 UTC
    ASSERT_TRUE(alert.Receive(msg, 4));
    const std::vector<Event> expected = {
        {"front"},          {"tone", 800, 300}, {"pause", 50},
        {"tone", 800, 300}, {"pause", 50},      {"tone", 800, 300},
    };
    EXPECT_EQ(rec.events, expected);
    ASSERT_EQ(rec.notices.size(), 1u);
    EXPECT_EQ(rec.notices[0], Sjis("花子 さんからのコールです(呼出時間 22:13:20)"));
}

TEST_F(CallAlertTest, OthersIgnoreTheCall) {
    CMsg msg;
    msg.Type = CallMember;
    msg.ID = 4;
    EXPECT_FALSE(alert.Receive(msg, 5));
    EXPECT_FALSE(alert.Receive(msg, -1));
    msg.Type = LogBox;
    EXPECT_FALSE(alert.Receive(msg, 4));
    EXPECT_TRUE(rec.events.empty());
    EXPECT_TRUE(rec.notices.empty());
}

}  // namespace
}  // namespace yarrow
