// Files past 2 GB: the positions of their objects need 64 bits, and the file is mapped rather
// than read into memory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/conversion.h"
#include "support/fake_font.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

using testing::RecordingHost;

// A one-page text PDF whose objects all lie after a stream of pad bytes that nothing uses.
// The stream is a hole in the file: it takes a few blocks on disk and none in memory.
void WritePaddedPdf(const std::string& path, int64_t pad) {
  const std::string head = "%PDF-1.4\n1 0 obj\n<< /Length " + std::to_string(pad) + " >>\nstream\n";
  const int64_t at = static_cast<int64_t>(head.size()) + pad;
  std::string body = "\nendstream\nendobj\n";
  std::vector<int64_t> offsets{0, 9};
  const auto add = [&](const std::string& object) {
    offsets.push_back(at + static_cast<int64_t>(body.size()));
    body += std::to_string(offsets.size() - 1) + " 0 obj\n" + object + "\nendobj\n";
  };
  const std::string content = "BT /F1 12 Tf 72 700 Td (Hinter dem langen Strom) Tj ET";
  add("<< /Type /Catalog /Pages 3 0 R >>");
  add("<< /Type /Pages /Kids [4 0 R] /Count 1 >>");
  add("<< /Type /Page /Parent 3 0 R /MediaBox [0 0 595 842] "
      "/Resources << /Font << /F1 5 0 R >> >> /Contents 6 0 R >>");
  add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  add("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
  const int64_t xref = at + static_cast<int64_t>(body.size());
  body += "xref\n0 " + std::to_string(offsets.size()) + "\n0000000000 65535 f \n";
  for (std::size_t i = 1; i < offsets.size(); ++i) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(offsets[i]));
    body += entry;
  }
  body += "trailer\n<< /Size " + std::to_string(offsets.size()) + " /Root 2 0 R >>\nstartxref\n" +
          std::to_string(xref) + "\n%%EOF\n";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
  EXPECT_EQ(::pwrite(fd, body.data(), body.size(), static_cast<off_t>(at)),
            static_cast<ssize_t>(body.size()));
  ::close(fd);
}

TEST(LargeFiles, AFileOfTwoAndAHalfGigabytesIsConvertedWithItsObjectsPastTwoGigabytes) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("paginor-large-" + std::to_string(::getpid()) + ".pdf"))
                               .string();
  WritePaddedPdf(path, int64_t{5} << 29);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_GT(info.st_size, int64_t{5} << 29);
  // Sparse, or the test would write gigabytes.
  EXPECT_LT(int64_t{info.st_blocks} * 512, int64_t{1} << 20);
  for (const bool modern : {false, true}) {
    SCOPED_TRACE(modern ? "modern reader" : "classic reader");
    RecordingHost host;
    host.options.ModernCheck = modern;
    TDocumentState state;
    state.MeasureFont = testing::MakeFakeFont();
    const TConversionResult result = openfilenow(state, host, path);
    EXPECT_TRUE(result.Opened);
    EXPECT_FALSE(result.Invalid);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.page_count, 1);
    EXPECT_NE(state.Memo1.Text().find("Hinter dem langen Strom"), std::string::npos);
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace paginor
