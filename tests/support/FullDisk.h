#pragma once
// A disk that fills up, for as long as the object lives: no file of this
// process grows beyond `room` bytes, and a write past that fails (EFBIG)
// instead of ending the process.

#include <sys/resource.h>

#include <algorithm>
#include <csignal>

namespace yarrow::test {

class FullDisk {
  public:
    explicit FullDisk(rlim_t room) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = std::min(room, old_.rlim_max);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

  private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
};

}  // namespace yarrow::test
