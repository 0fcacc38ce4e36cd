#include "edit_buffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "edit_history.h"
#include "text_test_support.h"

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

TEST(EditHistory, TypingJoinsAndUndoRedoRestoreTextAndCaret) {
  EditBuffer buffer;
  EditHistory history;
  std::uint64_t caret = 0;
  for (char c : std::string("1919")) {
    caret = history.Apply(buffer, caret, caret, std::string(1, c), EditHistory::Kind::kTyping);
  }
  caret = history.Apply(buffer, 1, 3, "-pasted-", EditHistory::Kind::kOther);
  EXPECT_EQ(buffer.Text(), "1-pasted-9");
  EXPECT_EQ(caret, 9u);
  EXPECT_EQ(history.Undo(buffer), std::optional<std::uint64_t>(3));
  EXPECT_EQ(buffer.Text(), "1919");
  EXPECT_EQ(history.Undo(buffer), std::optional<std::uint64_t>(0));  // the four keystrokes at once
  EXPECT_EQ(buffer.Text(), "");
  EXPECT_FALSE(history.Undo(buffer).has_value());
  EXPECT_EQ(history.Redo(buffer), std::optional<std::uint64_t>(4));
  EXPECT_EQ(history.Redo(buffer), std::optional<std::uint64_t>(9));
  EXPECT_EQ(buffer.Text(), "1-pasted-9");
  EXPECT_FALSE(history.Redo(buffer).has_value());
  // A new edit after an undo forgets what could be redone.
  ASSERT_TRUE(history.Undo(buffer).has_value());
  history.Apply(buffer, 0, 0, "x", EditHistory::Kind::kTyping);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(buffer.Text(), "x1919");
}

// A change made in two steps (a drag moving text within the box: out, then in where it landed)
// is undone and redone as one.
TEST(EditHistory, AStepMadeWithThePreviousGoesWithIt) {
  EditBuffer buffer;
  EditHistory history;
  history.Apply(buffer, 0, 0, "111 222", EditHistory::Kind::kOther);
  history.Apply(buffer, 0, 3, "", EditHistory::Kind::kOther);
  history.Apply(buffer, 4, 4, "111", EditHistory::Kind::kWithPrevious);
  EXPECT_EQ(buffer.Text(), " 222111");
  EXPECT_EQ(history.Undo(buffer), std::optional<std::uint64_t>(3));
  EXPECT_EQ(buffer.Text(), "111 222");
  EXPECT_EQ(history.Redo(buffer), std::optional<std::uint64_t>(7));
  EXPECT_EQ(buffer.Text(), " 222111");
  ASSERT_TRUE(history.Undo(buffer).has_value());
  ASSERT_TRUE(history.Undo(buffer).has_value());
  EXPECT_EQ(buffer.Text(), "");
}

}  // namespace
}  // namespace dalvo
