#include "pdf/page_tree.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/pdf_builder.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadStructure;

std::vector<int> PageNumbers(const TDocReader& reader) {
  std::vector<int> numbers;
  for (const TPageRec& page : reader.Pages)
    numbers.push_back(page.ObjNum);
  return numbers;
}

std::string Kids(const std::vector<int>& numbers) {
  std::string kids = "/Kids [";
  for (int n : numbers)
    kids += std::to_string(n) + " 0 R ";
  return kids + "]";
}

// A tree given as node -> children; every other object named is a page.
std::string Tree(const std::map<int, std::vector<int>>& nodes, const std::vector<int>& pages) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  for (const auto& [node, children] : nodes) {
    pdf.Set(node, "<< /Type /Pages " + Kids(children) + " >>");
  }
  for (int page : pages)
    pdf.Set(page, "<< /Type /Page >>");
  pdf.root = 1;
  return pdf.Build();
}

TEST(PageTree, PagesComeInDocumentOrder) {
  const struct {
    const char* name;
    std::map<int, std::vector<int>> nodes;
    std::vector<int> pages;
    std::vector<int> order;
  } cases[] = {
      // Root kids A (10) and B (20); A holds X (11) and Y (12).
      {"unbalanced", {{2, {10, 20}}, {10, {11, 12}}}, {11, 12, 20}, {11, 12, 20}},
      {"two nodes of three",
       {{2, {10, 20}}, {10, {11, 12, 13}}, {20, {21, 22, 23}}},
       {11, 12, 13, 21, 22, 23},
       {11, 12, 13, 21, 22, 23}},
      {"three levels",
       {{2, {3, 10, 4}}, {10, {11, 20, 12}}, {20, {21, 22}}},
       {3, 4, 11, 12, 21, 22},
       {3, 11, 21, 22, 12, 4}},
      {"cycle back to the root and to a node", {{2, {10, 5}}, {10, {2, 10, 11}}}, {5, 11}, {11, 5}},
  };
  for (const auto& c : cases) {
    auto reader = ReadStructure(Tree(c.nodes, c.pages));
    EXPECT_FALSE(reader->Invalid) << c.name;
    EXPECT_EQ(PageNumbers(*reader), c.order) << c.name;
  }
}

TEST(PageTree, KidsInAnArrayObjectAndEmptyKids) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids 3 0 R >>");
  pdf.Set(3, "[4 0 R 5 0 R]");
  pdf.Set(4, "<< /Type /Page /Kids [] >>");  // no reference: still a page
  pdf.Set(5, "<< /Type /Page >>");
  pdf.root = 1;
  auto reader = ReadStructure(pdf.Build());
  EXPECT_EQ(PageNumbers(*reader), (std::vector<int>{4, 5}));
}

TEST(PageTree, AMissingPageSetsInvalidAndTheOthersStay) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R 9 0 R 4 0 R] >>");
  pdf.Set(3, "<< /Type /Page /MediaBox [0 0 100 200] >>");
  pdf.Set(4, "<< /Type /Page /MediaBox [0 0 300 400] >>");
  pdf.root = 1;
  auto reader = ReadStructure(pdf.Build());
  EXPECT_TRUE(reader->Invalid);
  ASSERT_EQ(PageNumbers(*reader), (std::vector<int>{3, 9, 4}));
  EXPECT_EQ(reader->Pages[0].Width, 100);
  EXPECT_EQ(reader->Pages[1].Width, 595);  // never read
  EXPECT_EQ(reader->Pages[2].Height, 400);
}

TEST(PageTree, CatalogFaultsAreInvalid) {
  for (const std::string catalog : {"<< /Type /Catalog >>", "<< /Pages 7 0 R >>", "[ ]"}) {
    PdfBuilder pdf;
    pdf.Set(1, catalog);
    pdf.root = 1;
    auto reader = ReadStructure(pdf.Build());
    EXPECT_TRUE(reader->Invalid) << catalog;
    EXPECT_EQ(reader->Pages.Count(), 0) << catalog;
  }
}

TEST(PageTree, AShiftedOffsetMakesThatPageUnreadable) {
  PdfBuilder pdf;
  const std::vector<int> pages = pdf.AddSimplePages({"BT ET", "BT ET"});
  auto reader = ReadStructure(pdf.Build({.offset_shift = {{pages[0], 3}}}));
  EXPECT_TRUE(reader->Invalid);
  ASSERT_EQ(reader->Pages.Count(), 2);
  EXPECT_EQ(reader->Pages[0].Contents.Count(), 0);
  EXPECT_EQ(reader->Pages[1].Contents.Count(), 1);
}

