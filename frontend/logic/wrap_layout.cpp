#include "wrap_layout.h"

#include <algorithm>

namespace dalvo {

void WrapLayout::Reset(const TextLines& lines, std::uint64_t cols) {
  lines_ = &lines;
  cols_ = std::max<std::uint64_t>(cols, 1);
  const std::uint64_t groups = (lines.LineCount() + kGroupLines - 1) / kGroupLines;
  rows_before_.assign(groups + 1, 0);
  for (std::uint64_t g = 0; g < groups; ++g) rows_before_[g + 1] = rows_before_[g] + GroupRows(g);
}

std::uint64_t WrapLayout::GroupRows(std::uint64_t group) const {
  const std::uint64_t first = group * kGroupLines;
  const std::uint64_t end = std::min(first + kGroupLines, lines_->LineCount());
  std::uint64_t rows = 0;
  for (std::uint64_t line = first; line < end; ++line) rows += RowsOf(lines_->LineLength(line), cols_);
  return rows;
}

void WrapLayout::LineChanged(std::uint64_t line) {
  const std::uint64_t group = line / kGroupLines;
  if (lines_ == nullptr || group + 1 >= rows_before_.size()) return;
  const std::uint64_t old_rows = rows_before_[group + 1] - rows_before_[group];
  const std::uint64_t new_rows = GroupRows(group);
  if (new_rows == old_rows) return;
  for (std::size_t g = static_cast<std::size_t>(group) + 1; g < rows_before_.size(); ++g) {
    rows_before_[g] = rows_before_[g] - old_rows + new_rows;
  }
}

TextPos WrapLayout::RowStart(std::uint64_t row) const {
  if (lines_ == nullptr) return {};
  row = std::min(row, RowCount() - 1);
  // The last group whose first row is at or before `row`.
  const auto after = std::upper_bound(rows_before_.begin(), rows_before_.end() - 1, row);
  const auto group = static_cast<std::uint64_t>(after - rows_before_.begin()) - 1;
  std::uint64_t left = row - rows_before_[group];
  const std::uint64_t count = lines_->LineCount();
  for (std::uint64_t line = group * kGroupLines; line < count; ++line) {
    const std::uint64_t rows = RowsOf(lines_->LineLength(line), cols_);
    if (left < rows) return {line, left * cols_};
    left -= rows;
  }
  return {count - 1, 0};  // not reached: the groups' counts cover every row
}

std::uint64_t WrapLayout::FirstRowOf(std::uint64_t line) const {
  if (lines_ == nullptr) return 0;
  line = std::min(line, lines_->LineCount() - 1);
  const std::uint64_t group = line / kGroupLines;
  std::uint64_t row = rows_before_[group];
  for (std::uint64_t l = group * kGroupLines; l < line; ++l) row += RowsOf(lines_->LineLength(l), cols_);
  return row;
}

std::uint64_t WrapLayout::RowOf(TextPos pos, bool at_row_end) const {
  if (lines_ == nullptr) return 0;
  pos = Clamp(*lines_, pos);
  const std::uint64_t length = lines_->LineLength(pos.line);
  std::uint64_t in_line = pos.col / cols_;
  if (at_row_end && in_line > 0 && pos.col % cols_ == 0) --in_line;
  in_line = std::min(in_line, RowsOf(length, cols_) - 1);
  return FirstRowOf(pos.line) + in_line;
}

bool WrapLayout::NextRow(TextPos& row_start) const {
  if (lines_ == nullptr) return false;
  if (row_start.col + cols_ < lines_->LineLength(row_start.line)) {
    row_start.col += cols_;
    return true;
  }
  if (row_start.line + 1 >= lines_->LineCount()) return false;
  row_start = {row_start.line + 1, 0};
  return true;
}

std::uint64_t WrapLayout::RowLength(TextPos row_start) const {
  if (lines_ == nullptr) return 0;
  const std::uint64_t length = lines_->LineLength(row_start.line);
  return row_start.col >= length ? 0 : std::min(cols_, length - row_start.col);
}

}  // namespace dalvo
