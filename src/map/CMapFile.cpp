#include "map/CMapFile.h"

#include <cerrno>

#include "platform/Cp932.h"
#include "platform/FileBytes.h"
#include "platform/ProgramFolder.h"

namespace yarrow {

namespace {

constexpr std::size_t kItemBytes = 2 + 1 + 4 + 1 + 4 + 4;  // without the text
constexpr std::size_t kTileBytes = 2 + 4 + 4 + 4 + 4;

void PutU8(std::string& out, std::uint8_t v) {
    out.push_back(static_cast<char>(v));
}
void PutU16(std::string& out, std::uint16_t v) {
    const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.append(bytes, 2);
}
void PutU32(std::string& out, std::uint32_t v) {
    const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    out.append(bytes, 4);
}
void PutI32(std::string& out, std::int32_t v) {
    PutU32(out, static_cast<std::uint32_t>(v));
}
void PutText(std::string& out, const std::string& text) {
    PutU32(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

// Reads from the front of the bytes; every read first checks what is left.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Left() const { return bytes_.size() - at_; }
    bool U8(std::uint8_t& v) {
        if (Left() < 1)
            return false;
        v = Byte(0);
        at_ += 1;
        return true;
    }
    bool U16(std::uint16_t& v) {
        if (Left() < 2)
            return false;
        v = static_cast<std::uint16_t>(Byte(0) | (Byte(1) << 8));
        at_ += 2;
        return true;
    }
    bool U32(std::uint32_t& v) {
        if (Left() < 4)
            return false;
        v = static_cast<std::uint32_t>(Byte(0)) | (static_cast<std::uint32_t>(Byte(1)) << 8) |
            (static_cast<std::uint32_t>(Byte(2)) << 16) |
            (static_cast<std::uint32_t>(Byte(3)) << 24);
        at_ += 4;
        return true;
    }
    bool I32(std::int32_t& v) {
        std::uint32_t u = 0;
        if (!U32(u))
            return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool Text(std::string& v) {
        std::uint32_t length = 0;
        if (!U32(length) || length > Left())
            return false;
        v.assign(bytes_.substr(at_, length));
        at_ += length;
        return true;
    }
    // A count of records that each take at least `minBytes`: refused when
    // the rest of the file could not hold them.
    bool Count(std::uint32_t& n, std::size_t minBytes) {
        return U32(n) && static_cast<std::uint64_t>(n) * minBytes <= Left();
    }

  private:
    std::uint32_t Byte(std::size_t offset) const {
        return static_cast<unsigned char>(bytes_[at_ + offset]);
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
};

// Inserts by key, a later record replacing an earlier one. Files written by a
// page are in key order, which the hint turns into constant-time appends.
template <typename Map, typename Value>
void Store(Map& map, CellKey key, Value&& value) {
    if (map.empty() || std::prev(map.end())->first < key)
        map.emplace_hint(map.end(), key, std::forward<Value>(value));
    else
        map.insert_or_assign(key, std::forward<Value>(value));
}

CMapResult Error(std::string text) {
    return CMapResult::Message(std::move(text), Sjis("エラー"), PromptIcon::Stop);
}

}  // namespace

CMapResult CMapFile::VersionMessage(int fileVersion) {
    // Versions are whole numbers shown with two decimals; printing them as
    // "%d.00" keeps the text the same whatever the locale's decimal mark.
    static const std::string format =
        Sjis("YarrowのMapバージョン(Ver%d.00)と\r\nMapファイルのMapバージョン(Ver%d.00)が違います");
    char text[256];
    std::snprintf(text, sizeof text, format.c_str(), static_cast<int>(CMapPage::kFormatVersion),
                  fileVersion);
    return Error(text);
}

CMapResult CMapFile::BrokenFileMessage() {
    return Error(Sjis("不正なフォーマットか、あるいはファイルが破損しています"));
}

CMapResult CMapFile::CannotOpenMessage(int error) {
    return Error(Sjis("ファイルが開けません\r\n") + LastErrorText(error));
}

std::string CMapFile::Format(const CMapPage& page) {
    std::string out;
    // Room for every record with a short text; a walk over a full page to
    // count the texts exactly would cost more than the odd reallocation.
    out.reserve(3 + 4 + 4 + 4 + page.Units().size() * (kItemBytes + 4) +
                page.Tiles().size() * (kTileBytes + 4));

    PutU8(out, page.FormatVersion());
    PutU8(out, static_cast<std::uint8_t>(std::min(page.VisibleRows(), 255)));
    PutU8(out, static_cast<std::uint8_t>(std::min(page.VisibleCols(), 255)));
    PutU32(out, static_cast<std::uint32_t>(page.Units().size()));
    for (const auto& [key, item] : page.Units()) {
        PutU16(out, key);
        PutU8(out, item.Flags);
        PutI32(out, item.UnitColor);
        PutU8(out, item.UnitNumber);
        PutI32(out, item.Anchor);
        PutText(out, item.Symbol);
    }
    PutU32(out, static_cast<std::uint32_t>(page.Tiles().size()));
    for (const auto& [key, tile] : page.Tiles()) {
        PutU16(out, key);
        PutI32(out, tile.TileColor);
        PutI32(out, tile.LabelColor);
        PutI32(out, tile.LabelSize);
        PutText(out, tile.TileLabel);
    }
    PutI32(out, page.MapFlags());
    return out;
}

CMapResult CMapFile::Parse(std::string_view bytes, Contents& out) {
    Reader in(bytes);
    std::uint8_t version = 0;
    if (!in.U8(version))
        return BrokenFileMessage();
    if (version != CMapPage::kFormatVersion)
        return VersionMessage(version);
    std::uint8_t visibleRows = 0;
    std::uint8_t visibleCols = 0;
    if (!in.U8(visibleRows) || !in.U8(visibleCols))
        return BrokenFileMessage();

    Contents read;
    std::uint32_t n = 0;
    if (!in.Count(n, kItemBytes))
        return BrokenFileMessage();
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint16_t key = 0;
        CUnitRecord item;
        if (!in.U16(key) || !in.U8(item.Flags) || !in.I32(item.UnitColor) ||
            !in.U8(item.UnitNumber) || !in.I32(item.Anchor) || !in.Text(item.Symbol))
            return BrokenFileMessage();
        Store(read.units, key, std::move(item));
    }
    std::uint32_t m = 0;
    if (!in.Count(m, kTileBytes))
        return BrokenFileMessage();
    for (std::uint32_t i = 0; i < m; ++i) {
        std::uint16_t key = 0;
        CTileRecord tile;
        if (!in.U16(key) || !in.I32(tile.TileColor) || !in.I32(tile.LabelColor) ||
            !in.I32(tile.LabelSize) || !in.Text(tile.TileLabel))
            return BrokenFileMessage();
        Store(read.tiles, key, std::move(tile));
    }
    // A page never holds more than the limits, and the wire could not carry
    // the surplus: such a file was not written by a page.
    if (read.units.size() > kMaxItems || read.tiles.size() > kMaxTiles)
        return BrokenFileMessage();
    std::int32_t flags = 0;
    if (in.I32(flags))
        read.flags = flags;
    out = std::move(read);
    return CMapResult::Changed();
}

CMapResult CMapFile::Save(const std::string& path, const CMapPage& page) {
    const FileWrite write = SaveFileBytes(path, Format(page));
    if (!write.opened)
        return CannotOpenMessage(write.error);
    if (!write.Written())
        return Error(Sjis("Mapファイルに書き込めません\r\n") + LastErrorText(write.error));
    return CMapResult::Message(Sjis("現在のタイル状態を保存しました"), Sjis("保存"),
                               PromptIcon::Information);
}

CMapResult CMapFile::SaveSnapshot(const std::string& path, std::string_view bitmap) {
    const FileWrite write = SaveFileBytes(path, bitmap);
    if (write.Written())
        return {};
    return Error(Sjis("スナップショットを保存できません\r\n") + Utf8ToCp932(path).text + "\r\n" +
                 LastErrorText(write.error));
}

CMapResult CMapFile::Load(const std::string& path, CMapPage& page) {
    FileBytes file = ReadFileBytes(path, kMaxFileBytes);
    switch (file.status) {
        case FileBytes::Status::Read:
            break;
        case FileBytes::Status::TooLarge:
            return Error(Sjis("Mapファイルが大きすぎるため開けません\r\n(64MBまで)"));
        case FileBytes::Status::CannotOpen:
        case FileBytes::Status::ReadError:
            return CannotOpenMessage(file.error);
    }
    const std::string& bytes = file.bytes;

    Contents contents;
    CMapResult parsed = Parse(bytes, contents);
    if (!parsed.changed)
        return parsed;
    const std::int32_t flags = contents.flags.value_or(page.MapFlags());
    page.ReplaceContents(std::move(contents.units), std::move(contents.tiles), flags,
                         /*takeSize=*/true, /*ignoreLock=*/true);
    return CMapResult::Changed();
}

}  // namespace yarrow
