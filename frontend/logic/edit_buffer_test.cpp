#include "frontend/logic/edit_buffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "frontend/testing/text_test_support.h"

namespace dalvo {
namespace {

// Random edits at random places, each checked against the same edit of a plain string: the
// text, its lines and the offset <-> position mapping.
TEST(EditBuffer, RandomEditsMatchAPlainString) {
  std::mt19937 random(19);
  EditBuffer buffer;
  std::string expected;
  for (int step = 0; step < 3000; ++step) {
    const auto pick = [&](std::size_t n) {
      return std::uniform_int_distribution<std::size_t>(0, n)(random);
    };
    std::size_t from = pick(expected.size());
    std::size_t to = std::min(expected.size(), from + pick(step % 7 == 0 ? 40 : 3));
    std::string text;
    for (std::size_t i = pick(step % 11 == 0 ? 300 : 4); i > 0; --i) text += "19\n7"[pick(3)];
    if (step % 2 == 1) std::swap(from, to);  // either order
    buffer.Replace(from, to, text);
    expected.replace(std::min(from, to), to > from ? to - from : from - to, text);
    ASSERT_EQ(buffer.Text(), expected) << "step " << step;
  }
  std::size_t line = 0;
  std::size_t line_start = 0;
  for (std::size_t offset = 0; offset <= expected.size(); ++offset) {
    const TextPos pos = buffer.PosOf(offset);
    ASSERT_EQ(pos, (TextPos{line, offset - line_start})) << offset;
    ASSERT_EQ(buffer.OffsetOf(pos), offset);
    if (offset < expected.size() && expected[offset] == '\n') {
      ASSERT_EQ(buffer.LineLength(line), offset - line_start);
      ++line;
      line_start = offset + 1;
    }
  }
  EXPECT_EQ(buffer.LineCount(), line + 1);
  EXPECT_EQ(WholeText(buffer, "\n"), expected);
}

TEST(EditBuffer, PastedLineBreaksBecomeLineFeeds) {
  const struct {
    const char* pasted;
    const char* taken;
  } cases[] = {
      {"", ""},
      {"12\r\n34", "12\n34"},
      {"12\r34\r", "12\n34\n"},
      {"\r\r\n\n", "\n\n\n"},
      {"1 9\t\n", "1 9\t\n"},
  };
  for (const auto& c : cases) {
    std::string text = c.pasted;
    NormalizeLineBreaks(text);
    EXPECT_EQ(text, c.taken) << ::testing::PrintToString(std::string(c.pasted));
  }
}

}  // namespace
}  // namespace dalvo
