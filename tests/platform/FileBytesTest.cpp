#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
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

// A document saved over a file whose folder takes no new file, that has other
// names, or that belongs to somebody else is written in place: a new file
// renamed over it would fail, part it from its other names, or take it from
// its owner.
TEST(FileBytes, ASaveKeepsWhatANewFileCouldNotKeep) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    // The name fits the folder, the temporary one beside it does not.
    const std::string longName = dir.File(std::string(250, 'm') + ".map");
    test::TempDir::Write(longName, "earlier");
    const std::string linked = dir.File("linked.map");
    const std::string other = dir.File("other-name.map");
    test::TempDir::Write(linked, "earlier");
    fs::create_hard_link(linked, other);
    const std::string shared = dir.File("shared.map");
    test::TempDir::Write(shared, "earlier");
    struct stat st {};
    ASSERT_EQ(::stat(shared.c_str(), &st), 0);
    // Only the superuser can give a file away; anyone else leaves it theirs.
    const std::pair owner(st.st_uid + 1, st.st_gid + 1);
    const bool givenAway = ::chown(shared.c_str(), owner.first, owner.second) == 0;

    for (const std::string& path : {longName, linked, shared}) {
        EXPECT_TRUE(SaveFileBytes(path, "saved").Written()) << path;
        EXPECT_EQ(test::TempDir::Read(path), "saved") << path;
    }
    EXPECT_EQ(test::TempDir::Read(other), "saved");
    ASSERT_EQ(::stat(shared.c_str(), &st), 0);
    if (givenAway) {
        EXPECT_EQ(std::pair(st.st_uid, st.st_gid), owner);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Folder()), {}), 4);
}

}  // namespace
}  // namespace yarrow
