#include "frontend/logic/utf16_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "frontend/logic/edit_buffer.h"

namespace dalvo {
namespace {

// Offsets in UTF-16 units over lines of ASCII (mapped without reading) and lines of other
// characters (read), both ways: a character beyond U+FFFF is two units, a stray byte one, a
// line break one; an offset between the two units of a pair gives the character's start.
TEST(Utf16Index, CountsUnitsAcrossLinesAndMapsBack) {
  EditBuffer text;
  // line 0: "12"; line 1: e-acute, emoji, stray byte, "x"; line 2: empty; line 3: "789"
  text.Replace(0, 0, "12\n\u00e9\U0001F600\x80x\n\n789");
  // Every line a checkpoint, and one checkpoint for two or all four lines (the memory bound
  // of a file of many lines): the same offsets.
  for (const std::uint64_t checkpoints : {std::uint64_t{4}, std::uint64_t{2}, std::uint64_t{1}}) {
    SCOPED_TRACE(checkpoints);
    Utf16Index index;
    index.Reset(text, checkpoints);
    EXPECT_EQ(index.Total(), 13u);
    const struct {
      TextPos pos;
      std::uint64_t offset;
    } cases[] = {
        {{0, 0}, 0}, {{0, 2}, 2},  {{1, 0}, 3},  {{1, 2}, 4},  {{1, 6}, 6},
        {{1, 7}, 7}, {{1, 8}, 8},  {{2, 0}, 9},  {{3, 0}, 10}, {{3, 3}, 13},
    };
    for (const auto& c : cases) {
      EXPECT_EQ(index.OffsetOf(c.pos), c.offset) << c.pos.line << ":" << c.pos.col;
      EXPECT_EQ(index.PosOf(c.offset), c.pos) << c.offset;
    }
    EXPECT_EQ(index.PosOf(5), (TextPos{1, 2}));  // inside the emoji's pair
    EXPECT_EQ(index.PosOf(99), (TextPos{3, 3}));
  }
}

// The viewer adds lines while it indexes a file: extending the index from the first line that
// changed gives what counting the whole text gives, also when checkpoints merge on the way.
TEST(Utf16Index, ExtendedByLinesAddedCountsAsAWholeReset) {
  const std::string pieces[] = {"ab", "c\n\u00e9", "\U0001F600\n\n", "xyz\n",
                                "\u4e2d\n1\n2\n3", "\n\n\n45"};
  EditBuffer text;
  Utf16Index extended;
  extended.Reset(text, 3);
  for (const std::string& piece : pieces) {
    const std::uint64_t last = text.LineCount() - 1;
    text.Replace(text.Size(), text.Size(), piece);
    extended.Extend(text, last, 3);
    Utf16Index whole;
    whole.Reset(text, 3);
    SCOPED_TRACE(piece);
    ASSERT_EQ(extended.Total(), whole.Total());
    for (std::uint64_t offset = 0; offset <= whole.Total(); ++offset) {
      const TextPos pos = whole.PosOf(offset);
      ASSERT_EQ(extended.PosOf(offset), pos) << offset;
      ASSERT_EQ(extended.OffsetOf(pos), whole.OffsetOf(pos)) << offset;
    }
  }
}

}  // namespace
}  // namespace dalvo
