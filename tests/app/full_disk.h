// A disk that is full, for the tests of saving: while a FullDisk lives, every write into a
// file of this process fails with EFBIG (a file size limit of 0), as on a disk without room.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace paginor::testing {

class FullDisk {
 public:
  FullDisk() {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved_;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace paginor::testing
