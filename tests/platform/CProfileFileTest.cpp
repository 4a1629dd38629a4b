#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <iterator>

#include "platform/CProfileFile.h"
#include "platform/FileBytes.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

using test::TempDir;

class ProfileFile : public ::testing::Test {
  protected:
    TempDir dir_;
    std::string path_ = dir_.File("test.ini");
};

// Lookup ignores case and blanks, takes the first duplicate, cuts values
// without splitting a double-byte character, and reads integers as a sign
// and the leading digits (wrapping, never overflowing).
TEST_F(ProfileFile, LookupFoldsCaseTrimsCutsAndReadsIntegers) {
    const std::string kana = "\x82\xa0";  // "あ"
    TempDir::Write(path_,
                   "top=ignored\r\n"
                   "[Main]\r\n"
                   "  Name \t=\t  Alice  \r\n"
                   "name=Bob\r\n"
                   "Quoted=\"  padded  \"\r\n"
                   "Half=\"open\r\n"
                   "Single='x'\r\n"
                   "long=" +
                       std::string(300, 'x') +
                       "\r\n"
                       "kana=a" +
                       kana + kana +
                       "\r\n"
                       "junk\r\n"
                       "[ other ]\n"
                       "name=Carol\n"
                       "[MAIN]\r\n"
                       "late=second section of the same name\r\n"
                       // 0x83 0x41 is "ア": its trail byte 'A' must not match 'a'.
                       "[\x83\x41]\r\nk=1\r\n[\x83\x61]\r\nk=2\r\n"
                       // "ゾン": the header does not end at the trail byte "]"
                       // of "ゾ"; a stray lead byte before the last "]" does
                       // not hide the header's end.
                       "[\x83\x5D\x83\x93]\r\nk=3\r\n[bad\x83]\r\nk=4\r\n"
                       "[N]\r\na=12abc\r\nb=-7\r\nc=+8\r\nd=abc\r\ne=\r\nf=0x10\r\n"
                       "g=4294967297\r\nh=- 3\r\n");
    CProfileFile f(path_);
    EXPECT_TRUE(f.Exists());
    const struct {
        const char *section, *key;
        std::size_t max;
        std::string value;
    } strings[] = {
        {"main", "NAME", 255, "Alice"},
        {"Other", "name", 255, "Carol"},
        {"Main", "Quoted", 255, "  padded  "},
        {"Main", "Half", 255, "\"open"},
        {"Main", "Single", 255, "x"},
        {"Main", "top", 255, "def"},
        {"Main", "late", 255, "def"},
        {"Nowhere", "name", 255, "def"},
        {"Main", "long", kSettingsValueBytes, std::string(255, 'x')},
        {"Main", "long", kChartValueBytes, std::string(300, 'x')},
        {"Main", "kana", 4, "a" + kana},  // not "a" + kana + a lead byte
        {"Main", "kana", 5, "a" + kana + kana},
    };
    for (const auto& c : strings)
        EXPECT_EQ(f.GetString(c.section, c.key, "def", c.max), c.value) << c.key << c.max;
    const std::pair<const char*, int> ints[] = {{"a", 12}, {"b", -7}, {"c", 8},
                                                {"d", 0},  {"e", 99}, {"f", 0},
                                                {"g", 1},  {"h", 0},  {"missing", 99}};
    for (const auto& [key, value] : ints)
        EXPECT_EQ(f.GetInt("N", key, 99), value) << key;
    EXPECT_EQ(f.GetInt("\x83\x41", "K", 0), 1);
    EXPECT_EQ(f.GetInt("\x83\x61", "k", 0), 2);
    EXPECT_EQ(f.GetInt("\x83\x5D\x83\x93", "k", 0), 3);
    EXPECT_EQ(f.GetInt("bad\x83", "k", 0), 4);
    EXPECT_TRUE(f.HasKey("MAIN", "name"));
    EXPECT_EQ(f.SectionNames(), (std::vector<std::string>{"Main", "other", "\x83\x41", "\x83\x61",
                                                          "\x83\x5D\x83\x93", "bad\x83", "N"}));
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(f.SectionEntries("other"), (Entries{{"name", "Carol"}}));
    EXPECT_EQ(f.SectionEntries("main").size(), 6u);  // each key once, the junk line not
    EXPECT_TRUE(f.SectionEntries("none").empty());
}

