#pragma once
// Turns the byte stream of one connection into records. Bytes arrive in
// arbitrary pieces; Feed() appends them and Next() hands out one complete
// record at a time, in stream order. A record that is not complete yet waits
// for more bytes: what has been read of it is kept, so a large record that
// trickles in is never parsed twice.
//
// The stream comes from a peer we do not trust, so every length and count is
// checked before anything is allocated for it:
//   - one record may take at most kMaxRecordBytes (16 MiB) on the wire; a
//     string, a count or a chart size that would need more is refused as
//     soon as its prefix arrives;
//   - a record may hold at most kMaxElements members, strings or chart cells
//     (the largest chart is 257 x 256 cells);
//   - a Type outside 1..30 is refused right after the three leading integers.
// A refused stream has lost its framing for good: Next() keeps returning Bad
// and the owner closes the connection.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/CMsg.h"

namespace yarrow {

class CMsgDecoder {
  public:
    static constexpr std::size_t kMaxRecordBytes = yarrow::kMaxRecordBytes;
    static constexpr std::size_t kMaxElements = 1u << 20;

    enum class Status { NeedMore, Record, Bad };

    CMsgDecoder() { Restart(); }

    void Feed(std::string_view bytes);

    // Decodes the next record into `out` (which is reset first) and returns
    // Record; NeedMore when the buffered bytes end inside a record; Bad once
    // the stream has broken a bound.
    Status Next(CMsg& out);

    // Bytes received but not yet consumed by a record.
    bool HasBufferedBytes() const { return pos_ < buffer_.size(); }
    // What was read of the current (or refused) record; the header fields
    // say whose record it was when an error is reported.
    const CMsg& Partial() const { return msg_; }
    bool HeaderComplete() const { return headerDone_; }
    // Why the stream was refused.
    const std::string& ErrorText() const { return error_; }

  private:
    enum class Step {
        Id,
        Close,
        Type,
        Name,
        Color,
        Text,
        Param1,
        Param2,
        MemberCount,
        MemberId,
        MemberName,
        ChartSpin,
        ChartRows,
        ChartColumns,
        ChartCell,
        RecipientCount,
        RecipientKey,
        RecipientId,
        UnitCount,
        UnitKey,
        UnitFlags,
        UnitColor,
        UnitNumber,
        UnitSymbol,
        UnitAnchor,
        TileCount,
        TileKey,
        TileColor,
        LabelColor,
        LabelSize,
        TileLabel,
        StringCount,
        StringItem,
        Done,
    };
    enum class Got { Yes, NeedMore, Bad };

    void Restart();
    Status Fail(std::string text);
    Got Run();
    Got ReadI32(std::int32_t& value);
    Got ReadU16(std::uint16_t& value);
    Got ReadU8(std::uint8_t& value);
    Got ReadString(std::string& value);
    Got TakeCount(std::int64_t count, std::size_t minBytesEach, const char* what);
    bool Need(std::size_t bytes) const { return buffer_.size() - pos_ >= bytes; }
    void Consume(std::size_t bytes);
    void AfterHeader();
    bool WholeUnit();
    bool WholeTile();

    std::string buffer_;
    std::size_t pos_ = 0;
    std::size_t recordBytes_ = 0;  // wire bytes of the current record so far
    Step step_ = Step::Id;
    std::int64_t remaining_ = 0;   // entries still to read in the current list
    std::uint16_t key_ = 0;        // map key of the entry being read
    CUnitRecord* unit_ = nullptr;  // the unit or tile being read: map nodes stay put
    CTileRecord* tile_ = nullptr;
    bool headerDone_ = false;
    bool bad_ = false;
    std::string error_;
    CMsg msg_;
};

}  // namespace yarrow
