#include <gtest/gtest.h>

#include <string>

#include "frontend/logic/viewer_document.h"
#include "frontend/logic/viewer_sizes.h"
#include "frontend/testing/module1_test_support.h"
#include "frontend/testing/text_test_support.h"

namespace dalvo {
namespace {

class Viewer : public StartedModule1Test {
 protected:
  // The user double-clicks `name` in the file list ("" when nothing is selected).
  void DoubleClick(const std::string& name) {
    view_.selected_ = name;
    module_.File1_DblClick();
  }
};

TEST_F(Viewer, HelpShowsTheFileThenBothDirectories) {
  platform_.PutFile("/opt/dalvo/Dalvo.txt", "Help line 1\r\nHelp line 2\r\n");
  module_.Command7_Click();
  EXPECT_TRUE(view_.viewer_visible_);
  EXPECT_EQ(view_.viewer_text_,
            "Help line 1\r\nHelp line 2\r\n/opt/dalvo/\r\n/tmp/dalvo work dir/\r\n");
}

TEST_F(Viewer, MissingFilesDoNothingAtAll) {
  module_.Command7_Click();  // no help file
  module_.Command4_Click();  // no division yet
  DoubleClick("gone.txt");
  DoubleClick("");
  EXPECT_FALSE(view_.viewer_loaded_);
  EXPECT_FALSE(view_.viewer_visible_);
  EXPECT_TRUE(view_.viewer_texts_.empty());
  EXPECT_EQ(view_.beeps_, 0);
}

TEST_F(Viewer, ExistenceTestIgnoresCaseAndReadsTheNameOnDisk) {
  Put("N14453D.TXT", "14453");
  DoubleClick("n14453d.txt");
  EXPECT_EQ(view_.viewer_text_, "14453\r\n");
}

TEST_F(Viewer, OfNamesDifferingOnlyInCaseTheExactOneIsShown) {
  Put("A.txt", "upper");
  Put("a.txt", "lower");
  for (const char* name : {"a.txt", "A.txt"}) {
    DoubleClick(name);
    EXPECT_EQ(view_.viewer_text_, std::string(name[0] == 'a' ? "lower" : "upper") + "\r\n")
        << name;
  }
}

TEST_F(Viewer, UnreadableFileShowsNothingAndLeavesTheViewerAsItWas) {
  Put("a.txt", "first");
  Put("b.txt", "second");
  platform_.unreadable_.insert(std::string(kWork) + "b.txt");
  DoubleClick("a.txt");
  DoubleClick("b.txt");
  EXPECT_EQ(view_.viewer_text_, "first\r\n");
  EXPECT_TRUE(view_.viewer_visible_);
}

TEST_F(Viewer, EmptyFileOpensAnEmptyViewer) {
  Put("empty.txt", "");
  DoubleClick("empty.txt");
  EXPECT_TRUE(view_.viewer_visible_);
  EXPECT_EQ(view_.viewer_text_, "");
}

TEST_F(Viewer, NewLoadReplacesTheContentAndCloseHidesAndEmpties) {
  Put("a.txt", "one\rtwo");
  Put("latest_division_report.tmp", "report\r\n");
  DoubleClick("a.txt");
  EXPECT_EQ(view_.viewer_text_, "one\r\ntwo\r\n");
  module_.Command4_Click();
  EXPECT_EQ(view_.viewer_text_, "report\r\n");
  module_.Menu1_Click();
  EXPECT_FALSE(view_.viewer_visible_);
  EXPECT_TRUE(view_.viewer_loaded_);
  EXPECT_EQ(view_.viewer_text_, "");
  module_.File1_DblClick();
  EXPECT_TRUE(view_.viewer_visible_);
  EXPECT_EQ(view_.viewer_text_, "one\r\ntwo\r\n");
}

TEST_F(Viewer, WindowEventsKeepItMaximizedAndSizeTheTextBox) {
  module_.Form2_Load();
  EXPECT_TRUE(view_.viewer_maximized_);
  view_.viewer_maximized_ = false;  // the user restored it
  view_.viewer_outer_ = {9000, 7000};
  module_.Form2_Resize();
  EXPECT_TRUE(view_.viewer_maximized_);
  EXPECT_EQ(view_.viewer_box_.width, 8640);
  EXPECT_EQ(view_.viewer_box_.height, 6200);
  view_.SetViewerDocument(std::make_unique<ViewerDocument>(ViewerDocument::FromText("x")));
  module_.Form2_Unload();
  EXPECT_EQ(view_.viewer_text_, "");
}

TEST_F(Viewer, LongestNumberFileIsShownWhole) {
  std::string digits(37102, '0');
  for (std::size_t i = 0; i < digits.size(); ++i) digits[i] = static_cast<char>('1' + i % 9);
  Put("appendix_1_number_1.txt", digits);
  DoubleClick("appendix_1_number_1.txt");
  EXPECT_TRUE(view_.viewer_text_ == digits + "\r\n");
  EXPECT_EQ(view_.viewer_text_.find("not shown"), std::string::npos);
}

TEST_F(Viewer, HugeReportIsShownWholeWithItsDigitCountAndVerdict) {
  const std::string quotient(10'000'000, '5');
  const std::string rest = "\n\nThe number has 10000001 digits.\nIt is a multiple of 19.\n";
  Put("latest_division_report.tmp", quotient + rest);
  module_.Command4_Click();
  ASSERT_TRUE(view_.viewer_visible_);
  // Every digit, then the engine's LF-ended lines, each shown as a line of its own.
  const std::string shown =
      quotient + "\r\n\r\nThe number has 10000001 digits.\r\nIt is a multiple of 19.\r\n";
  EXPECT_EQ(view_.viewer_text_.size(), shown.size());
  EXPECT_TRUE(view_.viewer_text_ == shown);  // not EXPECT_EQ: a failure would print megabytes
  // Read in bounded pieces, the whole file.
  EXPECT_LE(platform_.largest_piece_, kViewerReadPiece);
  EXPECT_GE(platform_.pieces_read_, (quotient.size() + rest.size()) / kViewerReadPiece);
}

TEST_F(Viewer, ManyLinesAreAllShown) {
  std::string lines;
  while (lines.size() < 4 * kViewerReadPiece) lines += "19 divides this line.\r\n";
  Put("many.txt", lines);
  DoubleClick("many.txt");
  EXPECT_TRUE(view_.viewer_text_ == lines);
  ASSERT_NE(view_.viewer_document_, nullptr);
  EXPECT_EQ(view_.viewer_document_->LineCount(), lines.size() / 23 + 1);
}

// The viewer holds the file open: the next division replaces the report (by renaming a new
// file over it) while the old one is still shown, and a file may be deleted while it is shown.
TEST_F(Viewer, FileRewrittenOrDeletedWhileShownLeavesTheShownTextAlone) {
  Put("latest_division_report.tmp", std::string(3 * kViewerReadPiece, '4') + "\n");
  module_.Command4_Click();
  ASSERT_NE(view_.viewer_document_, nullptr);
  const std::string shown = view_.viewer_text_;
  Put("latest_division_report.tmp", "1\n");
  EXPECT_TRUE(WholeText(*view_.viewer_document_, "\r\n") == shown);
  platform_.files_.clear();
  EXPECT_EQ(view_.viewer_document_->LineLength(0), 3 * kViewerReadPiece);
}

TEST_F(Viewer, ReadFailingHalfwayLeavesTheViewerAsItWas) {
  Put("a.txt", "first");
  Put("big.txt", std::string(3 * kViewerReadPiece, '9'));
  DoubleClick("a.txt");
  platform_.read_fails_after_pieces_ = 2;
  DoubleClick("big.txt");
  EXPECT_EQ(view_.viewer_text_, "first\r\n");
  EXPECT_TRUE(view_.viewer_visible_);
}

TEST_F(Viewer, FileSizeTextOfTheSelectedFile) {
  Put("ab.txt", "123456789012");
  view_.selected_ = "ab.txt";
  EXPECT_EQ(module_.FileSizeText(), "ab.txt  -  12 bytes.");
  view_.selected_ = "";
  EXPECT_EQ(module_.FileSizeText(), "");
  view_.selected_ = "missing.txt";
  EXPECT_EQ(module_.FileSizeText(), "");
}

}  // namespace
}  // namespace dalvo
