#include "net/CMsgDecoder.h"

#include <tuple>
#include <utility>

#include "net/MsgTrace.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

// The fewest wire bytes one entry of each list can take, used to refuse a
// count that could never fit into the rest of a record before waiting for it.
constexpr std::size_t kMinMember = 4 + 1;
constexpr std::size_t kMinString = 1;
constexpr std::size_t kMinRecipient = 2 + 4;
constexpr std::size_t kMinUnit = 2 + 1 + 4 + 1 + 1 + 4;
constexpr std::size_t kMinTile = 2 + 4 + 4 + 4 + 1;

std::uint16_t U16At(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t U32At(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(U16At(b, at)) |
           (static_cast<std::uint32_t>(U16At(b, at + 2)) << 16);
}

// The map entry for `key`, reset to its defaults (a later entry for the same
// key replaces an earlier one). Senders write their maps in key order, so
// the entry nearly always goes at the end, which the hint makes a constant-
// time append instead of a search from the root.
template <typename Map>
typename Map::mapped_type& FreshEntry(Map& map, std::uint16_t key) {
    if (map.empty() || std::prev(map.end())->first < key)
        return map
            .emplace_hint(map.end(), std::piecewise_construct, std::forward_as_tuple(key),
                          std::forward_as_tuple())
            ->second;
    auto& entry = map[key];
    entry = typename Map::mapped_type{};
    return entry;
}

}  // namespace

void CMsgDecoder::Feed(std::string_view bytes) {
    if (bad_)
        return;  // nothing after a broken frame can be trusted
    if (pos_ == buffer_.size()) {
        buffer_.clear();
        pos_ = 0;
    } else if (pos_ > buffer_.size() / 2) {
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    buffer_.append(bytes);
}

void CMsgDecoder::Restart() {
    msg_.Reset();
    step_ = Step::Id;
    recordBytes_ = 0;
    remaining_ = 0;
    headerDone_ = false;
    unit_ = nullptr;
    tile_ = nullptr;
}

CMsgDecoder::Status CMsgDecoder::Fail(std::string text) {
    bad_ = true;
    error_ = std::move(text);
    buffer_.clear();
    pos_ = 0;
    return Status::Bad;
}

void CMsgDecoder::Consume(std::size_t bytes) {
    pos_ += bytes;
    recordBytes_ += bytes;
}

CMsgDecoder::Status CMsgDecoder::Next(CMsg& out) {
    if (bad_)
        return Status::Bad;
    switch (Run()) {
        case Got::NeedMore:
            return Status::NeedMore;
        case Got::Bad:
            return Status::Bad;
        case Got::Yes:
            break;
    }
    out = std::move(msg_);
    Restart();
    return Status::Record;
}

CMsgDecoder::Got CMsgDecoder::ReadI32(std::int32_t& value) {
    if (!Need(4))
        return Got::NeedMore;
    value = static_cast<std::int32_t>(U32At(buffer_, pos_));
    Consume(4);
    return Got::Yes;
}

CMsgDecoder::Got CMsgDecoder::ReadU16(std::uint16_t& value) {
    if (!Need(2))
        return Got::NeedMore;
    value = U16At(buffer_, pos_);
    Consume(2);
    return Got::Yes;
}

CMsgDecoder::Got CMsgDecoder::ReadU8(std::uint8_t& value) {
    if (!Need(1))
        return Got::NeedMore;
    value = static_cast<std::uint8_t>(buffer_[pos_]);
    Consume(1);
    return Got::Yes;
}

CMsgDecoder::Got CMsgDecoder::ReadString(std::string& value) {
    // The whole string is taken in one go once it has arrived; until then only
    // its prefix is looked at, so waiting costs nothing.
    std::size_t at = pos_;
    auto avail = [&](std::size_t n) { return buffer_.size() - at >= n; };
    bool wide = false;
    std::uint64_t length = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (!avail(1))
            return Got::NeedMore;
        const auto b = static_cast<unsigned char>(buffer_[at]);
        at += 1;
        if (b < 0xFF) {
            length = b;
            break;
        }
        if (!avail(2))
            return Got::NeedMore;
        const std::uint16_t w = U16At(buffer_, at);
        at += 2;
        if (w == 0xFFFE && !wide) {
            // The wide-string marker: a second prefix of the same form
            // follows, counting UTF-16 units.
            wide = true;
            continue;
        }
        if (w < 0xFFFF) {
            length = w;
            break;
        }
        if (!avail(4))
            return Got::NeedMore;
        length = U32At(buffer_, at);
        at += 4;
        break;
    }
    const std::uint64_t body = wide ? length * 2 : length;
    const std::size_t prefix = at - pos_;
    if (recordBytes_ + prefix + body > kMaxRecordBytes) {
        Fail("string of " + std::to_string(length) + " exceeds the record size limit");
        return Got::Bad;
    }
    if (!avail(static_cast<std::size_t>(body)))
        return Got::NeedMore;
    if (wide) {
        std::u16string units(static_cast<std::size_t>(length), u'\0');
        for (std::size_t i = 0; i < units.size(); ++i) {
            units[i] = static_cast<char16_t>(U16At(buffer_, at + 2 * i));
        }
        value = Utf16ToCp932(units).text;
    } else {
        value.assign(buffer_, at, static_cast<std::size_t>(body));
    }
    Consume(prefix + static_cast<std::size_t>(body));
    return Got::Yes;
}

