// The bytes of the file being read, with room for what the reader appends after them: in
// memory, or for a large file mapped read-only, so that its pages are the system's file cache
// and not a second copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// Files from this size on are mapped rather than read.
constexpr int64_t kMapFromSize = int64_t{64} << 20;
// Room after a mapped file for the objects that object streams hold, written out by the
// modern reader: address space only until it is written.
constexpr std::size_t kAppendRoom = std::size_t{256} << 20;

class TFileBuffer {
 public:
  TFileBuffer() = default;
  explicit TFileBuffer(std::string bytes) : bytes_(std::move(bytes)) {}
  TFileBuffer(TFileBuffer&& other) noexcept;
  TFileBuffer& operator=(TFileBuffer&& other) noexcept;
  TFileBuffer(const TFileBuffer&) = delete;
  TFileBuffer& operator=(const TFileBuffer&) = delete;
  ~TFileBuffer();

  // The open file's first size bytes, mapped with room bytes to append; nothing when the
  // system does not map it.
  static std::optional<TFileBuffer> Map(int fd, int64_t size, std::size_t room = kAppendRoom);

  bool Mapped() const { return base_ != nullptr; }
  std::size_t size() const { return base_ ? size_ : bytes_.size(); }
  const char* data() const { return base_ ? base_ : bytes_.data(); }
  char operator[](std::size_t at) const { return data()[at]; }
  operator std::string_view() const { return {data(), size()}; }
  // Appended bytes follow the file's; a mapping whose room is used up is copied into memory.
  void append(std::string_view bytes);

 private:
  void Unmap();

  std::string bytes_;
  // A mapping: the file's whole pages read-only, then writable pages holding the file's last
  // partial page and the room to append.
  char* base_ = nullptr;
  std::size_t size_ = 0;
  std::size_t length_ = 0;  // of the whole mapping
};

enum class TLoadStatus { Loaded, CannotOpen };

// Reads the file at path: a regular file from map_from bytes on is mapped, smaller ones and
// pipes are read into memory.
TLoadStatus LoadFileBuffer(const std::string& path, TFileBuffer& buffer,
                           int64_t map_from = kMapFromSize);

}  // namespace paginor
