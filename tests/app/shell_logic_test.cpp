#include "app/shell_logic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace paginor {
namespace {

TEST(Favourites, ReadWithTheirLineRules) {
  const struct {
    std::string bytes;
    std::vector<std::string> folders;
  } cases[] = {
      {"", {}},
      {"/a/\r\n/b/\r\n", {"/a/", "/b/"}},
      {"/a/\r/b/", {"/a/", "/b/"}},
      {"/a/\n\r\n/b/\r\n", {"/a/", "", "/b/"}},
      {"/a/\r\n\x1A/b/\r\n", {"/a/"}},
      {"\r\n", {""}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseFavourites(c.bytes), c.folders) << c.bytes;
  EXPECT_EQ(FormatFavourites({"/a/", "/b/"}), "/a/\r\n/b/\r\n");
}

TEST(Favourites, TheLastEqualEntryMovesToTheTop) {
  std::vector<std::string> folders;
  for (const char* path : {"/A/", "/A/", "/B/", "/A/", "/a/"})
    AddToPrefFolders(folders, path);
  EXPECT_EQ(folders, (std::vector<std::string>{"/a/", "/A/", "/B/"}));
  std::vector<std::string> edited = {"/x/", "/d/", "/y/", "/d/"};  // duplicates by hand
  AddToPrefFolders(edited, "/d/");
  EXPECT_EQ(edited, (std::vector<std::string>{"/d/", "/x/", "/d/", "/y/"}));
}

TEST(CommandLine, OnlyPdfNamesAndWhereBareNamesComeFrom) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "paginor_cmdline";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "here.pdf") << "x";
  const std::string cwd = dir.string();
  EXPECT_EQ(ResolveCommandLineFile("/docs/a.pdf", cwd, "/data"), "/docs/a.pdf");
  EXPECT_EQ(ResolveCommandLineFile("here.PDF", cwd, "/data"), "/data/here.PDF");
  EXPECT_EQ(ResolveCommandLineFile("here.pdf", cwd, "/data"), (dir / "here.pdf").string());
  EXPECT_EQ(ResolveCommandLineFile("a.Pdf", cwd, "/data"), "/data/a.Pdf");
  for (const char* ignored : {"a.txt", "a.pdfx", "pdf", ""}) {
    EXPECT_FALSE(ResolveCommandLineFile(ignored, cwd, "/data").has_value()) << ignored;
  }
  std::filesystem::remove_all(dir);
}

TEST(ProgressBar, FillIsCut) {
  EXPECT_EQ(ProgressFillWidth(301, 33), 99);
  EXPECT_EQ(ProgressFillWidth(300, 100), 300);
  EXPECT_EQ(ProgressFillWidth(300, 0), 0);
}

}  // namespace
}  // namespace paginor