CMsgDecoder::Got CMsgDecoder::TakeCount(std::int64_t count, std::size_t minBytesEach,
                                        const char* what) {
    // A negative count announces nothing, as a reader looping up to it would.
    if (count < 0)
        count = 0;
    const std::size_t left = kMaxRecordBytes - recordBytes_;
    if (static_cast<std::uint64_t>(count) > kMaxElements ||
        static_cast<std::uint64_t>(count) * minBytesEach > left) {
        Fail(std::string(what) + " count " + std::to_string(count) +
             " exceeds the record size limit");
        return Got::Bad;
    }
    remaining_ = count;
    return Got::Yes;
}

// A full map page carries 131,070 entries. When an entry has arrived whole
// and its text has the one-byte length form (which short symbols and labels
// always have), it is read in one go; anything else, a partly arrived entry
// or one over the record limit, goes through the steps one field at a time.
bool CMsgDecoder::WholeUnit() {
    // u16 key, u8 flags, i32 colour, u8 number, u8 text length, text, i32 anchor
    if (!Need(kMinUnit))
        return false;
    const auto length = static_cast<unsigned char>(buffer_[pos_ + 8]);
    const std::size_t size = kMinUnit + length;
    if (length == 0xFF || !Need(size) || recordBytes_ + size > kMaxRecordBytes)
        return false;
    CUnitRecord& unit = FreshEntry(msg_.Units, U16At(buffer_, pos_));
    unit.Flags = static_cast<std::uint8_t>(buffer_[pos_ + 2]);
    unit.UnitColor = static_cast<std::int32_t>(U32At(buffer_, pos_ + 3));
    unit.UnitNumber = static_cast<std::uint8_t>(buffer_[pos_ + 7]);
    unit.Symbol.assign(buffer_, pos_ + 9, length);
    unit.Anchor = static_cast<std::int32_t>(U32At(buffer_, pos_ + 9 + length));
    Consume(size);
    --remaining_;
    return true;
}

bool CMsgDecoder::WholeTile() {
    // u16 key, i32 colour, i32 label colour, i32 label size, u8 length, label
    if (!Need(kMinTile))
        return false;
    const auto length = static_cast<unsigned char>(buffer_[pos_ + 14]);
    const std::size_t size = kMinTile + length;
    if (length == 0xFF || !Need(size) || recordBytes_ + size > kMaxRecordBytes)
        return false;
    CTileRecord& tile = FreshEntry(msg_.Tiles, U16At(buffer_, pos_));
    tile.TileColor = static_cast<std::int32_t>(U32At(buffer_, pos_ + 2));
    tile.LabelColor = static_cast<std::int32_t>(U32At(buffer_, pos_ + 6));
    tile.LabelSize = static_cast<std::int32_t>(U32At(buffer_, pos_ + 10));
    tile.TileLabel.assign(buffer_, pos_ + 15, length);
    Consume(size);
    --remaining_;
    return true;
}

