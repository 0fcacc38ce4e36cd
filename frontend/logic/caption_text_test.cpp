#include "frontend/logic/caption_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dalvo {
namespace {

TEST(CaptionText, UnscramblesToTwentyFivePrintableCharacters) {
  const std::string text = CaptionText();
  ASSERT_EQ(text, "Divisible by nineteen: 19");
  ASSERT_EQ(text.size(), 25u);
  for (char c : text) {
    EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "character code " << static_cast<int>(c);
  }
  // Not blank padding: the text says something.
  EXPECT_NE(text.find_first_not_of(' '), std::string::npos);
}

TEST(CaptionText, StoredFormHoldsNoneOfThePlainText) {
  const std::string text = CaptionText();
  const auto& stored = ScrambledCaptionText();
  ASSERT_NE(CaptionKey() & 0xff, 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    EXPECT_NE(static_cast<char>(stored[i]), text[i]) << "position " << i;
  }
}

}  // namespace
}  // namespace dalvo
