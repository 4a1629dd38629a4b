#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "map/CChipFile.h"
#include "map/CMapFile.h"
#include "map/SnapshotBmp.h"
#include "net/NetTestUtil.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "support/FullDisk.h"

namespace yarrow {
namespace {

using test::Bytes;

class MapFileTest : public ::testing::Test {
  protected:
    std::string PathOf(const char* name) const { return dir_.File(name); }
    static std::string ReadAll(const std::string& path) { return test::TempDir::Read(path); }
    static void WriteAll(const std::string& path, const std::string& bytes) {
        test::TempDir::Write(path, bytes);
    }
    test::TempDir dir_;
};

// A page with two items and two tiles, one of each labelled.
CMapPage SamplePage() {
    CMapPage page(0);
    UnitMap units;
    units[MakeCellKey(1, 2)] = CUnitRecord{0x21, 0x0000FF, 5, "AB", kNoAnchor};
    units[MakeCellKey(3, 4)] = CUnitRecord{0x10, 2, 200, "", 0x0102};
    TileMap tiles;
    tiles[MakeCellKey(0, 1)] = CTileRecord{0x00FF00, 0, 1, ""};
    tiles[MakeCellKey(2, 0)] = CTileRecord{0xFFFFFF, 0x112233, 2, "L"};
    page.ReplaceContents(std::move(units), std::move(tiles), page.MapFlags(), false, false);
    return page;
}

TEST_F(MapFileTest, ItemsCarryTheAnchorBeforeTheirTextAndFourByteLengths) {
    CMapPage page = SamplePage();
    page.SetHexShape(false);
    page.SetSmallTiles(true);
    page.SetClientSize(200, 120);  // 20 columns, 12 rows
    const std::string expected =
        Bytes({3, 12, 20}) + Bytes({2, 0, 0, 0}) +
        // item at 1,2: key, flags, colour, number, anchor, length, text
        Bytes({0x02, 0x01, 0x21, 0xFF, 0, 0, 0, 5, 0, 0, 0xFF, 0xFF, 2, 0, 0, 0}) + "AB" +
        Bytes({0x04, 0x03, 0x10, 2, 0, 0, 0, 200, 0x02, 0x01, 0, 0, 0, 0, 0, 0}) +
        Bytes({2, 0, 0, 0}) +
        // tile at 0,1 and 2,0: key, colour, label colour, size, length, label
        Bytes({0x01, 0x00, 0, 0xFF, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}) +
        Bytes({0x00, 0x02, 0xFF, 0xFF, 0xFF, 0, 0x33, 0x22, 0x11, 0, 2, 0, 0, 0, 1, 0, 0, 0}) +
        "L" + Bytes({0x0A, 0, 0, 0});  // small tiles, white background
    const std::string path = PathOf("sample.map");
    EXPECT_EQ(CMapFile::Save(path, page).message, Sjis("現在のタイル状態を保存しました"));
    EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(MapFileTest, SavedPagesLoadBackWithTheirDisplay) {
    CMapPage page = SamplePage();
    page.SetHexDirection(1);
    page.SetSmallTiles(true);
    page.SetWhiteBackground(false);
    page.EditTileLabel(0, 1, 0, 0, std::string(300, 'x'));  // a length beyond one byte
    const std::string path = PathOf("sample.map");
    ASSERT_FALSE(CMapFile::Save(path, page).changed);

    CMapPage loaded(2);
    loaded.SetLocked(true);  // a file replaces the tiles of a locked page too
    loaded.PaintTile(9, 9);
    const CMapResult result = CMapFile::Load(path, loaded);
    EXPECT_TRUE(result.changed);
    EXPECT_FALSE(result.HasMessage());
    EXPECT_EQ(loaded.Units(), page.Units());
    EXPECT_EQ(loaded.Tiles(), page.Tiles());
    EXPECT_EQ(loaded.MapFlags(), page.MapFlags());
    EXPECT_EQ(loaded.HexA(), 5);
    EXPECT_EQ(loaded.HexB(), 7);
    EXPECT_EQ(loaded.MapNumber(), 2);
    // Numbers compare as signed bytes: 200 is -56, so 5 is the highest.
    EXPECT_EQ(loaded.LastUnitNumber(), 5);
}

TEST_F(MapFileTest, OtherVersionsAreRefusedWithBothVersions) {
    for (const auto& [version, shown] : {std::pair{2, "2.00"}, std::pair{255, "255.00"}}) {
        std::string bytes = CMapFile::Format(SamplePage());
        bytes[0] = static_cast<char>(version);
        WriteAll(PathOf("version.map"), bytes);
        CMapPage page(0);
        page.AddUnit(0, 0, false, 0, "keep");
        const CMapResult result = CMapFile::Load(PathOf("version.map"), page);
        EXPECT_FALSE(result.changed);
        EXPECT_EQ(result.message,
                  Sjis("YarrowのMapバージョン(Ver3.00)と\r\nMapファイルのMapバージョン(Ver") +
                      shown + Sjis(")が違います"));
        EXPECT_EQ(page.Units().size(), 1u);
    }
}

TEST_F(MapFileTest, TruncatedFilesFailAndLeaveThePageAsItWas) {
    const std::string whole = CMapFile::Format(SamplePage());
    const std::string broken = Sjis("不正なフォーマットか、あるいはファイルが破損しています");
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        CMapPage page(0);
        page.SetHexShape(false);
        page.SetSmallTiles(true);
        page.AddUnit(7, 7, false, 0, "keep");
        page.PaintTile(8, 8);
        const UnitMap unitsBefore = page.Units();
        const TileMap tilesBefore = page.Tiles();

        CMapFile::Contents read;
        const CMapResult result = CMapFile::Parse(whole.substr(0, length), read);
        const std::string path = PathOf("cut.map");
        WriteAll(path, whole.substr(0, length));
        const CMapResult loaded = CMapFile::Load(path, page);
        EXPECT_EQ(loaded.changed, result.changed);

        if (length + 4 < whole.size()) {
            // Ends inside the header or a record.
            EXPECT_FALSE(result.changed) << length;
            EXPECT_EQ(loaded.message, broken) << length;
            EXPECT_EQ(page.Units(), unitsBefore) << length;
            EXPECT_EQ(page.Tiles(), tilesBefore) << length;
            EXPECT_FALSE(page.HexShape()) << length;
        } else {
            EXPECT_TRUE(result.changed) << length;
            EXPECT_EQ(read.flags.has_value(), length == whole.size()) << length;
            EXPECT_EQ(page.Units().size(), 2u) << length;
            // Without the flags word at the end the display stays as it was.
            EXPECT_EQ(page.HexShape(), length == whole.size()) << length;
            EXPECT_EQ(page.SmallTiles(), length != whole.size()) << length;
        }
    }
}

TEST_F(MapFileTest, HostileCountsLengthsAndOverfullFilesAreRefusedBeforeAllocating) {
    const std::string header = Bytes({3, 0, 0});
    const std::string none = Bytes({0, 0, 0, 0});
    auto item = [](int key, char symbol) {
        return Bytes({key & 0xFF, key >> 8, 0, 0, 0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 1, 0, 0, 0}) +
               std::string(1, symbol);
    };
    // Every one of the 65,536 cells: one more item than a page may hold.
    std::string full = header + Bytes({0, 0, 1, 0});
    for (int key = 0; key <= 0xFFFF; ++key)
        full += item(key, 'x');
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"huge item count", header + Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + std::string(64, '\0')},
        {"huge tile count", header + none + Bytes({0xFF, 0xFF, 0xFF, 0x7F})},
        {"huge symbol", header + Bytes({1, 0, 0, 0}) + item(1, 'a').substr(0, 12) +
                            Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + std::string(100, 'a') + none},
        {"huge label", header + none + Bytes({1, 0, 0, 0}) + std::string(14, '\0') +
                           Bytes({0xF0, 0xFF, 0xFF, 0xFF})},
        {"overfull", full + none},
    };
    // A cell given twice: the later record wins.
    CMapFile::Contents read;
    ASSERT_TRUE(
        CMapFile::Parse(header + Bytes({2, 0, 0, 0}) + item(5, 'a') + item(5, 'b') + none, read)
            .changed);
    EXPECT_EQ(read.units.at(5).Symbol, "b");
    for (const Case& c : cases) {
        const CMapResult result = CMapFile::Parse(c.bytes, read);
        EXPECT_FALSE(result.changed) << c.what;
        EXPECT_EQ(result.message, Sjis("不正なフォーマットか、あるいはファイルが破損しています"))
            << c.what;
        EXPECT_EQ(read.units.size(), 1u) << c.what;  // untouched by the failed parse
    }
}

