#include "frontend/logic/text_lines.h"

#include <gtest/gtest.h>

#include "frontend/logic/edit_buffer.h"

namespace dalvo {
namespace {

// A text that knows no bound of its size (the custom number's buffer) has its lines counted:
// the answer is right to the character, in either order of the two positions.
TEST(TextLines, WithoutABoundTheCountDecidesToTheCharacter) {
  EditBuffer counted;
  counted.Replace(0, 0, "ab\ncd\n\nef");
  const TextPos end = EndOf(counted);
  EXPECT_FALSE(MoreCharsThan(counted, {}, end, 9));
  EXPECT_TRUE(MoreCharsThan(counted, {}, end, 8));
  EXPECT_TRUE(MoreCharsThan(counted, end, {}, 8));
}

}  // namespace
}  // namespace dalvo
