#include "platform/html_save.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "convert/conversion.h"
#include "output/html_writer.h"
#include "support/fake_font.h"
#include "support/read_structure.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

namespace fs = std::filesystem;

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HtmlSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("paginor_html_save_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    state.MeasureFont = testing::MakeFakeFont();
    testing::RecordingHost host;
    // bild001.jpg, bild002.gif, bild003.gif
    ConvertBuffer(state, host, testing::ReadFixture("images/img2pdf-png.pdf"));
    ASSERT_EQ(state.Images.Count(), 3);
    lines = RTFToHTML(state.Memo1);
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir;
  TDocumentState state;
  std::vector<std::string> lines;
};

TEST_F(HtmlSave, ThePageAndThePicturesItsLinksName) {
  const THtmlSaveResult saved = SaveHtmlWithPictures((dir / "p.htm").string(), lines, state.Images);
  EXPECT_FALSE(saved.PageFailure);
  EXPECT_TRUE(saved.PictureFailures.empty());
  EXPECT_EQ(FileBytes(dir / "p.htm"), HTMLFileContent(lines));
  EXPECT_NE(FileBytes(dir / "p.htm").find("<img src=\"bild001.jpg\" border=0>"), std::string::npos);
  for (const char* name : {"bild001.jpg", "bild002.gif", "bild003.gif"}) {
    EXPECT_FALSE(FileBytes(dir / name).empty()) << name;
  }
}

TEST_F(HtmlSave, EveryPictureThatCannotBeWrittenIsReportedWithItsReason) {
  // Folders where two pictures should go: the page and the picture between them are written.
  fs::create_directories(dir / "bild001.jpg");
  fs::create_directories(dir / "bild003.gif");
  const THtmlSaveResult saved = SaveHtmlWithPictures((dir / "p.htm").string(), lines, state.Images);
  EXPECT_FALSE(saved.PageFailure);
  ASSERT_EQ(saved.PictureFailures.size(), 2u);
  EXPECT_EQ(saved.PictureFailures[0].Path, (dir / "bild001.jpg").string());
  EXPECT_EQ(saved.PictureFailures[1].Path, (dir / "bild003.gif").string());
  for (const TPictureFailure& failure : saved.PictureFailures) {
    EXPECT_EQ(failure.Reason, "Unter diesem Namen gibt es einen Ordner.") << failure.Path;
  }
  EXPECT_EQ(FileBytes(dir / "p.htm"), HTMLFileContent(lines));
  EXPECT_FALSE(FileBytes(dir / "bild002.gif").empty());
}

TEST_F(HtmlSave, APageThatCannotBeWrittenGetsNoPictures) {
  const THtmlSaveResult saved =
      SaveHtmlWithPictures((dir / "fehlt" / "p.htm").string(), lines, state.Images);
  EXPECT_EQ(saved.PageFailure, "Den Ordner gibt es nicht.");
  EXPECT_TRUE(saved.PictureFailures.empty());
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(HtmlSave, PicturesOneByOneBesideThePage) {
  // As paginor-convert writes them while the conversion checks them.
  const struct {
    std::string page;
    std::string first_picture;
  } cases[] = {{(dir / "p.htm").string(), (dir / "bild001.jpg").string()},
               {"p.htm", "./bild001.jpg"}};
  for (const auto& c : cases) {
    EXPECT_EQ(THtmlPictures(c.page).PathOf(1, state.Images[0]), c.first_picture) << c.page;
  }
  fs::create_directories(dir / "bild002.gif");
  THtmlPictures pictures((dir / "p.htm").string());
  EXPECT_FALSE(pictures.Write(1, state.Images[0]));
  const auto failure = pictures.Write(2, state.Images[1]);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->Path, (dir / "bild002.gif").string());
  EXPECT_FALSE(pictures.Write(3, state.Images[2]));
  ASSERT_EQ(pictures.Failures().size(), 1u);
  EXPECT_EQ(pictures.Failures()[0].Path, failure->Path);
  EXPECT_FALSE(FileBytes(dir / "bild001.jpg").empty());
  EXPECT_FALSE(FileBytes(dir / "bild003.gif").empty());
}

}  // namespace
}  // namespace paginor
