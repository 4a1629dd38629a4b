#include <gtest/gtest.h>

#include "chat/CCountdown.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow::test {
namespace {

class CountdownTest : public ::testing::Test {
  protected:
    // Runs the window timers as the clock would, always the one due first
    // (the end timer wins a tie), restarted timers counting from then. The
    // announcements as "ms:text" with the time since the start.
    std::vector<std::string> RunToEnd() {
        std::vector<std::string> out;
        std::map<int, int> due;  // timer id -> due time
        for (auto& [id, period] : timers.running)
            due[id] = now + period;
        for (int i = 0; i < 200 && !timers.running.empty(); ++i) {
            int next = -1;
            for (auto& [id, at] : due) {
                if (next == -1 || at < due[next] ||
                    (at == due[next] && id == CCountdown::kEndTimer))
                    next = id;
            }
            now = due[next];
            const std::size_t before = view.texts.size();
            const std::map<int, int> runningBefore = timers.running;
            timers.lastStarted.clear();
            next == CCountdown::kTickTimer ? countdown.OnTickTimer() : countdown.OnEndTimer();
            for (std::size_t t = before; t < view.texts.size(); ++t) {
                EXPECT_EQ(view.texts[t].type, CountTimer);
                out.push_back(std::to_string(now) + ":" + view.texts[t].text);
            }
            std::map<int, int> nextDue;
            for (auto& [id, period] : timers.running) {
                const bool restarted = timers.lastStarted.count(id) || !runningBefore.count(id);
                nextDue[id] = restarted || id == next ? now + period : due[id];
            }
            due = nextDue;
        }
        return out;
    }

    struct RecordingTimers : FakeTimers {
        bool StartTimer(int id, int periodMs) override {
            lastStarted[id] = periodMs;
            return FakeTimers::StartTimer(id, periodMs);
        }
        std::map<int, int> lastStarted;
    };

    FakeSession view;
    RecordingTimers timers;
    CCountdown countdown{view, timers};
    int now = 0;
};

TEST(FormatDuration, WritesZeroParts) {
    const std::pair<int, const char*> cases[] = {
        {0, "0秒"}, {3599, "59分59秒"}, {3600, "1時間0分0秒"}, {3600 * 25 + 61, "25時間1分1秒"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatDuration(seconds), Sjis(text)) << seconds;
}

TEST_F(CountdownTest, AnnouncesAtTheIntervalThenEachOfTheLastFiveSeconds) {
    struct Case {
        int total, interval;
        const char* start;
        std::vector<std::string> said;  // "ms:remaining", the last five seconds added below
    };
    const Case cases[] = {
        {3, 1, "3秒", {"1000:2秒", "2000:1秒"}},
        // Shortened so that an announcement falls five seconds before the end.
        {60, 60, "1分0秒(55秒間隔)", {"55000:5秒"}},
        {600,
         60,
         "10分0秒(1分0秒間隔)",
         {"60000:9分0秒", "120000:8分0秒", "180000:7分0秒", "240000:6分0秒", "300000:5分0秒",
          "360000:4分0秒", "420000:3分0秒", "480000:2分0秒", "540000:1分0秒", "595000:5秒"}},
    };
    for (const Case& c : cases) {
        view.chats.clear();
        view.texts.clear();
        now = 0;
        ASSERT_TRUE(countdown.BeginCountdown(c.total, c.interval));
        ASSERT_EQ(view.chats.size(), 1u);
        EXPECT_EQ(view.chats[0], (SentLine{"GM", Sjis(c.start), view.myColor, StartTimer}));
        std::vector<std::string> expected;
        for (const std::string& s : c.said) {
            const auto colon = s.find(':');
            expected.push_back(s.substr(0, colon + 1) + Sjis("<b>あと ") +
                               Sjis(s.substr(colon + 1)) + "</b>");
        }
        const int end = c.total * 1000;
        for (int left = 4; left >= 1 && c.total > 5; --left)
            expected.push_back(std::to_string(end - left * 1000) + ":" + Sjis("<b>あと ") +
                               std::to_string(left) + Sjis("秒") + "</b>");
        expected.push_back(std::to_string(end) + ":<b>Time Up!</b>");
        EXPECT_EQ(RunToEnd(), expected) << c.total;
        EXPECT_EQ(countdown.Remaining(), 0);
        EXPECT_TRUE(timers.running.empty());
    }
}

TEST_F(CountdownTest, RefusedTimesKeepTheRunningCountdownANewStartReplacesItCancelKeeps) {
    ASSERT_TRUE(countdown.BeginCountdown(90, 10));
    // Interval longer than the total, zero or negative times, and 1000 hours,
    // which would overflow the milliseconds.
    const std::pair<int, int> bad[] = {{30, 60}, {0, 1}, {10, 0}, {-5, 1}, {3600 * 1000, 60}};
    for (const auto& [total, interval] : bad)
        EXPECT_FALSE(countdown.BeginCountdown(total, interval)) << total;
    EXPECT_EQ(view.chats.size(), 1u);
    EXPECT_EQ(timers.Period(CCountdown::kTickTimer), 10000);
    EXPECT_EQ(countdown.Remaining(), 90000);
    // A new start replaces the old one.
    ASSERT_TRUE(countdown.BeginCountdown(120, 30));
    EXPECT_EQ(timers.Period(CCountdown::kTickTimer), 30000);
    EXPECT_EQ(countdown.Remaining(), 120000);

    // Cancelling stops the timers and keeps what remained, and may repeat.
    countdown.OnTickTimer();
    countdown.CancelCountdown();
    countdown.CancelCountdown();
    EXPECT_TRUE(timers.running.empty());
    EXPECT_EQ(countdown.Remaining(), 90000);
    const std::string cancelled = Sjis("<b>タイマをキャンセルしました</b>");
    ASSERT_EQ(view.texts.size(), 3u);
    EXPECT_EQ(view.texts[1], (SentLine{"", cancelled, 0, CountTimer}));
    EXPECT_EQ(view.texts[2], view.texts[1]);
    // A stray tick after the end says nothing.
    countdown.OnEndTimer();
    countdown.OnTickTimer();
    EXPECT_EQ(view.texts.size(), 4u);  // only the end's Time Up
    EXPECT_EQ(countdown.Remaining(), 0);
}

}  // namespace
}  // namespace yarrow::test
