#include "convert/conversion.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadFixture;
using testing::RecordingHost;

const char* const kInvalid = "Dies ist keine gültige PDF-Datei.";

std::string Pages(int count) {
  PdfBuilder pdf;
  pdf.AddSimplePages(std::vector<std::string>(static_cast<std::size_t>(count), "BT ET"));
  return pdf.Build();
}

struct Session {
  Session() { state.MeasureFont = testing::MakeFakeFont(); }
  RecordingHost host;
  TDocumentState state;
  TConversionResult result;
  void Convert(std::string bytes) { result = ConvertBuffer(state, host, std::move(bytes)); }
};

std::vector<std::string> PageSteps(int count) {
  std::vector<std::string> steps{""};
  for (int n = 1; n <= count; ++n)
    steps.push_back("Lese Seite " + std::to_string(n) + "...");
  return steps;
}

TEST(Conversion, FourPagesReportTheirProgress) {
  Session run;
  run.Convert(Pages(4));
  EXPECT_EQ(run.host.steps, PageSteps(4));
  EXPECT_EQ(run.host.progress, (std::vector<int>{25, 50, 75, 100, 0}));
  EXPECT_EQ(run.host.status_lines,
            (std::vector<std::string>{"4 Seiten gefunden...", "0 Schriftarten gefunden...",
                                      "0 Bilder/Objekte gefunden...", "0 JPEG-Bilder gelesen...",
                                      "Lese Seiten..."}));
  EXPECT_EQ(run.host.page_count, 4);
  EXPECT_EQ(run.host.events, (std::vector<std::string>{"begin", "done", "end"}));
  EXPECT_TRUE(run.host.messages.empty());
  ASSERT_EQ(run.state.PageSizes.Count(), 4);
  EXPECT_EQ(run.state.PageSizes[3].Width, 612);
  EXPECT_EQ(run.state.PageSizes[3].Height, 792);
  EXPECT_FALSE(run.state.FBusy);
  EXPECT_EQ(run.state.Memo1.UpdateCount(), 0);
  EXPECT_EQ(run.result.PageCount, 4);
  EXPECT_FALSE(run.result.Invalid);
}

TEST(Conversion, ImagesReplaceTheEarlierDocumentsAndFollowTheOption) {
  Session run;
  run.Convert(ReadFixture("images/img2pdf-png.pdf"));
  EXPECT_EQ(run.state.Images.Count(), 3);
  EXPECT_EQ(run.host.status_lines[2], "3 Bilder/Objekte gefunden...");
  EXPECT_EQ(run.host.status_lines[3], "3 JPEG-Bilder gelesen...");
  const TPicture kept = run.state.Images[0].Bitmap;  // a copy, as the HTML preview takes one

  run.host.options.ReadPicsCheck = false;
  run.Convert(ReadFixture("images/img2pdf-png.pdf"));
  EXPECT_EQ(run.state.Images.Count(), 0);
  EXPECT_TRUE(kept.Decode().HasBits());  // the copy outlives the list's release
  EXPECT_EQ(run.host.status_lines.back(), "Lese Seiten...");
}

TEST(Conversion, ProgressIsTruncated) {
  Session run;
  run.Convert(Pages(3));
  EXPECT_EQ(run.host.progress, (std::vector<int>{33, 66, 100, 0}));
}

TEST(Conversion, CancelStopsBeforeTheNextPage) {
  // "Aktion abbrechen" during page 2: the window's button sets FBreak, or the host's pump
  // answers stop.
  const struct {
    const char* name;
    void (*cancel)(Session&);
  } ways[] = {{"FBreak", [](Session& run) { run.state.FBreak = true; }},
              {"pump", [](Session& run) { run.host.go_on = false; }}};
  for (const auto& way : ways) {
    Session run;
    run.host.on_pump = [&](int) {
      EXPECT_TRUE(run.state.FBusy);
      EXPECT_EQ(run.state.Memo1.UpdateCount(), 1);  // no repainting while the text grows
      if (run.host.steps.back() == "Lese Seite 2...") way.cancel(run);
    };
    run.Convert(Pages(10));
    EXPECT_EQ(run.state.PageSizes.Count(), 2) << way.name;
    EXPECT_EQ(run.host.steps, PageSteps(2)) << way.name;
    EXPECT_EQ(run.host.progress, (std::vector<int>{10, 20, 0})) << way.name;
    EXPECT_EQ(run.host.page_count, 10) << way.name;
    EXPECT_TRUE(run.host.messages.empty()) << way.name;
    EXPECT_FALSE(run.state.FBusy) << way.name;
    EXPECT_TRUE(run.state.FBreak) << way.name;  // the stop is kept where the window looks
  }
}

