#include "pdf/file_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
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
  if (base_ != nullptr) ::munmap(base_, length_);
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
