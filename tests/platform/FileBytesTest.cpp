#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/FileBytes.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

// A save replaces the file and reports every failure, a full disk included;
// a read takes up to its limit (more than one chunk) and no further, even
// from an endless device.
TEST(FileBytes, WholeFilesInAndOutReportEveryFailure) {
    test::TempDir dir;
    const std::string path = dir.File("chart.cht");
    const std::string bytes(150000, 'c');
    EXPECT_TRUE(WriteFileBytes(path, "longer than what follows").Written());
    EXPECT_TRUE(WriteFileBytes(path, bytes).Written());
    const FileWrite missing = WriteFileBytes(dir.File("missing/folder/s.bmp"), "BM");
    EXPECT_EQ(std::pair(missing.opened, missing.error), std::pair(false, ENOENT));
    const FileWrite full = WriteFileBytes("/dev/full", std::string(200000, 'x'));
    EXPECT_EQ(std::pair(full.opened, full.error), std::pair(true, ENOSPC));

    EXPECT_EQ(ReadFileBytes(path, bytes.size()).bytes, bytes);
    const FileBytes over = ReadFileBytes(path, bytes.size() - 1);
    EXPECT_EQ(over.status, FileBytes::Status::TooLarge);
    EXPECT_TRUE(over.bytes.empty());
    EXPECT_EQ(ReadFileBytes("/dev/zero", 1000).status, FileBytes::Status::TooLarge);
    const FileBytes none = ReadFileBytes(dir.File("none.cht"), 100);
    EXPECT_EQ(std::pair(none.status, none.error), std::pair(FileBytes::Status::CannotOpen, ENOENT));
}

}  // namespace
}  // namespace yarrow