TEST(Conversion, EventsAreProcessedBetweenPicturesAndCancelStopsTheDecoding) {
  Session run;
  int picture_calls = 0;
  run.host.on_pump = [&](int) {
    const auto& lines = run.host.status_lines;
    if (lines.empty() || lines.back() != "3 Bilder/Objekte gefunden...") return;
    if (++picture_calls == 2) run.state.FBreak = true;  // after the first of three pictures
  };
  run.Convert(ReadFixture("images/img2pdf-png.pdf"));
  EXPECT_EQ(run.state.Images.Count(), 1);
  EXPECT_TRUE(run.state.Images[0].Bitmap.Decode().HasBits());
  EXPECT_EQ(run.host.status_lines[3], "1 JPEG-Bilder gelesen...");
  EXPECT_EQ(run.state.PageSizes.Count(), 0);
  EXPECT_FALSE(run.state.FBusy);
  EXPECT_EQ(run.host.events.back(), "end");
}

TEST(Conversion, ANewConversionClearsAnEarlierCancel) {
  Session run;
  run.state.FBreak = true;
  run.Convert(Pages(2));
  EXPECT_EQ(run.state.PageSizes.Count(), 2);
}

TEST(Conversion, ASecondCallWhileBusyChangesNothing) {
  Session run;
  run.state.FBusy = true;
  run.state.Memo1.AddLine("alt");
  run.Convert(Pages(2));
  EXPECT_FALSE(run.result.Started);
  EXPECT_TRUE(run.host.events.empty());
  EXPECT_EQ(run.state.Memo1.Text(), "alt\n");
  EXPECT_TRUE(run.state.FBusy);

  // The same from inside a running conversion's event processing.
  Session outer;
  RecordingHost inner_host;
  TConversionResult inner;
  outer.host.on_pump = [&](int) { inner = ConvertBuffer(outer.state, inner_host, Pages(1)); };
  outer.Convert(Pages(2));
  EXPECT_FALSE(inner.Started);
  EXPECT_TRUE(inner_host.events.empty());
  EXPECT_EQ(outer.state.PageSizes.Count(), 2);
}

TEST(Conversion, AFileThatCannotBeOpenedGivesNoMessage) {
  RecordingHost host;
  TDocumentState state;
  state.MeasureFont = testing::MakeFakeFont();
  state.Memo1.AddLine("vorher");
  *state.PageSizes.Append() = TPageSize{1, 2};
  const TConversionResult result = openfilenow(state, host, "/nicht/vorhanden.pdf");
  EXPECT_FALSE(result.Opened);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.page_count, 0);
  EXPECT_EQ(state.Memo1.Text(), "");
  EXPECT_EQ(state.PageSizes.Count(), 0);
  EXPECT_EQ(host.events, (std::vector<std::string>{"begin", "done", "end"}));
}

TEST(Conversion, OpensAFileFromDisk) {
  RecordingHost host;
  TDocumentState state;
  state.MeasureFont = testing::MakeFakeFont();
  const TConversionResult result =
      openfilenow(state, host, std::string(PAGINOR_TEST_DATA) + "/gs-rc4-40-empty.pdf");
  EXPECT_TRUE(result.Opened);
  EXPECT_EQ(host.page_count, 2);
  EXPECT_TRUE(host.messages.empty());
}

TEST(Conversion, InvalidFilesAreReportedOnceAtTheEnd) {
  PdfBuilder xref_stream;
  const struct {
    const char* name;
    std::string file;
    int page_count;
  } cases[] = {
      {"no %%EOF", PdfBuilder().Build({.no_eof = true}), 0},
      {"not a PDF at all", "Hallo Welt", 0},
      {"cross-reference stream",
       "%PDF-1.5\n1 0 obj\n<< /Type /XRef /Size 2 /W [1 2 1] /Length 0 >>\nstream\n\nendstream\n"
       "endobj\nstartxref\n9\n%%EOF\n",
       0},
      {"no root", PdfBuilder().Build(), 0},
  };
  for (const auto& c : cases) {
    Session run;
    run.Convert(c.file);
    ASSERT_EQ(run.host.messages.size(), 1u) << c.name;
    EXPECT_EQ(run.host.messages[0].text, kInvalid) << c.name;
    EXPECT_EQ(run.host.messages[0].caption, "Paginor") << c.name;
    EXPECT_EQ(run.host.messages[0].icon, TMessageIcon::Error) << c.name;
    EXPECT_EQ(run.host.page_count, c.page_count) << c.name;
    EXPECT_TRUE(run.result.Invalid) << c.name;
    EXPECT_FALSE(run.state.FBusy) << c.name;
  }
}

