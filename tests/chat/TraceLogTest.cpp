// The trace log: switched on and off by the debug codes, named after its first
// output, in the program folder.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "chat/CTraceLog.h"
#include "platform/Trace.h"
#include "support/FixedClock.h"

namespace yarrow {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TraceLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        folder = fs::temp_directory_path() / ("yarrow_trace_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        SetTraceSink({});
        fs::remove_all(folder);
    }
    fs::path folder;
    test::FixedClock clock{1700000000};
};

TEST_F(TraceLogTest, OnWriteOffAndAlreadyOff) {
    CTraceLog trace(clock, folder.string() + "/");
    Trace("before\r\n");  // off: goes nowhere
    EXPECT_FALSE(trace.FileOpen());

    trace.TraceOn();
    EXPECT_TRUE(TraceEnabled());
    const fs::path path = folder / "2023_11_14_22_13_20.log";
    EXPECT_EQ(trace.FilePath(), path.string());
    clock.now += 60;  // the name stays that of the first output
    Trace("CYarrowView::ConnectSocket(Port:%d IP:%s)\r\n", 15000, "127.0.0.1");
    EXPECT_EQ(ReadFile(path),
              "[TraceLog ON]\r\nCYarrowView::ConnectSocket(Port:15000 IP:127.0.0.1)\r\n");

    EXPECT_TRUE(trace.TraceOff());
    EXPECT_FALSE(TraceEnabled());
    Trace("after\r\n");
    EXPECT_EQ(ReadFile(path),
              "[TraceLog ON]\r\nCYarrowView::ConnectSocket(Port:15000 IP:127.0.0.1)\r\n"
              "[TraceLog OFF]\r\n");
    EXPECT_FALSE(trace.TraceOff());  // the caller reports "[TraceLog already OFF]"
}

TEST_F(TraceLogTest, OpenAndCloseForTheDebugCodes) {
    CTraceLog trace(clock, folder.string() + "/");
    EXPECT_TRUE(trace.Open());  // the file exists before the first line
    EXPECT_TRUE(fs::exists(folder / "2023_11_14_22_13_20.log"));
    Trace("List none\r\n");
    trace.Close();
    EXPECT_FALSE(TraceEnabled());
    EXPECT_FALSE(trace.FileOpen());
    EXPECT_EQ(ReadFile(folder / "2023_11_14_22_13_20.log"), "List none\r\n");
    CTraceLog nowhere(clock, (folder / "missing").string() + "/");
    EXPECT_FALSE(nowhere.Open());
}

TEST_F(TraceLogTest, UncreatableFileDropsOutputAndDestructorUninstalls) {
    {
        CTraceLog trace(clock, (folder / "missing").string() + "/");
        trace.TraceOn();
        Trace("dropped\r\n");
        EXPECT_FALSE(trace.FileOpen());
        EXPECT_TRUE(trace.IsOn());
    }
    // A destroyed trace log must not stay installed as the sink.
    EXPECT_FALSE(TraceEnabled());
    Trace("safe\r\n");
    EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
}  // namespace yarrow