TEST(PageDictionary, MediaBoxGivesTheSize) {
  const struct {
    const char* entry;
    double width, height;
  } cases[] = {{"/MediaBox [0 0 612 792]", 612, 792},
               {"/MediaBox [10 20 622 812]", 612, 792},
               {"/MediaBox [0 0 595.5 841.89]", 595.5, 841.89},
               {"/MediaBox [0 0 300 x]", 300, 842},  // the width already stored stays
               {"/MediaBox [0 0]", 595, 842},
               {"", 595, 842}};
  for (const auto& c : cases) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    // The parent's /MediaBox is not inherited.
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /MediaBox [0 0 100 100] >>");
    pdf.Set(3, std::string("<< /Type /Page ") + c.entry + " >>");
    pdf.root = 1;
    auto reader = ReadStructure(pdf.Build());
    ASSERT_EQ(reader->Pages.Count(), 1);
    EXPECT_DOUBLE_EQ(reader->Pages[0].Width, c.width) << c.entry;
    EXPECT_DOUBLE_EQ(reader->Pages[0].Height, c.height) << c.entry;
  }
}

std::vector<int> ContentNumbers(const TPageRec& page) {
  std::vector<int> numbers;
  for (const TContentRef& ref : page.Contents)
    numbers.push_back(ref.Valid ? ref.ObjNum : -1);
  return numbers;
}

TEST(PageDictionary, ContentsInlineOrThroughAnArrayObject) {
  for (const std::string contents : {"[5 0 R 6 0 R]", "9 0 R", "5 0 R", "[5 0 R x 0 R]"}) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] >>");
    pdf.Set(3, "<< /Type /Page /Contents " + contents + " >>");
    pdf.Set(5, "<< /Length 0 >>\nstream\n\nendstream");
    pdf.Set(6, "<< /Length 0 >>\nstream\n\nendstream");
    pdf.Set(9, "[5 0 R 6 0 R]");
    pdf.root = 1;
    auto reader = ReadStructure(pdf.Build());
    const std::vector<int> expected = contents == "5 0 R"           ? std::vector<int>{5}
                                      : contents == "[5 0 R x 0 R]" ? std::vector<int>{5, -1}
                                                                    : std::vector<int>{5, 6};
    EXPECT_EQ(ContentNumbers(reader->Pages[0]), expected) << contents;
  }
}

// Two pages, objects 3 and 4, whose dictionaries hold the given resource entries.
PdfBuilder TwoPages(const std::string& first, const std::string& second) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] >>");
  pdf.Set(3, "<< /Type /Page " + first + " >>");
  pdf.Set(4, "<< /Type /Page " + second + " >>");
  pdf.root = 1;
  return pdf;
}

TEST(PageResources, FontAndXObjectPositions) {
  PdfBuilder pdf =
      TwoPages("/Resources << /Font 21 0 R /XObject << /Im1 30 0 R >> >>", "/Resources 22 0 R");
  pdf.Set(21, "<< /F1 40 0 R >>");
  pdf.Set(22, "<< /Font << /F2 41 0 R >> /XObject 23 0 R >>");
  pdf.Set(23, "<< /Im2 31 0 R >>");
  const std::string file = pdf.Build();
  auto reader = ReadStructure(file);
  ASSERT_EQ(reader->Pages.Count(), 2);
  const TPageRec& first = reader->Pages[0];
  const TPageRec& second = reader->Pages[1];
  const auto text_at = [&file](int32_t pos, std::size_t n) { return file.substr(pos, n); };

  ASSERT_TRUE(first.HasResources);
  EXPECT_EQ(text_at(first.ResourcesPos, 8), "<< /Font");
  ASSERT_TRUE(first.HasFonts);
  EXPECT_EQ(text_at(first.FontPos, 8), "<< /F1 4");  // just after object 21's "obj"
  ASSERT_TRUE(first.HasXObjects);
  EXPECT_EQ(text_at(first.XObjectPos, 7), "<< /Im1");

  ASSERT_TRUE(second.HasResources);
  EXPECT_EQ(text_at(second.ResourcesPos, 8), "<< /Font");
  EXPECT_EQ(text_at(second.FontPos, 6), "<< /F2");
  EXPECT_EQ(text_at(second.XObjectPos, 7), "<< /Im2");
}

TEST(PageResources, ObjectsListedBeyondTheFileAreNotThere) {
  PdfBuilder pdf = TwoPages("/Resources << /Font 21 0 R /XObject 22 0 R >>", "/Resources 23 0 R");
  for (int n : {21, 22, 23})
    pdf.Set(n, "<< >>");
  const int far = 1 << 20;
  auto reader = ReadStructure(pdf.Build({.offset_shift = {{21, far}, {22, far}, {23, far}}}));
  ASSERT_EQ(reader->Pages.Count(), 2);
  EXPECT_TRUE(reader->Pages[0].HasResources);
  EXPECT_FALSE(reader->Pages[0].HasFonts);
  EXPECT_FALSE(reader->Pages[0].HasXObjects);
  EXPECT_FALSE(reader->Pages[1].HasResources);
}

}  // namespace
}  // namespace paginor
