#include <gtest/gtest.h>

#include "chat/CCountdown.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow::test {
namespace {

// Runs the window timers as the clock would: always the one due first,
// tracking when each was started. Returns the announcements with the
// milliseconds since the start at which they went out.
struct Announcement {
    int atMs;
    std::string text;
};

class CountdownTest : public ::testing::Test {
  protected:
    std::vector<Announcement> RunToEnd(int limitTicks = 200) {
        std::vector<Announcement> out;
        std::map<int, int> due;  // timer id -> due time
        for (auto& [id, period] : timers.running)
            due[id] = now + period;
        for (int i = 0; i < limitTicks && !timers.running.empty(); ++i) {
            // The earliest due timer; the end timer wins a tie, as it was
            // armed for exactly that moment.
            int next = -1;
            for (auto& [id, at] : due) {
                if (next == -1 || at < due[next] || (at == due[next] && id == 2))
                    next = id;
            }
            now = due[next];
            const std::size_t before = view.texts.size();
            const std::map<int, int> runningBefore = timers.running;
            timers.lastStarted.clear();
            if (next == CCountdown::kTickTimer)
                countdown.OnTickTimer();
            else
                countdown.OnEndTimer();
            for (std::size_t t = before; t < view.texts.size(); ++t) {
                out.push_back({now, view.texts[t].text});
            }
            // Re-arm: restarted timers count from now; a repeating timer that
            // was left alone comes again one period later.
            std::map<int, int> nextDue;
            for (auto& [id, period] : timers.running) {
                if (timers.lastStarted.count(id) || !runningBefore.count(id)) {
                    nextDue[id] = now + period;
                } else if (id == next) {
                    nextDue[id] = now + period;
                } else {
                    nextDue[id] = due[id];
                }
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

std::string Left(const char* duration) {
    return Sjis("<b>あと ") + Sjis(duration) + "</b>";
}

TEST(FormatDuration, WritesZeroParts) {
    EXPECT_EQ(FormatDuration(0), Sjis("0秒"));
    EXPECT_EQ(FormatDuration(59), Sjis("59秒"));
    EXPECT_EQ(FormatDuration(60), Sjis("1分0秒"));
    EXPECT_EQ(FormatDuration(3599), Sjis("59分59秒"));
    EXPECT_EQ(FormatDuration(3600), Sjis("1時間0分0秒"));
    EXPECT_EQ(FormatDuration(3600 * 25 + 61), Sjis("25時間1分1秒"));
}

TEST_F(CountdownTest, ThreeSecondsCountsTwoOneAndTimeUp) {
    ASSERT_TRUE(countdown.BeginCountdown(3, 1));
    ASSERT_EQ(view.chats.size(), 1u);
    EXPECT_EQ(view.chats[0].text, Sjis("3秒"));
    EXPECT_EQ(view.chats[0].type, StartTimer);
    EXPECT_EQ(view.chats[0].name, view.SpeakerName());

    const auto said = RunToEnd();
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[0].atMs, 1000);
    EXPECT_EQ(said[0].text, Left("2秒"));
    EXPECT_EQ(said[1].atMs, 2000);
    EXPECT_EQ(said[1].text, Left("1秒"));
    EXPECT_EQ(said[2].atMs, 3000);
    EXPECT_EQ(said[2].text, "<b>Time Up!</b>");
    for (const auto& text : view.texts)
        EXPECT_EQ(text.type, CountTimer);
    EXPECT_EQ(countdown.Remaining(), 0);
    EXPECT_TRUE(timers.running.empty());
}

TEST_F(CountdownTest, SixtyEverySixtyFirstSpeaksAtFiveSecondsLeft) {
    ASSERT_TRUE(countdown.BeginCountdown(60, 60));
    EXPECT_EQ(view.chats[0].text, Sjis("1分0秒(55秒間隔)"));
    const auto said = RunToEnd();
    ASSERT_EQ(said.size(), 6u);
    EXPECT_EQ(said[0].atMs, 55000);
    EXPECT_EQ(said[0].text, Left("5秒"));
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(said[i].atMs, 55000 + i * 1000);
        EXPECT_EQ(said[i].text, Left((std::to_string(5 - i) + "秒").c_str()));
    }
    EXPECT_EQ(said[5].atMs, 60000);
    EXPECT_EQ(said[5].text, "<b>Time Up!</b>");
}

TEST_F(CountdownTest, TenMinutesEveryMinuteThenTheLastFiveSeconds) {
    ASSERT_TRUE(countdown.BeginCountdown(600, 60));
    EXPECT_EQ(view.chats[0].text, Sjis("10分0秒(1分0秒間隔)"));
    const auto said = RunToEnd();
    ASSERT_EQ(said.size(), 9u + 5u + 1u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(said[i].atMs, (i + 1) * 60000);
        EXPECT_EQ(said[i].text, Left((std::to_string(9 - i) + "分0秒").c_str()));
    }
    EXPECT_EQ(said[9].atMs, 595000);
    EXPECT_EQ(said[9].text, Left("5秒"));
    EXPECT_EQ(said[13].atMs, 599000);
    EXPECT_EQ(said[13].text, Left("1秒"));
    EXPECT_EQ(said[14].atMs, 600000);
    EXPECT_EQ(said[14].text, "<b>Time Up!</b>");
}

TEST_F(CountdownTest, InvalidTimesAreRefusedWithoutStoppingARunningCountdown) {
    ASSERT_TRUE(countdown.BeginCountdown(90, 10));
    const std::size_t lines = view.chats.size();
    EXPECT_FALSE(countdown.BeginCountdown(30, 60));  // interval longer than the total
    EXPECT_FALSE(countdown.BeginCountdown(0, 1));
    EXPECT_FALSE(countdown.BeginCountdown(10, 0));
    EXPECT_FALSE(countdown.BeginCountdown(-5, 1));
    // 1000 hours would overflow the milliseconds.
    EXPECT_FALSE(countdown.BeginCountdown(3600 * 1000, 60));
    EXPECT_EQ(view.chats.size(), lines);
    EXPECT_TRUE(timers.IsRunning(CCountdown::kTickTimer));
    EXPECT_EQ(countdown.Remaining(), 90000);
}

TEST_F(CountdownTest, CancelStopsTimersKeepsRemainingAndCanRepeat) {
    ASSERT_TRUE(countdown.BeginCountdown(30, 10));
    countdown.OnTickTimer();
    countdown.CancelCountdown();
    EXPECT_TRUE(timers.running.empty());
    EXPECT_EQ(countdown.Remaining(), 20000);
    countdown.CancelCountdown();
    const std::string cancelled = Sjis("<b>タイマをキャンセルしました</b>");
    ASSERT_GE(view.texts.size(), 2u);
    EXPECT_EQ(view.texts[view.texts.size() - 1].text, cancelled);
    EXPECT_EQ(view.texts[view.texts.size() - 2].text, cancelled);
    EXPECT_EQ(view.texts.back().type, CountTimer);

    // A stray tick after the cancel says nothing.
    const std::size_t before = view.texts.size();
    countdown.OnEndTimer();
    countdown.OnTickTimer();
    EXPECT_EQ(view.texts.size(), before + 1);  // only the end's Time Up
    EXPECT_EQ(countdown.Remaining(), 0);
}

TEST_F(CountdownTest, ShortTotalsCountEverySecondAndNewStartReplacesTheOld) {
    ASSERT_TRUE(countdown.BeginCountdown(5, 5));
    EXPECT_EQ(view.chats.back().text, Sjis("5秒"));
    EXPECT_EQ(timers.Period(CCountdown::kTickTimer), 1000);
    ASSERT_TRUE(countdown.BeginCountdown(120, 30));
    EXPECT_EQ(view.chats.back().text, Sjis("2分0秒(30秒間隔)"));
    EXPECT_EQ(timers.Period(CCountdown::kTickTimer), 30000);
    EXPECT_EQ(countdown.Remaining(), 120000);
}

}  // namespace
}  // namespace yarrow::test
