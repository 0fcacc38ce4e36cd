#include "frontend/logic/viewer_sizes.h"

#include <gtest/gtest.h>

namespace dalvo {
namespace {

TEST(ViewerSizes, FileSizeLine) {
  EXPECT_EQ(FileSizeLine("ab.txt", 12), "ab.txt  -  12 bytes.");
  EXPECT_EQ(FileSizeLine("n14453d.txt", 0), "n14453d.txt  -  0 bytes.");
  EXPECT_EQ(FileSizeLine("big.txt", 10'000'000'000ULL), "big.txt  -  10000000000 bytes.");
}

TEST(ViewerSizes, TextBoxFollowsTheWindowAndNeverGoesNegative) {
  const struct {
    Size outer;
    Size box;
  } cases[] = {
      {{6810, 5825}, {6450, 5025}},
      {{361, 801}, {1, 1}},
      {{360, 800}, {0, 0}},
      {{100, 5000}, {0, 4200}},
      {{0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    const Size box = ViewerTextBoxSize(c.outer);
    EXPECT_EQ(box.width, c.box.width) << c.outer.width << "x" << c.outer.height;
    EXPECT_EQ(box.height, c.box.height) << c.outer.width << "x" << c.outer.height;
  }
}

}  // namespace
}  // namespace dalvo
