#include <gtest/gtest.h>

#include "frontend/testing/module1_test_support.h"

namespace dalvo {
namespace {

class Commands : public Module1Test {
 protected:
  void SetUp() override {
    Load();
    view_.on_custom_text_change_ = [this] { module_.Text1_Change(); };
  }
};

TEST_F(Commands, DeleteRemovesEveryListedFileAndKeepsTheWorkingFiles) {
  Put("appendix_1_number_1.txt");
  Put("n14453d.txt");
  Put("NOTES.TXT");
  Put("latest_division_report.tmp");
  Put("custom_number.tmp");
  Put("dalvoopc.tmp");
  const int refreshes = view_.refreshes_;
  module_.Command3_Click();
  EXPECT_EQ(platform_.FilesIn(kWork),
            (std::vector<std::string>{"custom_number.tmp", "dalvoopc.tmp",
                                      "latest_division_report.tmp"}));
  EXPECT_EQ(view_.Status(), "All listed files deleted!");
  EXPECT_EQ(view_.refreshes_, refreshes + 1);
  EXPECT_EQ(view_.Buttons(), "1001011");
}

TEST_F(Commands, DeleteWithNothingListedStillReports) {
  module_.Command3_Click();
  EXPECT_TRUE(platform_.deleted_.empty());
  EXPECT_EQ(view_.Status(), "All listed files deleted!");
  EXPECT_EQ(view_.Buttons(), "1001011");
}

TEST_F(Commands, DeleteThatLeavesAListedFileSaysSoAndListsWhatRemains) {
  const struct {
    const char* what;
    bool listing_fails;
    std::vector<std::string> left;
  } cases[] = {
      {"a file that cannot be deleted", false, {"b.txt"}},
      {"a directory that cannot be listed", true, {"a.txt", "b.txt", "c.txt"}},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load()) << c.what;
    const std::string work(kWork);
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) rig.Put(name);
    rig.platform_.undeletable_.insert(work + "b.txt");
    if (c.listing_fails) rig.platform_.FailNext(FakePlatform::Op::kFirstMatch, "*.txt");
    rig.module_.Command3_Click();
    EXPECT_EQ(rig.platform_.FilesIn(work), c.left) << c.what;
    EXPECT_EQ(rig.view_.Status(), "Some listed files could not be deleted!") << c.what;
    EXPECT_EQ(rig.view_.beeps_, 1) << c.what;
    EXPECT_EQ(rig.view_.listed_, c.left) << c.what;
    EXPECT_EQ(rig.view_.Buttons(), "1011011") << c.what;
  }
}

TEST_F(Commands, ClearingTheCustomNumberDisablesItsButtonAndFocusesTheBox) {
  view_.SetCustomNumberText("19");
  EXPECT_EQ(view_.Buttons(), "1001111");
  const int focus = view_.focus_count_;
  module_.Command6_Click();
  EXPECT_EQ(view_.custom_text_, "");
  EXPECT_EQ(view_.Buttons(), "1001011");
  EXPECT_EQ(view_.focus_count_, focus + 1);
}

TEST_F(Commands, VanishedSelectedFileBeepsAndStartsNothing) {
  for (bool divide : {true, false}) {
    view_.selected_ = "appendix_1_number_1.txt";  // listed once, deleted meanwhile
    const int beeps = view_.beeps_;
    const int refreshes = view_.refreshes_;
    if (divide) {
      module_.Command2_Click();
    } else {
      module_.File1_Click();
    }
    EXPECT_EQ(view_.Status(), "File does not exist! You must regenerate the numbers!") << divide;
    EXPECT_EQ(view_.beeps_, beeps + 1) << divide;
    EXPECT_EQ(view_.refreshes_, refreshes + 1) << divide;
    EXPECT_TRUE(platform_.started_.empty()) << divide;
    EXPECT_EQ(view_.Buttons(), "1001011") << divide;
  }
}

TEST_F(Commands, ClickingAFileShowsItsSize) {
  Put("n14453d.txt", "123456789012");
  view_.selected_ = "n14453d.txt";
  module_.File1_Click();
  EXPECT_EQ(view_.Status(), "n14453d.txt  -  12 bytes.");
  EXPECT_EQ(view_.beeps_, 0);
  EXPECT_EQ(view_.Buttons(), "1111011");
}

TEST_F(Commands, DividingAFileStartsTheEngineWithItsBareName) {
  Put("appendix_24_proof_63.txt", "1");
  view_.selected_ = "appendix_24_proof_63.txt";
  module_.Command2_Click();
  ASSERT_EQ(platform_.started_.size(), 1u);
  EXPECT_EQ(platform_.started_[0].args[3], "appendix_24_proof_63.txt");
  EXPECT_EQ(view_.Status(), "Dividing numberfile: appendix_24_proof_63.txt");
}

}  // namespace
}  // namespace dalvo
