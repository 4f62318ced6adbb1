#include "pdf/file_buffer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <utility>

namespace paginor {

namespace {

// Closes the descriptor on every path.
class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads from fd at offset until count bytes or the end; the number read.
std::size_t ReadAt(int fd, char* out, std::size_t count, int64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, out + done, count - done,
                              static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

// A pipe or another file without a known size: read to its end.
bool ReadAll(int fd, std::string& out) {
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) return true;
    if (n < 0) return false;
    out.append(chunk, static_cast<std::size_t>(n));
  }
}

// A mapped file that another program shortens while it is read would end the process with
// SIGBUS at the first page past its new end. Such pages of our mappings are replaced by zero
// pages instead: the reader sees a damaged file, and every bound it checks still holds.
struct TGuardedRange {
  std::atomic<uintptr_t> begin{0};
  std::atomic<uintptr_t> end{0};
};
constexpr int kGuardedRanges = 16;
TGuardedRange g_guarded[kGuardedRanges];
uintptr_t g_page_size = 0;
struct sigaction g_previous_bus_handler {};
std::once_flag g_bus_handler_installed;

void OnBusError(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
  for (TGuardedRange& range : g_guarded) {
    const uintptr_t begin = range.begin.load(std::memory_order_acquire);
    if (begin == 0 || address < begin || address >= range.end.load(std::memory_order_acquire))
      continue;
    // A plain system call: the zero page takes the vanished one's place, and the read that
    // faulted is done again.
    void* page = reinterpret_cast<void*>(address & ~(g_page_size - 1));
    if (::mmap(page, g_page_size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
        MAP_FAILED) {
      return;
    }
  }
  // Not one of ours: whoever handled it before, or the default, which ends the process when the
  // faulting access is done again.
  if ((g_previous_bus_handler.sa_flags & SA_SIGINFO) != 0 &&
      g_previous_bus_handler.sa_sigaction != nullptr) {
    g_previous_bus_handler.sa_sigaction(signal, info, context);
    return;
  }
  if (g_previous_bus_handler.sa_handler != SIG_DFL &&
      g_previous_bus_handler.sa_handler != SIG_IGN) {
    g_previous_bus_handler.sa_handler(signal);
    return;
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(SIGBUS, &fallback, nullptr);
}

void InstallBusHandler() {
  std::call_once(g_bus_handler_installed, [] {
    g_page_size = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previous_bus_handler);
  });
}

// Guards the length bytes from begin; when every slot is taken, the mapping goes unguarded.
// A slot's end is 0 whenever it is being taken or given back, so that it matches nothing.
void Guard(const char* begin, std::size_t length) {
  InstallBusHandler();
  for (TGuardedRange& range : g_guarded) {
    uintptr_t free = 0;
    if (range.begin.compare_exchange_strong(free, reinterpret_cast<uintptr_t>(begin),
                                            std::memory_order_acq_rel)) {
      range.end.store(reinterpret_cast<uintptr_t>(begin) + length, std::memory_order_release);
      return;
    }
  }
}

void Unguard(const char* begin) {
  for (TGuardedRange& range : g_guarded) {
    if (range.begin.load(std::memory_order_acquire) != reinterpret_cast<uintptr_t>(begin)) continue;
    range.end.store(0, std::memory_order_release);
    range.begin.store(0, std::memory_order_release);
    return;
  }
}

}  // namespace

TFileBuffer::TFileBuffer(TFileBuffer&& other) noexcept
    : bytes_(std::move(other.bytes_)),
      base_(std::exchange(other.base_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      length_(std::exchange(other.length_, 0)) {}

TFileBuffer& TFileBuffer::operator=(TFileBuffer&& other) noexcept {
  if (this != &other) {
    Unmap();
    bytes_ = std::move(other.bytes_);
    base_ = std::exchange(other.base_, nullptr);
    size_ = std::exchange(other.size_, 0);
    length_ = std::exchange(other.length_, 0);
  }
  return *this;
}

TFileBuffer::~TFileBuffer() {
  Unmap();
}

void TFileBuffer::Unmap() {
  if (base_ != nullptr) {
    Unguard(base_);
    ::munmap(base_, length_);
  }
  base_ = nullptr;
  size_ = 0;
  length_ = 0;
}

std::optional<TFileBuffer> TFileBuffer::Map(int fd, int64_t size, std::size_t room) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  if (size <= 0 || page == 0 || room > SIZE_MAX / 2 ||
      static_cast<uint64_t>(size) > SIZE_MAX / 2 - room - page) {
    return std::nullopt;
  }
  const auto file_size = static_cast<std::size_t>(size);
  const std::size_t whole_pages = file_size / page * page;
  const std::size_t length = whole_pages + page + room;
  void* base = ::mmap(nullptr, length, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (base == MAP_FAILED) return std::nullopt;
  TFileBuffer buffer;
  buffer.base_ = static_cast<char*>(base);
  buffer.length_ = length;
  buffer.size_ = file_size;
  if (whole_pages > 0 &&
      ::mmap(base, whole_pages, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) == MAP_FAILED) {
    return std::nullopt;
  }
  // The last partial page is copied, so that appended bytes can follow it directly.
  const std::size_t tail = file_size - whole_pages;
  if (ReadAt(fd, buffer.base_ + whole_pages, tail, static_cast<int64_t>(whole_pages)) != tail) {
    return std::nullopt;
  }
  ::madvise(base, whole_pages, MADV_SEQUENTIAL);
  if (whole_pages > 0) Guard(buffer.base_, whole_pages);
  return buffer;
}

void TFileBuffer::append(std::string_view bytes) {
  if (base_ == nullptr) {
    bytes_.append(bytes);
    return;
  }
  if (bytes.size() <= length_ - size_) {
    std::memcpy(base_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
    return;
  }
  std::string copy(base_, size_);
  copy.append(bytes);
  Unmap();
  bytes_ = std::move(copy);
}

TLoadStatus LoadFileBuffer(const std::string& path, TFileBuffer& buffer, int64_t map_from) {
  const TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return TLoadStatus::CannotOpen;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return TLoadStatus::CannotOpen;
  if (S_ISDIR(info.st_mode)) return TLoadStatus::CannotOpen;
  if (!S_ISREG(info.st_mode)) {
    std::string bytes;
    if (!ReadAll(fd.get(), bytes)) return TLoadStatus::CannotOpen;
    buffer = TFileBuffer(std::move(bytes));
    return TLoadStatus::Loaded;
  }
  const auto size = static_cast<int64_t>(info.st_size);
  if (size >= map_from) {
    if (std::optional<TFileBuffer> mapped = TFileBuffer::Map(fd.get(), size)) {
      buffer = std::move(*mapped);
      return TLoadStatus::Loaded;
    }
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (ReadAt(fd.get(), bytes.data(), bytes.size(), 0) != bytes.size()) {
    return TLoadStatus::CannotOpen;
  }
  buffer = TFileBuffer(std::move(bytes));
  return TLoadStatus::Loaded;
}

}  // namespace paginor