// A missing file reads empty and is made by the first write; each write
// sees what another writer wrote before it; a failed write reports false and
// leaves nothing behind.
TEST_F(ProfileFile, MissingFileIsCreatedOnFirstWriteAndWritersShareIt) {
    CProfileFile f(path_);
    EXPECT_FALSE(f.Exists());
    EXPECT_EQ(f.GetString("A", "b", "d"), "d");
    ASSERT_TRUE(f.WriteString("A", "b", "1"));
    EXPECT_TRUE(f.Exists());
    EXPECT_EQ(TempDir::Read(path_), "[A]\r\nb=1\r\n");
    ASSERT_TRUE(CProfileFile(path_).WriteString("B", "c", "2"));
    ASSERT_TRUE(f.WriteString("A", "d", "3"));
    EXPECT_EQ(TempDir::Read(path_), "[A]\r\nb=1\r\nd=3\r\n[B]\r\nc=2\r\n");
    EXPECT_EQ(CProfileFile(path_).GetInt("b", "C", 0), 2);
    // A save that cannot be flushed to the disk could be lost to a power
    // cut: it is no save, and the file stays as it was.
    FailSyncForTest(EIO, 0);
    EXPECT_FALSE(f.WriteString("A", "b", "changed"));
    FailSyncForTest(0, 0);
    EXPECT_EQ(TempDir::Read(path_), "[A]\r\nb=1\r\nd=3\r\n[B]\r\nc=2\r\n");

    CProfileFile nowhere(dir_.File("no/such/folder/x.ini"));
    EXPECT_FALSE(nowhere.WriteString("S", "k", "v"));
    EXPECT_FALSE(nowhere.Exists());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Folder()), {}), 1);
}

// A key write keeps every other line in place; line breaks in a written
// value cannot start a section or a key of their own.
TEST_F(ProfileFile, KeyWriteKeepsEveryOtherLineInPlace) {
    TempDir::Write(path_,
                   "; comment\n"
                   "[One]\n"
                   "Key=old\n"
                   "garbage line\n"
                   "other=\x82\xa0\n"
                   "\n"
                   "[Two]\n"
                   "x=1\n"
                   "[broken\n");
    CProfileFile f(path_);
    ASSERT_TRUE(f.WriteString("one", "KEY", "new"));
    ASSERT_TRUE(f.WriteString("One", "added", "a\r\n[Evil]\r\nk=v"));
    ASSERT_TRUE(f.WriteString("Two", "y", "2"));
    EXPECT_EQ(TempDir::Read(path_),
              "; comment\r\n"
              "[One]\r\n"
              "KEY=new\r\n"
              "garbage line\r\n"
              "other=\x82\xa0\r\n"
              "added=a  [Evil]  k=v\r\n"
              "\r\n"
              "[Two]\r\n"
              "x=1\r\n"
              "[broken\r\n"
              "y=2\r\n");
}

TEST_F(ProfileFile, SectionWriteReplacesOnlyThatSection) {
    TempDir::Write(path_, "[A]\r\nold=1\r\nstale=2\r\n\r\n[B]\r\nkeep=1\r\n");
    CProfileFile f(path_);
    ASSERT_TRUE(f.WriteSection("a", {"new=3"}));
    ASSERT_TRUE(f.WriteSection("C", {"c1=x", "c2=y"}));
    EXPECT_EQ(TempDir::Read(path_), "[A]\r\nnew=3\r\n\r\n[B]\r\nkeep=1\r\n[C]\r\nc1=x\r\nc2=y\r\n");
    EXPECT_FALSE(f.HasKey("A", "old"));
    EXPECT_EQ(f.GetString("A", "new"), "3");
}

TEST_F(ProfileFile, OversizedFileIsReadInPartAndNeverRewritten) {
    std::string head = "[S]\r\nk=v\r\n";
    std::string big = head + std::string(CProfileFile::kMaxFileBytes, ';') + "\r\n[T]\r\nt=1\r\n";
    TempDir::Write(path_, big);
    CProfileFile f(path_);
    EXPECT_EQ(f.GetString("S", "k"), "v");
    EXPECT_FALSE(f.HasKey("T", "t"));
    EXPECT_FALSE(f.WriteString("S", "k", "w"));
    EXPECT_EQ(std::filesystem::file_size(path_), big.size());
}

// As large as a settings file may be, every line a different key or
// section: listing them must not compare each with all the earlier ones
// (that would not finish within the test's time limit).
TEST_F(ProfileFile, AFileFullOfKeysAndSectionsIsListedWhole) {
    constexpr int kKeys = 200000;
    std::string text = "[S]\r\n";
    for (int i = 0; i < kKeys; ++i)
        text += "key" + std::to_string(1000000 + i) + "=\r\n";
    text += "KEY1000000=repeat\r\n[s]\r\nx=1\r\n";
    for (int i = 0; i < kKeys / 2; ++i)
        text += "[n" + std::to_string(1000000 + i) + "]\r\n";
    ASSERT_LE(text.size(), CProfileFile::kMaxFileBytes);
    TempDir::Write(path_, text);
    const CProfileFile f(path_);
    const auto entries = f.SectionEntries("S");
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kKeys));
    EXPECT_EQ(entries.front(), (std::pair<std::string, std::string>{"key1000000", ""}));
    EXPECT_EQ(f.SectionNames().size(), static_cast<std::size_t>(1 + kKeys / 2));
}

}  // namespace
}  // namespace yarrow