TEST_F(MapFileTest, FilesThatCannotBeOpenedNameTheSystemError) {
    CMapPage page = SamplePage();
    const std::string missing = PathOf("no/such/folder/x.map");
    const CMapResult saved = CMapFile::Save(missing, page);
    EXPECT_EQ(saved.message.rfind(Sjis("ファイルが開けません\r\n"), 0), 0u) << saved.message;
    EXPECT_GT(saved.message.size(), Sjis("ファイルが開けません\r\n").size());
    // A missing file and a folder name the system's reason; a file over the
    // limit (sparse, nothing is written) says so rather than calling it broken.
    const std::string huge = PathOf("huge.map");
    std::ofstream(huge, std::ios::binary).flush();
    std::filesystem::resize_file(huge, CMapFile::kMaxFileBytes + 1);
    const struct {
        std::string path;
        std::string start;
    } loads[] = {{missing, Sjis("ファイルが開けません\r\n")},
                 {PathOf(""), Sjis("ファイルが開けません\r\n")},
                 {huge, Sjis("Mapファイルが大きすぎるため開けません\r\n(64MBまで)")}};
    for (const auto& load : loads) {
        const CMapResult loaded = CMapFile::Load(load.path, page);
        EXPECT_EQ(loaded.message.rfind(load.start, 0), 0u) << loaded.message;
        EXPECT_EQ(loaded.icon, PromptIcon::Stop);
        EXPECT_EQ(page.Units().size(), 2u);
    }
}

