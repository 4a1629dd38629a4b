#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/FileBytes.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

TEST(FileBytes, WritesWholeFilesAndReportsEveryFailure) {
    test::TempDir dir;
    const std::string path = dir.File("page.map");
    EXPECT_TRUE(WriteFileBytes(path, "BMxyz").Written());
    EXPECT_TRUE(WriteFileBytes(path, "B").Written());  // replaced, not appended
    EXPECT_EQ(test::TempDir::Read(path), "B");

    const FileWrite missing = WriteFileBytes(dir.File("missing/folder/s.bmp"), "BM");
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.error, ENOENT);

    // A full disk must not pass for a saved file.
    if (std::filesystem::exists("/dev/full")) {
        const FileWrite full = WriteFileBytes("/dev/full", std::string(200000, 'x'));
        EXPECT_TRUE(full.opened);
        EXPECT_EQ(full.error, ENOSPC);
    }
}

TEST(FileBytes, ReadsUpToTheLimitAndNoFurther) {
    test::TempDir dir;
    const std::string path = dir.File("chart.cht");
    const std::string bytes(150000, 'c');  // more than one read chunk
    test::TempDir::Write(path, bytes);

    FileBytes whole = ReadFileBytes(path, bytes.size());
    EXPECT_EQ(whole.status, FileBytes::Status::Read);
    EXPECT_EQ(whole.bytes, bytes);

    FileBytes over = ReadFileBytes(path, bytes.size() - 1);
    EXPECT_EQ(over.status, FileBytes::Status::TooLarge);
    EXPECT_TRUE(over.bytes.empty());

    // An endless device stops one chunk past the limit.
    if (std::filesystem::exists("/dev/zero")) {
        EXPECT_EQ(ReadFileBytes("/dev/zero", 1000).status, FileBytes::Status::TooLarge);
    }

    FileBytes missing = ReadFileBytes(dir.File("none.cht"), 100);
    EXPECT_EQ(missing.status, FileBytes::Status::CannotOpen);
    EXPECT_EQ(missing.error, ENOENT);
}

}  // namespace
}  // namespace yarrow
