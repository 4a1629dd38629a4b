#include "net/CArchiveWriter.h"

namespace yarrow {

void CArchiveWriter::U16(std::uint16_t value) {
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    out_.append(bytes, 2);
}

void CArchiveWriter::U32(std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
    out_.append(bytes, 4);
}

void CArchiveWriter::I32(std::int32_t value) {
    U32(static_cast<std::uint32_t>(value));
}

void CArchiveWriter::Str(std::string_view bytes) {
    const std::size_t length = bytes.size();
    if (length < 0xFF) {
        U8(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        // 0xFFFE itself would read as the wide-string marker, so 65534 bytes
        // already take the long form.
        U8(0xFF);
        U16(static_cast<std::uint16_t>(length));
    } else {
        U8(0xFF);
        U16(0xFFFF);
        U32(static_cast<std::uint32_t>(length));
    }
    out_.append(bytes);
}

}  // namespace yarrow
