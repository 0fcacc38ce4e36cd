#include <gtest/gtest.h>

#include "frontend/testing/module1_test_support.h"

namespace dalvo {
namespace {

using ButtonStates = Module1Test;

TEST_F(ButtonStates, IdleButtonStatesFollowWhatEachButtonCouldActOn) {
  const struct {
    const char* what;
    const char* custom_text;
    const char* selected;
    const char* file_on_disk;
    const char* buttons;  // Command1..Command7
  } cases[] = {
      {"nothing", "", "", nullptr, "1001011"},
      {"custom text only", "42", "", nullptr, "1001111"},
      {"a listed file, none selected", "", "", "a.txt", "1011011"},
      {"the selected file present", "", "a.txt", "a.txt", "1111011"},
      {"selected name in other case", "", "A.TXT", "a.txt", "1111011"},
      {"selected file deleted meanwhile", "", "gone.txt", "a.txt", "1011011"},
      {"only a non-listed file", "", "", "report.tmp", "1001011"},
      {"everything", "7", "a.txt", "a.txt", "1111111"},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    if (c.file_on_disk != nullptr) rig.Put(c.file_on_disk);
    rig.view_.custom_text_ = c.custom_text;
    rig.view_.selected_ = c.selected;
    rig.module_.SetButtonStates(1);
    EXPECT_EQ(rig.view_.Buttons(), c.buttons) << c.what;
  }
}

TEST_F(ButtonStates, ModeZeroDisablesAllAndOtherModesChangeNothing) {
  Load();
  view_.custom_text_ = std::string("1");  // not = "1": a false -Wrestrict in g++ 12 at -O3
  module_.SetButtonStates(1);
  ASSERT_EQ(view_.Buttons(), "1001111");
  module_.SetButtonStates(0);
  EXPECT_EQ(view_.Buttons(), "0000000");
  for (int mode : {2, -1, 7}) {
    module_.SetButtonStates(mode);
    EXPECT_EQ(view_.Buttons(), "0000000") << "mode " << mode;
  }
}

}  // namespace
}  // namespace dalvo
