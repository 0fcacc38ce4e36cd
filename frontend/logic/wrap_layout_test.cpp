#include "frontend/logic/wrap_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/logic/caret_moves.h"
#include "frontend/logic/edit_buffer.h"

namespace dalvo {
namespace {

// The rows of `line` as the box shows them; on the way every row of the text is found again
// from its number, and its end belongs to it.
std::vector<std::string> ShownRows(const TextLines& text, const WrapLayout& layout,
                                   std::uint64_t line) {
  std::vector<std::string> rows;
  TextPos row = layout.RowStart(0);
  do {
    std::string shown;
    text.AppendLine(row.line, row.col, row.col + layout.RowLength(row), shown);
    if (row.line == line) rows.push_back(shown);
    const std::uint64_t number = layout.RowOf(row);
    EXPECT_EQ(layout.RowStart(number), row);
    EXPECT_EQ(layout.RowOf({row.line, row.col + layout.RowLength(row)}, true), number);
  } while (layout.NextRow(row));
  return rows;
}

EditBuffer TextOf(const std::vector<std::uint64_t>& lengths) {
  std::string text;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    if (i > 0) text += '\n';
    text.append(lengths[i], '9');
  }
  EditBuffer buffer;
  buffer.Replace(0, 0, text);
  return buffer;
}

// The rows the plain way: each line cut into pieces of `cols`, an empty line one row. A long
// line's pieces are at least 4 bytes, room for any UTF-8 character.
std::vector<TextPos> RowStarts(const std::vector<std::uint64_t>& lengths, std::uint64_t cols) {
  std::vector<TextPos> rows;
  for (std::uint64_t line = 0; line < lengths.size(); ++line) {
    const bool long_line = lengths[line] >= WrapLayout::kWordWrapLimit;
    std::uint64_t col = 0;
    do {
      rows.push_back({line, col});
      col += long_line ? std::max<std::uint64_t>(cols, 4) : cols;
    } while (col < lengths[line]);
  }
  return rows;
}

void ExpectLayout(const EditBuffer& text, const std::vector<std::uint64_t>& lengths,
                  const WrapLayout& layout, std::uint64_t cols) {
  const std::vector<TextPos> rows = RowStarts(lengths, cols);
  ASSERT_EQ(layout.RowCount(), rows.size()) << cols << " columns";
  TextPos walked = layout.RowStart(0);
  for (std::uint64_t row = 0; row < rows.size(); ++row) {
    ASSERT_EQ(layout.RowStart(row), rows[row]) << "row " << row << " at " << cols << " columns";
    ASSERT_EQ(walked, rows[row]) << "NextRow to row " << row;
    const bool more = layout.NextRow(walked);
    ASSERT_EQ(more, row + 1 < rows.size());
    // Each position of the row is in it; a wrap point is the end of one row (as a row end) and
    // the start of the next.
    const std::uint64_t length = layout.RowLength(rows[row]);
    for (std::uint64_t x = 0; x <= length; ++x) {
      const TextPos pos{rows[row].line, rows[row].col + x};
      const bool wrap_point = x == length && pos.col < text.LineLength(pos.line);
      const bool continues = x == 0 && pos.col > 0;
      ASSERT_EQ(layout.RowOf(pos, true), continues ? row - 1 : row) << pos.line << ":" << pos.col;
      ASSERT_EQ(layout.RowOf(pos, false), wrap_point ? row + 1 : row) << pos.line << ":" << pos.col;
    }
  }
  EXPECT_EQ(layout.RowStart(rows.size() + 5), rows.back());  // clamped to the last row
}

TEST(WrapLayout, RowsAreTheLinesCutAtTheColumnCount) {
  const std::vector<std::vector<std::uint64_t>> texts = {
      {0}, {1}, {5}, {6}, {7}, {0, 0, 0}, {12, 0, 5, 18, 1}, {37102},
  };
  for (const auto& lengths : texts) {
    const EditBuffer text = TextOf(lengths);
    for (std::uint64_t cols : {1u, 5u, 6u, 54u}) {
      WrapLayout layout;
      layout.Reset(text, cols);
      ExpectLayout(text, lengths, layout, cols);
    }
  }
}

// More lines than one group holds, and a line changing length in the middle, which must give
// the same rows as laying the whole text out again.
TEST(WrapLayout, ManyGroupsAndALineChangedInPlace) {
  std::vector<std::uint64_t> lengths;
  for (std::uint64_t i = 0; i < 1000; ++i) lengths.push_back(i * 7 % 23);
  EditBuffer text = TextOf(lengths);
  WrapLayout layout;
  layout.Reset(text, 5);
  ExpectLayout(text, lengths, layout, 5);
  for (std::uint64_t line : {0u, 300u, 999u}) {
    text.Replace(text.OffsetOf({line, 0}), text.OffsetOf({line, 0}), std::string(41, '1'));
    lengths[line] += 41;
    layout.LineChanged(line);
    ExpectLayout(text, lengths, layout, 5);
    EXPECT_EQ(layout.FirstRowOf(line), layout.RowOf({line, 0}));
  }
}

// Two layouts of the same text give the same rows: the first row of every `stride`-th line, and
// the start of 400 rows spread over all.
void ExpectSameRows(const TextLines& text, const WrapLayout& layout, const WrapLayout& reference,
                    std::uint64_t stride) {
  ASSERT_TRUE(layout.Done());
  ASSERT_EQ(layout.RowCount(), reference.RowCount());
  for (std::uint64_t line = 0; line < text.LineCount(); line += stride) {
    ASSERT_EQ(layout.FirstRowOf(line), reference.FirstRowOf(line)) << "line " << line;
  }
  for (std::uint64_t row = 0; row < reference.RowCount(); row += reference.RowCount() / 400 + 1) {
    ASSERT_EQ(layout.RowStart(row), reference.RowStart(row)) << "row " << row;
  }
  const TextPos end = EndOf(text);
  EXPECT_EQ(layout.RowOf(end), reference.RowOf(end));
}

// Text added at the end a piece at a time, as the viewer indexes a file: the last line growing
// each time (prose turning into a line past the word-wrap limit, digits growing past it), and
// now and then many prose lines. Laid out from the previous last line on, a hundred lines a step
// and with few groups (so they merge), the rows are those of the whole text laid out at once.
TEST(WrapLayout, LinesAppendedGiveTheRowsOfTheWholeText) {
  const std::vector<std::string> prose = {"lorem ipsum dolor sit amet, consectetur", "",
                                          "caf\xc3\xa9 au lait  et   plus", "a b"};
  for (std::uint64_t cols : {1u, 5u, 13u, 80u}) {
    EditBuffer text;
    WrapLayout layout(2);
    layout.Reset(text, cols);
    for (std::uint64_t step = 0; step < 24; ++step) {
      const std::uint64_t first_changed = text.LineCount() - 1;
      std::string added(1500, static_cast<char>('0' + step % 10));
      if (step % 4 == 3) {
        for (std::size_t k = 0; k < 150; ++k) added += "\n" + prose[k % prose.size()];
      }
      text.Replace(text.Size(), text.Size(), added);
      bool done = layout.LinesAppended(first_changed, 100);
      while (!done) done = layout.LayOutMore(100);
      WrapLayout reference;
      reference.Reset(text, cols);
      ASSERT_NO_FATAL_FAILURE(ExpectSameRows(text, layout, reference, 3))
          << cols << " columns, step " << step;
    }
  }
}

// Past the bound on groups pairs merge: the layout's storage stays within it, and its rows are
// those of a layout that never merged.
TEST(WrapLayout, GroupsStayBoundedWhateverTheLineCount) {
  std::vector<std::uint64_t> lengths;
  for (std::uint64_t i = 0; i < 200000; ++i) lengths.push_back(i % 9);
  const EditBuffer text = TextOf(lengths);
  constexpr std::size_t kGroups = 16;
  WrapLayout layout(kGroups);
  layout.Reset(text, 4);
  EXPECT_LE(layout.StorageBytes(), (kGroups + 2) * sizeof(std::uint64_t));
  WrapLayout reference;
  reference.Reset(text, 4);
  EXPECT_GT(reference.StorageBytes(), 10 * layout.StorageBytes());  // it did not merge
  ASSERT_NO_FATAL_FAILURE(ExpectSameRows(text, layout, reference, 4999));
}

// Lines shorter than the word-wrap limit break after the blanks between words; the blanks hang
// at the end of their row. A word wider than the box, and every longer line, is cut anywhere.
TEST(WrapLayout, ProseWrapsAtWordsAndLongLinesAnywhere) {
  const std::string long_line(WrapLayout::kWordWrapLimit, 'x');
  std::string long_prose;
  while (long_prose.size() < WrapLayout::kWordWrapLimit) long_prose += "ab cd ";
  const struct {
    std::string line;
    std::uint64_t cols;
    std::vector<std::string> rows;
  } cases[] = {
      {"aaa bbb", 5, {"aaa ", "bbb"}},
      {"aaaaa bbb", 5, {"aaaaa ", "bbb"}},         // the word fills the row, its blank hangs
      {"aa   bbbb c", 5, {"aa   ", "bbbb ", "c"}},  // blanks hang however many
      {"aaaaaaaaaaa bb", 5, {"aaaaa", "aaaaa", "a bb"}},
      {"  ab cd", 4, {"  ab ", "cd"}},
      {"a b c d e", 9, {"a b c d e"}},
      {long_line, 1000, {long_line.substr(0, 1000), long_line.substr(1000, 1000),
                         long_line.substr(2000, 1000), long_line.substr(3000, 1000),
                         long_line.substr(4000)}},
  };
  for (const auto& c : cases) {
    EditBuffer text;
    text.Replace(0, 0, c.line + "\n" + c.line);
    WrapLayout layout;
    layout.Reset(text, c.cols);
    EXPECT_EQ(ShownRows(text, layout, 0), c.rows) << c.line.substr(0, 20) << " at " << c.cols;
    EXPECT_EQ(layout.RowCount(), 2 * c.rows.size());
  }
  // The last short line still wraps at words, the first long one is cut anywhere.
  EditBuffer prose;
  prose.Replace(0, 0, long_prose.substr(0, WrapLayout::kWordWrapLimit - 1));
  WrapLayout layout;
  layout.Reset(prose, 10);
  EXPECT_EQ(layout.RowLength(layout.RowStart(0)), 9u);  // "ab cd ab "
  prose.Replace(0, 0, "x");
  layout.LineChanged(0);
  EXPECT_EQ(layout.RowLength(layout.RowStart(0)), 10u);
}

// UTF-8 text: a wide character takes two cells and a combining mark none, so rows hold fewer
// bytes, but a row never ends inside a character; a long line's cut moves back to a character's
// start. A last row that exactly fills the width, with or without a blank, in either wrapping
// mode, is one row: the end of the text is in it, and End there stays at the text's end.
TEST(WrapLayout, CharactersTakeTheirCellsAndAFullLastRowIsTheLast) {
  const std::string wide = "\u4e2d";       // 3 bytes, 2 cells
  const std::string marked = "e\u0301";    // 3 bytes, 1 cell
  const std::string emoji = "\U0001F600";  // 4 bytes, 2 cells
  const std::string long_fill(2 * WrapLayout::kWordWrapLimit, '7');
  std::string long_blank = long_fill;
  long_blank[WrapLayout::kWordWrapLimit - 1] = ' ';
  const std::string long_cut = std::string(3999, 'x') + "\u20ac" + std::string(200, 'x');
  const struct {
    std::string line;
    std::uint64_t cols;
    std::vector<std::string> rows;
  } cases[] = {
      {"ab" + wide + "d", 4, {"ab" + wide, "d"}},
      {"abc" + wide, 4, {"abc", wide}},  // a wide character does not fit one cell
      {marked + marked + marked + marked + marked, 4,
       {marked + marked + marked + marked, marked}},
      {emoji + emoji + "a " + emoji, 4, {emoji + emoji, "a " + emoji}},
      {emoji + emoji + "ab " + emoji, 4, {emoji + emoji, "ab ", emoji}},
      {wide, 1, {wide}},  // wider than the box: a row of its own
      {"abcdefgh", 4, {"abcd", "efgh"}},
      {"abc defg", 4, {"abc ", "defg"}},
      {"ab " + wide + wide, 4, {"ab ", wide + wide}},
      {long_fill, WrapLayout::kWordWrapLimit,
       {long_fill.substr(0, WrapLayout::kWordWrapLimit), long_fill.substr(WrapLayout::kWordWrapLimit)}},
      {long_blank, WrapLayout::kWordWrapLimit,
       {long_blank.substr(0, WrapLayout::kWordWrapLimit), long_blank.substr(WrapLayout::kWordWrapLimit)}},
      {long_cut, 1000,
       {long_cut.substr(0, 1000), long_cut.substr(1000, 1000), long_cut.substr(2000, 1000),
        long_cut.substr(3000, 999), long_cut.substr(3999)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.line.substr(0, 16) << " at " << c.cols);
    EditBuffer text;
    text.Replace(0, 0, c.line);
    WrapLayout layout;
    layout.Reset(text, c.cols);
    EXPECT_EQ(ShownRows(text, layout, 0), c.rows);
    ASSERT_EQ(layout.RowCount(), c.rows.size());
    const std::uint64_t last = layout.RowCount() - 1;
    EXPECT_EQ(layout.RowOf(EndOf(text)), last);
    EXPECT_EQ(layout.RowOf(EndOf(text), true), last);
    const Caret end = MoveCaret(text, layout, {{0, 0}, false, {}}, CaretMove::kTextEnd, 1);
    const Caret row_end = MoveCaret(text, layout, end, CaretMove::kRowEnd, 1);
    EXPECT_EQ(row_end.pos, EndOf(text));
    EXPECT_EQ(layout.RowOf(row_end.pos, row_end.at_row_end), last);
  }
}

}  // namespace
}  // namespace dalvo
