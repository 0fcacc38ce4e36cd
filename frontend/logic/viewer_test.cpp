#include <gtest/gtest.h>

#include "module1_test_support.h"

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
