// WrapLayout: the rows of a TextLines wrapped at a fixed number of columns, as a box with a
// fixed-pitch font shows them: a line of n characters takes max(1, ceil(n / cols)) rows, so
// wrapping is arithmetic and only the lengths of the lines are needed, never their text. Rows
// are counted per group of lines, so finding a row, or the row of a position, costs a search
// over the groups and a walk through one group. Borrows the TextLines given to Reset, which
// must outlive its use here. No failure.
#ifndef DALVO_FRONTEND_LOGIC_WRAP_LAYOUT_H_
#define DALVO_FRONTEND_LOGIC_WRAP_LAYOUT_H_

#include <cstdint>
#include <vector>

#include "text_lines.h"

namespace dalvo {

class WrapLayout {
 public:
  // Lays `lines` out at `cols` characters a row (0 counts as 1). Linear in the lines.
  void Reset(const TextLines& lines, std::uint64_t cols);
  // After a change of the text that changed the length of `line` and nothing else (the line
  // count is the same). Linear in the groups after it.
  void LineChanged(std::uint64_t line);

  std::uint64_t Cols() const { return cols_; }
  // At least 1 once Reset has run.
  std::uint64_t RowCount() const { return rows_before_.empty() ? 1 : rows_before_.back(); }

  // The rows a line of `length` characters takes at `cols` columns (> 0).
  static std::uint64_t RowsOf(std::uint64_t length, std::uint64_t cols) {
    return length == 0 ? 1 : (length + cols - 1) / cols;
  }

  // Where row `row` (clamped to the last) begins: its line and the column of its first
  // character.
  TextPos RowStart(std::uint64_t row) const;
  // The row that shows `pos` (clamped into the text). A position at a wrap point, which is both
  // the end of one row and the start of the next, belongs to the next unless `at_row_end`.
  std::uint64_t RowOf(TextPos pos, bool at_row_end = false) const;
  // The first row of `line` (< the line count).
  std::uint64_t FirstRowOf(std::uint64_t line) const;
  // The start of the row after the one starting at `row_start`; false after the last row.
  bool NextRow(TextPos& row_start) const;
  // The characters of the row starting at `row_start`.
  std::uint64_t RowLength(TextPos row_start) const;

 private:
  static constexpr std::uint64_t kGroupLines = 256;

  std::uint64_t GroupRows(std::uint64_t group) const;

  const TextLines* lines_ = nullptr;
  std::uint64_t cols_ = 1;
  // rows_before_[g]: the rows of all groups before group g; one more entry holds the total.
  std::vector<std::uint64_t> rows_before_;
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_WRAP_LAYOUT_H_