TEST_F(MapFileTest, AFullDiskIsNotASavedMap) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const CMapResult saved = CMapFile::Save("/dev/full", SamplePage());
    EXPECT_EQ(saved.message.rfind(Sjis("Mapファイルに書き込めません\r\n"), 0), 0u);
    EXPECT_EQ(saved.icon, PromptIcon::Stop);
}

TEST_F(MapFileTest, AFailedSaveLeavesTheMapItWouldHaveReplacedWhole) {
    // Saving over a map on a disk that fills up halfway must not leave the
    // earlier map cut short.
    const std::string path = PathOf("kept.map");
    CMapPage before = SamplePage();
    ASSERT_EQ(CMapFile::Save(path, before).caption, Sjis("保存"));
    const std::string saved = ReadAll(path);
    CMapPage larger(0);
    larger.FillRectangle({0, 0}, {99, 99}, false);  // 10,000 tiles: 180 KB
    CMapResult result;
    {
        test::FullDisk full(64 * 1024);
        result = CMapFile::Save(path, larger);
    }
    EXPECT_EQ(result.message.rfind(Sjis("Mapファイルに書き込めません\r\n"), 0), 0u)
        << result.message;
    EXPECT_TRUE(ReadAll(path) == saved) << "the earlier map was cut short";
    // Nothing else is left in the folder, and the next save goes through.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Folder()), {}), 1);
    EXPECT_EQ(CMapFile::Save(path, larger).caption, Sjis("保存"));
    EXPECT_TRUE(ReadAll(path) == CMapFile::Format(larger));
}

// --- Chip set files -------------------------------------------------------------

// Which chips exist and their names are seen in the chip dialog; here the
// colours that reach the pages, the folder key and hostile values.
TEST_F(MapFileTest, ChipFilesGiveColoursInMapOrderAndPathsOfExistingBitmaps) {
    const std::string folder = dir_.Folder();
    const std::string ini = dir_.File(kChipFileName);
    EXPECT_FALSE(CChipFile(folder).Exists());
    WriteAll(ini,
             "[ChipFile]\r\nChipNum=3\r\n0=a.bmp\r\n1=b.bmp\r\n2=c.bmp\r\n"
             "[ChipColor]\r\n0=0xFF0000\r\n1=00FF00\r\n2=junk\r\n");
    WriteAll(PathOf("c.bmp"), "BM");
    const CChipFile chips(folder);
    // Red in the low byte; junk is black.
    EXPECT_EQ(chips.ChipColors(), (std::vector<std::int32_t>{0x0000FF, 0x00FF00, 0}));
    ASSERT_EQ(chips.ExistingChips().size(), 1u);
    EXPECT_EQ(chips.ExistingChips()[0].chip, 2);
    EXPECT_EQ(chips.BitmapPath(2), folder + "c.bmp");
    EXPECT_EQ(chips.BitmapPath(-1), "");

    WriteAll(ini,
             "[ChipFile]\r\nChipNum=2\r\nChipFolder=chips\\set\r\n0=k.bmp\r\n1=sub\\m.bmp\r\n");
    EXPECT_EQ(CChipFile(folder).BitmapPath(1), folder + "chips/set/sub/m.bmp");

    WriteAll(ini, "[ChipFile]\r\nChipNum=2000000000\r\n0=" + std::string(400, 'x') + "\r\n");
    const CChipFile hostile(folder);
    EXPECT_EQ(hostile.ChipNum(), CChipFile::kMaxChips);
    EXPECT_EQ(hostile.ChipColors().size(), static_cast<std::size_t>(CChipFile::kMaxChips));
    EXPECT_EQ(hostile.FileName(0).size(), kChipValueBytes);
    WriteAll(ini, "[ChipFile]\r\nChipNum=-5\r\n");
    EXPECT_EQ(CChipFile(folder).ChipNum(), 0);
}

