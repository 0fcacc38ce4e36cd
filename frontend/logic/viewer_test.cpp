#include <gtest/gtest.h>

#include <string>

#include "module1_test_support.h"
#include "viewer_text.h"

namespace dalvo {
namespace {

class Viewer : public Module1Test {
 protected:
  void SetUp() override { Load(); }
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
  view_.selected_ = "gone.txt";
  module_.File1_DblClick();
  view_.selected_ = "";
  module_.File1_DblClick();
  EXPECT_FALSE(view_.viewer_loaded_);
  EXPECT_FALSE(view_.viewer_visible_);
  EXPECT_TRUE(view_.viewer_texts_.empty());
  EXPECT_EQ(view_.beeps_, 0);
}

TEST_F(Viewer, ExistenceTestIgnoresCaseAndReadsTheNameOnDisk) {
  Put("N14453D.TXT", "14453");
  view_.selected_ = "n14453d.txt";
  module_.File1_DblClick();
  EXPECT_EQ(view_.viewer_text_, "14453\r\n");
}

TEST_F(Viewer, OfNamesDifferingOnlyInCaseTheExactOneIsShown) {
  Put("A.txt", "upper");
  Put("a.txt", "lower");
  for (const char* name : {"a.txt", "A.txt"}) {
    view_.selected_ = name;
    module_.File1_DblClick();
    EXPECT_EQ(view_.viewer_text_, std::string(name[0] == 'a' ? "lower" : "upper") + "\r\n")
        << name;
  }
}

TEST_F(Viewer, UnreadableFileShowsNothingAndLeavesTheViewerAsItWas) {
  Put("a.txt", "first");
  Put("b.txt", "second");
  platform_.unreadable_.insert(std::string(kWork) + "b.txt");
  view_.selected_ = "a.txt";
  module_.File1_DblClick();
  view_.selected_ = "b.txt";
  module_.File1_DblClick();
  EXPECT_EQ(view_.viewer_text_, "first\r\n");
  EXPECT_TRUE(view_.viewer_visible_);
}

TEST_F(Viewer, EmptyFileOpensAnEmptyViewer) {
  Put("empty.txt", "");
  view_.selected_ = "empty.txt";
  module_.File1_DblClick();
  EXPECT_TRUE(view_.viewer_visible_);
  EXPECT_EQ(view_.viewer_text_, "");
}

TEST_F(Viewer, NewLoadReplacesTheContentAndCloseHidesAndEmpties) {
  Put("a.txt", "one\rtwo");
  Put("latest_division_report.tmp", "report\r\n");
  view_.selected_ = "a.txt";
  module_.File1_DblClick();
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
  view_.SetViewerText("x");
  module_.Form2_Unload();
  EXPECT_EQ(view_.viewer_text_, "");
}

TEST_F(Viewer, LongestNumberFileIsShownWhole) {
  std::string digits(37102, '0');
  for (std::size_t i = 0; i < digits.size(); ++i) digits[i] = static_cast<char>('1' + i % 9);
  Put("appendix_1_number_1.txt", digits);
  view_.selected_ = "appendix_1_number_1.txt";
  module_.File1_DblClick();
  EXPECT_TRUE(view_.viewer_text_ == digits + "\r\n");
  EXPECT_EQ(view_.viewer_text_.find("not shown"), std::string::npos);
}

TEST_F(Viewer, HugeReportShowsTheStartOfTheQuotientANoteAndItsEnd) {
  const std::string quotient(10'000'000, '5');
  const std::string rest = "\r\n\r\nThe number has 10000001 digits.\r\nIt is a multiple of 19.\r\n";
  Put("latest_division_report.tmp", quotient + rest);
  module_.Command4_Click();
  ASSERT_TRUE(view_.viewer_visible_);
  const std::string& text = view_.viewer_text_;
  const std::size_t first_end = text.find("\r\n");
  EXPECT_EQ(first_end, kViewerLineLimit);
  EXPECT_EQ(text.find_first_not_of('5'), first_end);
  // 10,000,000 - 262,144 - 4,096 digits are not shown; the quotient's last 4,096 are.
  EXPECT_EQ(text.substr(first_end), "\r\n[... 9,733,760 more characters not shown]\r\n" +
                                        std::string(kViewerLineTail, '5') + rest);
  // Streamed in bounded pieces, all of the file (the lines after the quotient are shown).
  EXPECT_LE(platform_.largest_piece_, kViewerReadPiece);
  EXPECT_GE(platform_.pieces_read_, (quotient.size() + rest.size()) / kViewerReadPiece);
}

TEST_F(Viewer, ReadingStopsOnceTheTextIsFull) {
  std::string lines;
  while (lines.size() < 4 * kViewerTextLimit) lines += "19 divides this line.\r\n";
  Put("many.txt", lines);
  view_.selected_ = "many.txt";
  module_.File1_DblClick();
  const std::string& text = view_.viewer_text_;
  ASSERT_GT(text.size(), kViewerTextLimit);
  EXPECT_LT(text.size(), kViewerTextLimit + 100);
  EXPECT_EQ(text.compare(0, kViewerTextLimit, lines, 0, kViewerTextLimit), 0);
  EXPECT_NE(text.rfind("more characters not shown]\r\n"), std::string::npos);
  // Not a piece more than the text needed.
  EXPECT_EQ(platform_.pieces_read_, kViewerTextLimit / kViewerReadPiece + 1);
}

TEST_F(Viewer, ReadFailingHalfwayLeavesTheViewerAsItWas) {
  Put("a.txt", "first");
  Put("big.txt", std::string(3 * kViewerReadPiece, '9'));
  view_.selected_ = "a.txt";
  module_.File1_DblClick();
  platform_.read_fails_after_pieces_ = 2;
  view_.selected_ = "big.txt";
  module_.File1_DblClick();
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
