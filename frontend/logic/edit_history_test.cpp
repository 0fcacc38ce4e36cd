#include "frontend/logic/edit_history.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "frontend/logic/edit_buffer.h"

namespace dalvo {
namespace {

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
