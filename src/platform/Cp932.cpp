#include "platform/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace yarrow {
namespace {

// One iconv descriptor per direction and thread: opening one costs more than a
// short conversion, and the chat log converts every line.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (ok())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
        return cd_;
    }

  private:
    iconv_t cd_;
};

// Converts `input` with `cd`. On an invalid or unrepresentable sequence the
// `replacement` is written and `skip(input_at_error)` bytes are skipped.
template <typename Skip>
Cp932Conversion Convert(IconvHandle& handle, const char* data, size_t size,
                        std::string_view replacement, Skip skip) {
    Cp932Conversion out;
    if (!handle.ok()) {
        out.replaced = size > 0;
        return out;
    }
    iconv_t cd = handle.get();
    std::vector<char> buffer(size * 2 + 16);
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.text.append(buffer.data(), outPtr - buffer.data());
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated sequence at the end): replace and go on.
        out.replaced = true;
        out.text.append(replacement);
        size_t n = skip(in, inLeft);
        if (n == 0 || n > inLeft)
            n = inLeft < 1 ? inLeft : 1;
        in += n;
        inLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// Length of the UTF-8 sequence starting at `p`, or 1 when the lead byte is bad.
size_t Utf8SequenceLength(const char* p, size_t left) {
    unsigned char c = static_cast<unsigned char>(*p);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    for (size_t i = 1; i < n; ++i) {
        if (i >= left || (static_cast<unsigned char>(p[i]) & 0xC0) != 0x80)
            return i;
    }
    return n;
}

}  // namespace

Cp932Conversion Utf8ToCp932(std::string_view utf8) {
    thread_local IconvHandle handle("CP932", "UTF-8");
    return Convert(handle, utf8.data(), utf8.size(), kCp932Replacement, Utf8SequenceLength);
}

Cp932Conversion Cp932ToUtf8(std::string_view cp932) {
    thread_local IconvHandle handle("UTF-8", "CP932");
    // A bad lead byte is skipped alone so that the next byte gets its chance.
    return Convert(handle, cp932.data(), cp932.size(), "\xEF\xBF\xBD",
                   [](const char*, size_t) { return size_t{1}; });
}

Cp932Conversion Utf16ToCp932(std::u16string_view utf16) {
    thread_local IconvHandle handle("CP932", "UTF-16LE");
    // iconv reads UTF-16LE bytes; build them explicitly so the host's byte
    // order does not matter.
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (char16_t u : utf16) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return Convert(handle, bytes.data(), bytes.size(), kCp932Replacement,
                   [](const char* p, size_t left) {
                       // Skip a whole surrogate pair when one stands here.
                       if (left >= 4) {
                           unsigned hi = static_cast<unsigned char>(p[1]);
                           unsigned hi2 = static_cast<unsigned char>(p[3]);
                           if ((hi & 0xFC) == 0xD8 && (hi2 & 0xFC) == 0xDC)
                               return size_t{4};
                       }
                       return size_t{2};
                   });
}

std::string Sjis(std::string_view utf8) {
    return Utf8ToCp932(utf8).text;
}

}  // namespace yarrow
