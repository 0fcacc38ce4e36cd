#include "frontend/logic/caret_moves.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "frontend/logic/edit_buffer.h"

namespace dalvo {
namespace {

// Lines of 12, 3 and 10 characters at 5 columns:
//   row 0  line 0  0..5      row 3  line 1  0..3
//   row 1  line 0  5..10     row 4  line 2  0..5
//   row 2  line 0 10..12     row 5  line 2  5..10
TEST(CaretMoves, MovesAsInAnyTextBox) {
  EditBuffer text;
  text.Replace(0, 0, "012345678901\nabc\n0123456789");
  WrapLayout layout;
  layout.Reset(text, 5);
  const struct {
    const char* name;
    TextPos from;
    bool from_row_end;
    CaretMove move;
    TextPos to;
    bool at_row_end;
  } cases[] = {
      {"left within a line", {0, 3}, false, CaretMove::kLeft, {0, 2}, false},
      {"left over a line break", {1, 0}, false, CaretMove::kLeft, {0, 12}, false},
      {"left at the start", {0, 0}, false, CaretMove::kLeft, {0, 0}, false},
      {"right over a line break", {0, 12}, false, CaretMove::kRight, {1, 0}, false},
      {"right at the end", {2, 10}, false, CaretMove::kRight, {2, 10}, false},
      {"down keeps the column", {0, 2}, false, CaretMove::kDown, {0, 7}, false},
      {"down onto a shorter row", {0, 9}, false, CaretMove::kDown, {0, 12}, false},
      {"down into a longer row", {1, 3}, false, CaretMove::kDown, {2, 3}, false},
      {"down from a row end to a full row's end", {0, 5}, true, CaretMove::kDown, {0, 10}, true},
      {"up from a row end stays at a row end", {0, 10}, true, CaretMove::kUp, {0, 5}, true},
      {"up in the first row", {0, 3}, false, CaretMove::kUp, {0, 3}, false},
      {"down in the last row", {2, 7}, false, CaretMove::kDown, {2, 7}, false},
      {"page down", {0, 1}, false, CaretMove::kPageDown, {1, 1}, false},
      {"page down past the end", {2, 2}, false, CaretMove::kPageDown, {2, 7}, false},
      {"page down in the last row", {2, 6}, false, CaretMove::kPageDown, {2, 10}, false},
      {"page up", {2, 6}, false, CaretMove::kPageUp, {0, 11}, false},
      {"page up in the first row", {0, 4}, false, CaretMove::kPageUp, {0, 0}, false},
      {"row start", {0, 8}, false, CaretMove::kRowStart, {0, 5}, false},
      {"row end of a full row", {0, 6}, false, CaretMove::kRowEnd, {0, 10}, true},
      {"row end of a line's last row", {0, 11}, false, CaretMove::kRowEnd, {0, 12}, false},
      {"text start", {2, 6}, false, CaretMove::kTextStart, {0, 0}, false},
      {"text end", {0, 6}, false, CaretMove::kTextEnd, {2, 10}, false},
  };
  for (const auto& c : cases) {
    Caret from;
    from.pos = c.from;
    from.at_row_end = c.from_row_end;
    const Caret moved = MoveCaret(text, layout, from, c.move, 3);
    EXPECT_EQ(moved.pos, c.to) << c.name << ": " << moved.pos.line << ":" << moved.pos.col;
    EXPECT_EQ(moved.at_row_end, c.at_row_end) << c.name;
    EXPECT_EQ(layout.RowOf(moved.pos, moved.at_row_end),
              layout.RowOf(c.to, c.at_row_end)) << c.name;
  }
}

// Moving down through a short row and on keeps aiming at the column the moves started from.
TEST(CaretMoves, UpAndDownKeepTheirGoalColumnAcrossShortRows) {
  EditBuffer text;
  text.Replace(0, 0, "0123456789\n0\n0123456789");
  WrapLayout layout;
  layout.Reset(text, 10);
  Caret caret;
  caret.pos = {0, 8};
  caret = MoveCaret(text, layout, caret, CaretMove::kDown, 1);
  EXPECT_EQ(caret.pos, (TextPos{1, 1}));
  caret = MoveCaret(text, layout, caret, CaretMove::kDown, 1);
  EXPECT_EQ(caret.pos, (TextPos{2, 8}));
  caret = MoveCaret(text, layout, caret, CaretMove::kLeft, 1);
  caret = MoveCaret(text, layout, caret, CaretMove::kUp, 1);
  EXPECT_EQ(caret.pos, (TextPos{1, 1}));  // a sideways move sets a new goal: column 7
  caret = MoveCaret(text, layout, caret, CaretMove::kUp, 1);
  EXPECT_EQ(caret.pos, (TextPos{0, 7}));
}

TEST(CaretMoves, ADoubleClickSelectsTheRunOfLettersAndDigitsAround) {
  EditBuffer text;
  text.Replace(0, 0, "760.6842 IS\n\n" + std::string(200'000, '3') + ".0000");
  const struct {
    TextPos at;
    TextPos from;
    TextPos to;
  } cases[] = {
      {{0, 0}, {0, 0}, {0, 3}},
      {{0, 2}, {0, 0}, {0, 3}},
      {{0, 3}, {0, 3}, {0, 4}},  // the point alone
      {{0, 4}, {0, 4}, {0, 8}},
      {{0, 8}, {0, 8}, {0, 9}},  // the blank alone
      {{0, 11}, {0, 9}, {0, 11}},  // at the line's end: the word before
      {{1, 0}, {1, 0}, {1, 0}},    // an empty line: nothing
      {{2, 150'000}, {2, 0}, {2, 200'000}},  // a run longer than the pieces it is read in
  };
  for (const auto& c : cases) {
    const auto [from, to] = WordAt(text, c.at);
    EXPECT_EQ(from, c.from) << c.at.line << ":" << c.at.col;
    EXPECT_EQ(to, c.to) << c.at.line << ":" << c.at.col;
  }
}

// Left and Right step over whole UTF-8 characters (with the combining marks after them), a byte
// that is not UTF-8 counting as one; a click on a wide character's right half puts the caret
// after it, and never between a mark and its letter.
TEST(CaretMoves, StepsOverWholeCharactersAndStrayBytes) {
  EditBuffer text;
  // a, e-acute, CJK, emoji, a stray continuation, a lead without its continuation, b, e + mark
  text.Replace(0, 0, "a\u00e9\u4e2d\U0001F600\x80\xe4" "be\u0301");
  WrapLayout layout;
  layout.Reset(text, 80);
  const std::vector<std::uint64_t> stops = {0, 1, 3, 6, 10, 11, 12, 13, 16};
  Caret caret;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    caret = MoveCaret(text, layout, caret, CaretMove::kRight, 1);
    EXPECT_EQ(caret.pos.col, stops[i]) << "right " << i;
  }
  for (std::size_t i = stops.size() - 1; i-- > 0;) {
    caret = MoveCaret(text, layout, caret, CaretMove::kLeft, 1);
    EXPECT_EQ(caret.pos.col, stops[i]) << "left " << i;
  }
  // Cells: a 0, e-acute 1, CJK 2-3, emoji 4-5, stray 6, lead 7, b 8, e + mark 9.
  const struct {
    std::uint64_t cell;
    std::uint64_t col;
  } clicks[] = {{2, 3}, {3, 6}, {4, 6}, {5, 10}, {9, 13}, {10, 16}, {40, 16}};
  for (const auto& click : clicks) {
    EXPECT_EQ(CaretAtRow(layout, 0, click.cell).pos.col, click.col) << "cell " << click.cell;
  }
}

}  // namespace
}  // namespace dalvo
