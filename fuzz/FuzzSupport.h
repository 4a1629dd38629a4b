#pragma once
// Helpers the fuzz targets share: the input split into parts, a generator
// that draws from the input, and a scratch file for readers that take a path.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "dice/IRandomSource.h"

namespace yarrow::fuzz {

// Stops the run: the target found a broken rule, not merely bad input.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void Check(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Cuts `rest` at the first zero byte: what comes before it is returned and
// `rest` keeps what follows (nothing when there is no zero byte).
inline std::string_view TakePart(std::string_view& rest) {
    const std::size_t zero = rest.find('\0');
    const std::string_view part = rest.substr(0, zero);
    rest = zero == std::string_view::npos ? std::string_view{} : rest.substr(zero + 1);
    return part;
}

// Draws come from the given bytes four at a time, over and over; with none,
// from a fixed sequence with an odd step (which reaches every remainder).
class BytesRandom final : public IRandomSource {
  public:
    explicit BytesRandom(std::string_view bytes = {}) : bytes_(bytes) {}
    void RandomSeed(std::uint32_t) override {}
    std::uint32_t RandomNext() override {
        ++drawn;
        if (bytes_.size() < 4)
            return fallback_ += 0x9e3779b9u;
        std::uint32_t value;
        std::memcpy(&value, bytes_.data() + next_, sizeof value);
        next_ = next_ + 4 + 4 > bytes_.size() ? 0 : next_ + 4;
        return value;
    }
    std::size_t drawn = 0;

  private:
    std::string_view bytes_;
    std::size_t next_ = 0;
    std::uint32_t fallback_ = 0;
};

// A file of this process in the temporary folder (readers that take a path
// read it); removed when the process ends.
class ScratchFile {
  public:
    explicit ScratchFile(const std::string& name) {
        const char* tmp = std::getenv("TMPDIR");
        folder_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/yarrow-fuzz-" +
                  std::to_string(::getpid());
        ::mkdir(folder_.c_str(), 0700);
        path_ = folder_ + "/" + name;
    }
    ~ScratchFile() {
        std::remove(path_.c_str());
        ::rmdir(folder_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // The folder, ending in "/".
    std::string Folder() const { return folder_ + "/"; }
    const std::string& Path() const { return path_; }
    void Write(std::string_view bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::string folder_;
    std::string path_;
};

}  // namespace yarrow::fuzz
