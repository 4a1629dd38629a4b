#pragma once
// Writes the primitive fields of a record in the byte order and string form
// that peers of protocol version 6 read: little-endian integers and the
// archive string form (a one-, three- or seven-byte length prefix, then the
// code page 932 bytes).

#include <cstdint>
#include <string>
#include <string_view>

namespace yarrow {

class CArchiveWriter {
  public:
    explicit CArchiveWriter(std::string& out) : out_(out) {}

    void U8(std::uint8_t value) { out_.push_back(static_cast<char>(value)); }
    void U16(std::uint16_t value);
    void I32(std::int32_t value);
    void U32(std::uint32_t value);
    // L < 255: u8 L; L < 65534: 0xFF, u16 L; otherwise 0xFF, 0xFFFF, u32 L.
    void Str(std::string_view bytes);

  private:
    std::string& out_;
};

}  // namespace yarrow
