#include "output/document.h"

#include <gtest/gtest.h>

namespace paginor {
namespace {

TEST(RichDocument, LineCountIgnoresAnEmptyLastLine) {
  TRichDocument doc;
  EXPECT_EQ(doc.LineCount(), 0);
  doc.AddLine("");
  EXPECT_EQ(doc.LineCount(), 1);
  EXPECT_EQ(doc.Text(), "\n");

  TRichDocument abc;
  abc.SetSelText("abc");
  EXPECT_EQ(abc.LineCount(), 1);
  abc.AddLine("");  // only closes the line
  EXPECT_EQ(abc.LineCount(), 1);
  abc.AddLine("");
  EXPECT_EQ(abc.LineCount(), 2);
  EXPECT_EQ(abc.Text(), "abc\n\n");
}

TEST(RichDocument, SelectionIsClampedAndAppendsAtTheCaret) {
  TRichDocument doc;
  doc.AddLine("eins");
  doc.SetSelText("zwei");
  EXPECT_EQ(doc.Text(), "eins\nzwei");
  doc.SetSelStart(100);
  EXPECT_EQ(doc.SelStart(), doc.TextLength());
  doc.SetSelStart(0);
  doc.SetSelLength(1000);
  EXPECT_EQ(doc.SelLength(), doc.TextLength());
  doc.Clear();
  EXPECT_EQ(doc.TextLength(), 0);
  EXPECT_EQ(doc.SelStart(), 0);
  doc.SetSelLength(1);
  EXPECT_EQ(doc.SelLength(), 0);
}

TEST(RichDocument, UpdateCallsNest) {
  TRichDocument doc;
  doc.BeginUpdate();
  doc.BeginUpdate();
  doc.EndUpdate();
  EXPECT_EQ(doc.UpdateCount(), 1);
  doc.EndUpdate();
  doc.EndUpdate();
  EXPECT_EQ(doc.UpdateCount(), 0);
}

}  // namespace
}  // namespace paginor