// The chip file names its folder and bitmaps in code page 932; the file
// system names them in UTF-8. Several of these characters end in 0x5C (a
// backslash), which stays part of the character: 表 95 5C, ソ 83 5C, 能 94 5C.
TEST_F(MapFileTest, JapaneseChipNamesFindTheirBitmapsOnDisk) {
    const std::string folder = dir_.Folder();
    struct Case {
        std::string chipFolder;  // "ChipFolder" as the file writes it, or none
        std::string name;        // the chip's file name as the file writes it
        std::string onDisk;      // where the bitmap lies, below the program folder
        std::string bitmapFolder;
    };
    const Case cases[] = {
        {"", Sjis("表") + ".bmp", "表.bmp", folder.substr(0, folder.size() - 1)},
        {Sjis("チップ\\能"), "sub\\" + Sjis("ソ") + ".bmp", "チップ/能/sub/ソ.bmp",
         folder + "チップ/能"},
        {folder + Sjis("地図") + "\\", Sjis("表") + ".bmp", "地図/表.bmp", folder + "地図"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.onDisk);
        std::string ini = "[ChipFile]\r\nChipNum=2\r\n";
        if (!c.chipFolder.empty())
            ini += "ChipFolder=" + c.chipFolder + "\r\n";
        WriteAll(dir_.File(kChipFileName),
                 ini + "0=" + c.name + "\r\n1=" + Sjis("無い") + ".bmp\r\n");
        std::filesystem::create_directories(std::filesystem::path(folder + c.onDisk).parent_path());
        WriteAll(folder + c.onDisk, "BM");
        const CChipFile chips(folder);
        EXPECT_EQ(chips.Folder(), c.bitmapFolder);
        EXPECT_EQ(chips.BitmapPath(0), folder + c.onDisk);
        EXPECT_EQ(chips.BitmapPath(1), c.bitmapFolder + "/無い.bmp");
        // The list shows the name as the file writes it.
        const auto existing = chips.ExistingChips();
        ASSERT_EQ(existing.size(), 1u);
        EXPECT_EQ(existing[0].chip, 0);
        EXPECT_EQ(existing[0].fileName, c.name);
        std::filesystem::remove(folder + c.onDisk);
    }
}

// --- Snapshot bitmaps ------------------------------------------------------------

TEST(SnapshotBmp, ThreeByTwoPictureByteForByte) {
    // Top row: red, green, blue; bottom row: white, black, grey 0x808080.
    // The top byte of a pixel is ignored.
    const std::vector<std::uint32_t> pixels = {0xFFFF0000, 0x0000FF00, 0x000000FF,
                                               0x00FFFFFF, 0xFF000000, 0x00808080};
    const std::string file = EncodeBmp555(3, 2, pixels.data(), 3);
    // clang-format off
    const std::string expected = Bytes({
        'B', 'M', 70, 0, 0, 0,  0, 0, 0, 0,  54, 0, 0, 0,
        40, 0, 0, 0,  3, 0, 0, 0,  2, 0, 0, 0,  1, 0,  16, 0,
        0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
        // bottom row first: white 7FFF, black 0000, grey 4210, two bytes of padding
        0xFF, 0x7F,  0x00, 0x00,  0x10, 0x42,  0, 0,
        // top row: red 7C00, green 03E0, blue 001F, padding
        0x00, 0x7C,  0xE0, 0x03,  0x1F, 0x00,  0, 0,
    });
    // clang-format on
    EXPECT_EQ(file, expected);
    // An empty client area gives the headers with zero sizes, never a crash.
    EXPECT_EQ(EncodeBmp555(0, 7, nullptr, 0).size(), 54u);
}

}  // namespace
}  // namespace yarrow
