// The trace log: switched on and off by the debug codes (DebugCodesTest runs
// them), named after the moment it opened, in the program folder.

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
        trace.Open();
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