TEST(Conversion, AMissingPageIsReportedAndTheOthersAreRead) {
  PdfBuilder pdf;
  const std::vector<int> pages = pdf.AddSimplePages({"BT ET", "BT ET", "BT ET"});
  Session run;
  run.Convert(pdf.Build({.unlisted = {pages[1]}}));
  EXPECT_EQ(run.host.MessageTexts(), (std::vector<std::string>{kInvalid}));
  EXPECT_EQ(run.host.page_count, 3);
  EXPECT_EQ(run.state.PageSizes.Count(), 3);
  EXPECT_EQ(run.host.progress, (std::vector<int>{33, 66, 100, 0}));
}

TEST(Conversion, UnsupportedFilterGoesToTheStatusList) {
  PdfBuilder pdf;
  const int plain = pdf.AddStream("", "BT ET");
  const int dct = pdf.AddStream("/Filter /DCTDecode", "xx");
  const std::vector<int> pages = pdf.AddSimplePages({"BT ET", "BT ET"});
  const int tree = pdf.root + 1;  // the simple tree follows its catalog
  const int third = pdf.Add("<< /Type /Page /Contents [" + std::to_string(plain) + " 0 R " +
                            std::to_string(dct) + " 0 R] >>");
  pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(pages[0]) + " 0 R " +
                    std::to_string(pages[1]) + " 0 R " + std::to_string(third) + " 0 R] >>");
  Session run;
  run.Convert(pdf.Build());
  EXPECT_TRUE(run.host.messages.empty());
  EXPECT_EQ(run.host.status_lines,
            (std::vector<std::string>{"3 Seiten gefunden...", "0 Schriftarten gefunden...",
                                      "0 Bilder/Objekte gefunden...", "0 JPEG-Bilder gelesen...",
                                      "Lese Seiten...",
                                      "Die Komprimierung /DCTDecode wird nicht unterstützt, "
                                      "deshalb kann die Seite 3 nicht gelesen werden!"}));
}

TEST(Conversion, PasswordPromptThroughTheHost) {
  const std::string file = ReadFixture("qpdf-rc4-40-geheim.pdf");
  {
    Session run;  // wrong, then right
    run.host.passwords = {std::string("falsch"), std::string("geheim")};
    run.Convert(file);
    EXPECT_EQ(run.host.password_prompts, 2);
    EXPECT_EQ(run.host.MessageTexts(),
              (std::vector<std::string>{"Das Passwort war leider falsch!"}));
    EXPECT_EQ(run.host.page_count, 2);
    EXPECT_FALSE(run.result.PasswordRefused);
  }
  {
    Session run;  // cancel
    run.Convert(file);
    EXPECT_EQ(run.host.password_prompts, 1);
    EXPECT_EQ(run.host.MessageTexts(), (std::vector<std::string>{kInvalid}));
    EXPECT_EQ(run.host.page_count, 0);
    EXPECT_TRUE(run.result.PasswordRefused);
  }
  {
    Session run;  // the empty user password opens silently
    run.Convert(ReadFixture("qpdf-rc4-40-empty.pdf"));
    EXPECT_EQ(run.host.password_prompts, 0);
    EXPECT_TRUE(run.host.messages.empty());
    EXPECT_EQ(run.host.page_count, 2);
  }
}

// A host whose event processing fails, standing for anything that goes wrong mid-way.
TEST(Conversion, FailuresInsideStillCleanUp) {
  const struct {
    const char* name;
    std::function<void()> fail;
    const char* message;
  } cases[] = {
      {"out of memory", [] { throw std::bad_alloc(); },
       "Nicht genügend Speicher, um die PDF-Datei zu lesen."},
      {"any other error", [] { throw std::runtime_error("kaputt"); },
       "Beim Lesen der PDF-Datei ist ein Fehler aufgetreten: kaputt"},
  };
  for (const auto& c : cases) {
    Session run;
    run.host.on_pump = [&](int) {
      if (run.host.steps.back() == "Lese Seite 1...") c.fail();
    };
    run.Convert(Pages(3));
    EXPECT_EQ(run.host.MessageTexts(), (std::vector<std::string>{c.message})) << c.name;
    EXPECT_FALSE(run.state.FBusy) << c.name;
    EXPECT_EQ(run.state.Memo1.UpdateCount(), 0) << c.name;
    EXPECT_EQ(run.host.events.back(), "end") << c.name;
    EXPECT_EQ(run.host.page_count, 3) << c.name;  // the pages were known
  }
}

}  // namespace
}  // namespace paginor