void CMsgDecoder::AfterHeader() {
    headerDone_ = true;
    TraceSerializeStart(true);
    TraceSerializeHeader(msg_);
    switch (PayloadOf(msg_.Type)) {
        case PayloadKind::None:
            step_ = Step::Done;
            break;
        case PayloadKind::Members:
            step_ = Step::MemberCount;
            break;
        case PayloadKind::Chart:
            step_ = Step::ChartSpin;
            break;
        case PayloadKind::Recipients:
            step_ = Step::RecipientCount;
            break;
        case PayloadKind::Map:
            step_ = Step::UnitCount;
            break;
        case PayloadKind::Strings:
            step_ = Step::StringCount;
            break;
    }
}

#define YARROW_TRY(expr)      \
    do {                      \
        Got got_ = (expr);    \
        if (got_ != Got::Yes) \
            return got_;      \
    } while (false)

CMsgDecoder::Got CMsgDecoder::Run() {
    for (;;) {
        switch (step_) {
            case Step::Id:
                YARROW_TRY(ReadI32(msg_.ID));
                step_ = Step::Close;
                break;
            case Step::Close:
                YARROW_TRY(ReadI32(msg_.Close));
                step_ = Step::Type;
                break;
            case Step::Type:
                YARROW_TRY(ReadI32(msg_.Type));
                if (!IsValidMsgType(msg_.Type)) {
                    TraceSerializeStart(true);
                    TraceSerializeBadType(msg_.Type);
                    Fail("record type " + std::to_string(msg_.Type) + " is out of range");
                    return Got::Bad;
                }
                step_ = Step::Name;
                break;
            case Step::Name:
                YARROW_TRY(ReadString(msg_.Name));
                step_ = Step::Color;
                break;
            case Step::Color:
                YARROW_TRY(ReadI32(msg_.Color));
                step_ = Step::Text;
                break;
            case Step::Text:
                YARROW_TRY(ReadString(msg_.Text));
                step_ = Step::Param1;
                break;
            case Step::Param1:
                YARROW_TRY(ReadI32(msg_.Param1));
                step_ = Step::Param2;
                break;
            case Step::Param2:
                YARROW_TRY(ReadI32(msg_.Param2));
                AfterHeader();
                break;

            case Step::MemberCount: {
                std::int32_t n = 0;
                YARROW_TRY(ReadI32(n));
                YARROW_TRY(TakeCount(n, kMinMember, "member"));
                step_ = Step::MemberId;
                break;
            }
            case Step::MemberId: {
                if (remaining_ == 0) {
                    step_ = Step::Done;
                    break;
                }
                std::int32_t id = 0;
                YARROW_TRY(ReadI32(id));
                msg_.Members.push_back(CMember{{}, id});
                step_ = Step::MemberName;
                break;
            }
            case Step::MemberName:
                YARROW_TRY(ReadString(msg_.Members.back().MemberName));
                --remaining_;
                step_ = Step::MemberId;
                break;

            case Step::ChartSpin:
                YARROW_TRY(ReadI32(msg_.ChartSpin));
                step_ = Step::ChartRows;
                break;
            case Step::ChartRows:
                YARROW_TRY(ReadI32(msg_.ChartRows));
                step_ = Step::ChartColumns;
                break;
            case Step::ChartColumns:
                YARROW_TRY(ReadI32(msg_.ChartColumns));
                YARROW_TRY(TakeCount(CMsg::ChartCellCount(msg_.ChartRows, msg_.ChartColumns),
                                     kMinString, "chart cell"));
                step_ = Step::ChartCell;
                break;
            case Step::ChartCell: {
                if (remaining_ == 0) {
                    step_ = Step::Done;
                    break;
                }
                std::string cell;
                YARROW_TRY(ReadString(cell));
                msg_.Strings.push_back(std::move(cell));
                --remaining_;
                break;
            }

            case Step::RecipientCount: {
                std::uint16_t n = 0;
                YARROW_TRY(ReadU16(n));
                YARROW_TRY(TakeCount(n, kMinRecipient, "recipient"));
                step_ = Step::RecipientKey;
                break;
            }
            case Step::RecipientKey:
                if (remaining_ == 0) {
                    step_ = Step::Done;
                    break;
                }
                YARROW_TRY(ReadU16(key_));
                step_ = Step::RecipientId;
                break;
            case Step::RecipientId: {
                std::int32_t id = 0;
                YARROW_TRY(ReadI32(id));
                msg_.Recipients[key_] = id;
                --remaining_;
                step_ = Step::RecipientKey;
                break;
            }

            case Step::UnitCount: {
                std::uint16_t n = 0;
                YARROW_TRY(ReadU16(n));
                YARROW_TRY(TakeCount(n, kMinUnit, "unit"));
                step_ = Step::UnitKey;
                break;
            }
            case Step::UnitKey:
                if (remaining_ == 0) {
                    step_ = Step::TileCount;
                    break;
                }
                if (WholeUnit())
                    break;
                YARROW_TRY(ReadU16(key_));
                unit_ = &FreshEntry(msg_.Units, key_);
                step_ = Step::UnitFlags;
                break;
            case Step::UnitFlags:
                YARROW_TRY(ReadU8(unit_->Flags));
                step_ = Step::UnitColor;
                break;
            case Step::UnitColor:
                YARROW_TRY(ReadI32(unit_->UnitColor));
                step_ = Step::UnitNumber;
                break;
            case Step::UnitNumber:
                YARROW_TRY(ReadU8(unit_->UnitNumber));
                step_ = Step::UnitSymbol;
                break;
            case Step::UnitSymbol:
                YARROW_TRY(ReadString(unit_->Symbol));
                step_ = Step::UnitAnchor;
                break;
            case Step::UnitAnchor:
                YARROW_TRY(ReadI32(unit_->Anchor));
                --remaining_;
                step_ = Step::UnitKey;
                break;

            case Step::TileCount: {
                std::uint16_t n = 0;
                YARROW_TRY(ReadU16(n));
                YARROW_TRY(TakeCount(n, kMinTile, "tile"));
                step_ = Step::TileKey;
                break;
            }
            case Step::TileKey:
                if (remaining_ == 0) {
                    step_ = Step::Done;
                    break;
                }
                if (WholeTile())
                    break;
                YARROW_TRY(ReadU16(key_));
                tile_ = &FreshEntry(msg_.Tiles, key_);
                step_ = Step::TileColor;
                break;
            case Step::TileColor:
                YARROW_TRY(ReadI32(tile_->TileColor));
                step_ = Step::LabelColor;
                break;
            case Step::LabelColor:
                YARROW_TRY(ReadI32(tile_->LabelColor));
                step_ = Step::LabelSize;
                break;
            case Step::LabelSize:
                YARROW_TRY(ReadI32(tile_->LabelSize));
                step_ = Step::TileLabel;
                break;
            case Step::TileLabel:
                YARROW_TRY(ReadString(tile_->TileLabel));
                --remaining_;
                step_ = Step::TileKey;
                break;

            case Step::StringCount: {
                std::int32_t n = 0;
                YARROW_TRY(ReadI32(n));
                YARROW_TRY(TakeCount(n, kMinString, "string"));
                step_ = Step::StringItem;
                break;
            }
            case Step::StringItem: {
                if (remaining_ == 0) {
                    step_ = Step::Done;
                    break;
                }
                std::string item;
                YARROW_TRY(ReadString(item));
                msg_.Strings.push_back(std::move(item));
                --remaining_;
                break;
            }

            case Step::Done:
                return Got::Yes;
        }
    }
}

#undef YARROW_TRY

}  // namespace yarrow
