// WrapLayout: the rows of a UTF-8 TextLines wrapped at a fixed number of cells, as a box with a
// fixed-pitch font shows them (a character takes 0, 1 or 2 cells, see CellWidth; a byte takes at
// most one, so a row of `cols` bytes always fits). A line of kWordWrapLimit bytes or more (a long
// number) is cut every `cols` bytes (at least 4), moved back to the start of a character, so its
// rows are arithmetic and its text is read only at the cuts; a shorter line breaks after the
// blanks between words, as prose wraps (blanks at a row's end may hang past the edge), or at a
// character boundary inside a word wider than the box. Rows are counted per group of lines, so
// finding a row, or the row of a position, costs a search over the groups and a walk through one
// group. The groups are at most `max_groups` (kMaxGroups unless the constructor is told less):
// past that pairs merge and a group holds twice the lines, so the layout keeps at most
// (max_groups + 2) counts of 8 bytes whatever the line count. The lines can be laid out a part
// at a time (Begin, LayOutMore); until all are, only the rows of the lines laid out so far exist.
// Columns are byte offsets. Borrows the TextLines given to Reset or Begin, which must outlive its
// use here. No failure.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/logic/text_lines.h"

namespace dalvo {

class WrapLayout {
 public:
  // Lines at least this long are cut anywhere: laying them out at word boundaries would mean
  // reading them.
  static constexpr std::uint64_t kWordWrapLimit = 4096;
  // The most groups of lines counted, 2 MiB of counts.
  static constexpr std::size_t kMaxGroups = std::size_t{1} << 18;

  // `max_groups` (at least 2) bounds the layout's storage; see above.
  explicit WrapLayout(std::size_t max_groups = kMaxGroups);

  // Lays `lines` out at `cols` characters a row (0 counts as 1). Linear in the lines (and in
  // the characters of lines shorter than kWordWrapLimit and longer than a row).
  void Reset(const TextLines& lines, std::uint64_t cols);
  // As Reset, but lays nothing out yet: LayOutMore does, a part at a time.
  void Begin(const TextLines& lines, std::uint64_t cols);
  // Lays out about `max_lines` more lines (whole groups, at least one), or up to the text's
  // end; true when every line is laid out.
  bool LayOutMore(std::uint64_t max_lines);
  // Lines laid out so far (from the first); all of them when Done.
  std::uint64_t LaidLines() const { return laid_lines_; }
  bool Done() const { return lines_ == nullptr || laid_lines_ >= lines_->LineCount(); }
  // After a change of the text that changed `line` and nothing else (the line count is the
  // same). Linear in the groups after it.
  void LineChanged(std::uint64_t line);
  // After lines were added at the text's end, or anything from line `first_changed` on changed
  // (the previous last line may have grown): forgets the rows from that line's group on and
  // lays out again from there, about `max_lines` lines at most (see LayOutMore), the rows before
  // kept. True when every line is laid out. The result equals a Reset over the same text.
  bool LinesAppended(std::uint64_t first_changed, std::uint64_t max_lines = UINT64_MAX);
  // The bytes the layout's own counts take (reserved, not only used). For the tests only: they
  // check that merging groups keeps this bounded whatever the line count.
  std::size_t StorageBytes() const { return rows_before_.capacity() * sizeof(std::uint64_t); }

  // The cells of a row.
  std::uint64_t Cols() const { return cols_; }
  // The rows of the lines laid out so far; at least 1.
  std::uint64_t RowCount() const {
    return rows_before_.empty() ? 1 : std::max<std::uint64_t>(1, rows_before_.back());
  }

  // The row lookups below see only the lines laid out (positions past them give the last row).
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
  // The bytes of the row starting at `row_start`.
  std::uint64_t RowLength(TextPos row_start) const;
  // The cells of the row starting at `row_start` before column `col` of its line (clamped to
  // the row). Reads the row once; a row of ASCII costs a scan.
  std::uint64_t CellsBefore(TextPos row_start, std::uint64_t col) const;
  // The column of the character boundary of the row starting at `row_start` that is nearest to
  // cell `cell` (the right half of a wide character counts as after it; combining marks stay
  // with their character); the row's end when `cell` lies beyond it.
  std::uint64_t ColAtCell(TextPos row_start, std::uint64_t cell) const;
  // Whether the row starting at `row_start` is its line's last.
  bool EndsLine(TextPos row_start) const;

 private:
  // The lines of a group until pairs of groups merge.
  static constexpr std::uint64_t kGroupLines = 256;

  // Whether `line` of `length` characters is wrapped at word boundaries.
  bool WordWrapped(std::uint64_t length) const { return length > cols_ && length < kWordWrapLimit; }
  // Whether `line` of `length` bytes is cut arithmetically, and the bytes of its rows.
  bool CutLong(std::uint64_t length) const { return length > cols_ && length >= kWordWrapLimit; }
  std::uint64_t LongStride() const { return cols_ < 4 ? 4 : cols_; }
  // Where row `k` of a long `line` of `length` bytes begins.
  std::uint64_t LongRowStart(std::uint64_t line, std::uint64_t length, std::uint64_t k) const;
  // The bytes of the row starting at `row_start`, into row_scratch_.
  const std::string& RowBytes(TextPos row_start) const;
  std::uint64_t RowsOfLine(std::uint64_t line) const;
  // The columns where the rows of a word-wrapped `line` begin, first 0. The last line asked
  // for is kept, since painting and caret moves ask for one line again and again.
  const std::vector<std::uint64_t>& WordRowStarts(std::uint64_t line) const;
  // The row of `line` that shows column `col` (see RowOf).
  std::uint64_t RowInLine(std::uint64_t line, std::uint64_t col, bool at_row_end) const;
  std::uint64_t GroupRows(std::uint64_t group) const;
  // Forgets the groups from `groups` on.
  void Truncate(std::size_t groups);
  // Counts a group of `rows` rows after the last one, merging pairs when there are too many.
  void AddGroup(std::uint64_t rows);
  // The lines laid out, clamped to the text (it may have shrunk since).
  std::uint64_t LaidEnd() const;

  const TextLines* lines_ = nullptr;
  std::uint64_t cols_ = 1;
  std::size_t max_groups_;
  std::uint64_t group_lines_ = kGroupLines;
  std::uint64_t laid_lines_ = 0;
  // rows_before_[g]: the rows of all groups before group g; one more entry holds the total.
  std::vector<std::uint64_t> rows_before_;
  mutable std::uint64_t cached_line_ = UINT64_MAX;
  mutable std::vector<std::uint64_t> cached_starts_;
  mutable std::string scratch_;
  mutable std::string row_scratch_;
};

}  // namespace dalvo
