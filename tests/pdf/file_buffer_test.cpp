#include "pdf/file_buffer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace paginor {
namespace {

// A file in the temporary folder, removed at the end of the test.
struct TempFile {
  static inline int made = 0;
  std::string path =
      (std::filesystem::temp_directory_path() /
       ("paginor-buffer-" + std::to_string(::getpid()) + "-" + std::to_string(made++) + ".pdf"))
          .string();
  ~TempFile() { std::filesystem::remove(path); }
};

// size bytes: text at the start and at the end, a hole between when the size asks for one.
std::string WriteFile(const std::string& path, int64_t size) {
  const std::string head = "%PDF-1.4\nAnfang";
  const std::string tail = "Ende\n%%EOF\n";
  std::filesystem::remove(path);
  std::ofstream(path, std::ios::binary) << head;
  std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size - tail.size()));
  std::ofstream(path, std::ios::binary | std::ios::app) << tail;
  return head + std::string(static_cast<std::size_t>(size) - head.size() - tail.size(), '\0') +
         tail;
}

// Files from this size on are mapped in these tests.
constexpr int64_t kMapFrom = 64 << 10;

TEST(FileBuffer, SmallFilesAreReadLargeOnesMappedWithTheSameBytes) {
  const struct {
    const char* name;
    int64_t size;
    bool mapped;
  } cases[] = {
      {"small", 100, false},
      {"just below the mapping size", kMapFrom - 1, false},
      {"mapped, ending inside a page", kMapFrom + 1000, true},
      {"mapped, ending on a page boundary", kMapFrom + 4096, true},
      {"mapped, shorter than a page", 1000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFile file;
    const std::string expected = WriteFile(file.path, c.size);
    TFileBuffer buffer;
    const int64_t map_from = c.size < 4096 && c.mapped ? 1 : kMapFrom;
    ASSERT_EQ(LoadFileBuffer(file.path, buffer, map_from), TLoadStatus::Loaded);
    EXPECT_EQ(buffer.Mapped(), c.mapped);
    ASSERT_EQ(buffer.size(), expected.size());
    EXPECT_TRUE(std::string_view(buffer) == expected);
    // What the reader appends follows the file's last byte.
    buffer.append("7 0 obj");
    EXPECT_TRUE(std::string_view(buffer) == expected + "7 0 obj");
    EXPECT_EQ(buffer.Mapped(), c.mapped);
  }
  // The size from which the converter maps its file.
  TempFile file;
  WriteFile(file.path, kMapFromSize);
  TFileBuffer buffer;
  ASSERT_EQ(LoadFileBuffer(file.path, buffer), TLoadStatus::Loaded);
  EXPECT_TRUE(buffer.Mapped());
  EXPECT_EQ(static_cast<int64_t>(buffer.size()), kMapFromSize);
}

TEST(FileBuffer, AMappingWithoutRoomLeftIsCopiedAndKeepsItsBytes) {
  TempFile file;
  const std::string expected = WriteFile(file.path, 10000);
  const int fd = ::open(file.path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  std::optional<TFileBuffer> buffer = TFileBuffer::Map(fd, 10000, 10);
  ::close(fd);
  ASSERT_TRUE(buffer.has_value());
  EXPECT_TRUE(buffer->Mapped());
  buffer->append("12345");
  EXPECT_TRUE(buffer->Mapped());
  // The room is what is left of the last page as well.
  const std::string more(5000, 'x');
  buffer->append(more);
  EXPECT_FALSE(buffer->Mapped());
  EXPECT_TRUE(std::string_view(*buffer) == expected + "12345" + more);
  // Moved, the mapping goes along.
  TFileBuffer moved = std::move(*buffer);
  EXPECT_EQ(moved.size(), expected.size() + 5005);
}

TEST(FileBuffer, AMappedFileShortenedWhileItIsReadReadsAsZerosPastItsNewEnd) {
  TempFile file;
  const std::string expected(static_cast<std::size_t>(kMapFrom) + 5000, 'x');
  std::ofstream(file.path, std::ios::binary) << expected;
  TFileBuffer buffer;
  ASSERT_EQ(LoadFileBuffer(file.path, buffer, kMapFrom), TLoadStatus::Loaded);
  ASSERT_TRUE(buffer.Mapped());
  // Another program cuts the file to one page and a bit.
  std::filesystem::resize_file(file.path, 5000);
  EXPECT_EQ(buffer[100], 'x');
  const std::size_t gone = static_cast<std::size_t>(kMapFrom) / 2;
  EXPECT_EQ(buffer[gone], '\0');
  EXPECT_EQ(buffer[gone + 17], '\0');
  EXPECT_EQ(buffer.size(), expected.size());
  EXPECT_EQ(buffer[expected.size() - 1], 'x');  // the last partial page was copied
  // Another mapping reads as before.
  TempFile second;
  const std::string other_expected = WriteFile(second.path, kMapFrom + 10);
  TFileBuffer other;
  ASSERT_EQ(LoadFileBuffer(second.path, other, kMapFrom), TLoadStatus::Loaded);
  EXPECT_TRUE(std::string_view(other) == other_expected);
}

TEST(FileBuffer, PipesAreReadToTheirEndAndMissingFilesAreReported) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const std::string bytes = "%PDF-1.4 aus einer Leitung\n";
  ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(ends[1]);
  TFileBuffer buffer;
  EXPECT_EQ(LoadFileBuffer("/proc/self/fd/" + std::to_string(ends[0]), buffer),
            TLoadStatus::Loaded);
  ::close(ends[0]);
  EXPECT_FALSE(buffer.Mapped());
  EXPECT_TRUE(std::string_view(buffer) == bytes);

  EXPECT_EQ(LoadFileBuffer("/nicht/vorhanden.pdf", buffer), TLoadStatus::CannotOpen);
  EXPECT_EQ(LoadFileBuffer(std::filesystem::temp_directory_path().string(), buffer),
            TLoadStatus::CannotOpen);
}

}  // namespace
}  // namespace paginor
