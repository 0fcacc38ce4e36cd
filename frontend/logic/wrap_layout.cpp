#include "wrap_layout.h"

#include <algorithm>

namespace dalvo {

void WrapLayout::Reset(const TextLines& lines, std::uint64_t cols) {
  lines_ = &lines;
  cols_ = std::max<std::uint64_t>(cols, 1);
  cached_line_ = UINT64_MAX;
  const std::uint64_t groups = (lines.LineCount() + kGroupLines - 1) / kGroupLines;
  rows_before_.assign(groups + 1, 0);
  for (std::uint64_t g = 0; g < groups; ++g) rows_before_[g + 1] = rows_before_[g] + GroupRows(g);
}

const std::vector<std::uint64_t>& WrapLayout::WordRowStarts(std::uint64_t line) const {
  if (line == cached_line_) return cached_starts_;
  scratch_.clear();
  const std::uint64_t length = lines_->LineLength(line);
  lines_->AppendLine(line, 0, length, scratch_);
  const std::string& text = scratch_;
  cached_starts_.assign(1, 0);
  std::uint64_t start = 0;
  while (length - start > cols_) {
    const std::uint64_t edge = start + cols_;
    // The last word that ends within the row: the blanks after it hang, the next row begins
    // with the next word. Without one the row is cut at the edge.
    std::uint64_t next = edge;
    for (std::uint64_t at = edge; at > start; --at) {
      if (text[at] == ' ' && text[at - 1] != ' ') {
        next = at;
        while (next < length && text[next] == ' ') ++next;
        break;
      }
    }
    if (next >= length) break;
    cached_starts_.push_back(next);
    start = next;
  }
  cached_line_ = line;
  return cached_starts_;
}

std::uint64_t WrapLayout::RowsOfLine(std::uint64_t line) const {
  const std::uint64_t length = lines_->LineLength(line);
  if (length <= cols_) return 1;
  if (!WordWrapped(length)) return (length + cols_ - 1) / cols_;
  return WordRowStarts(line).size();
}

std::uint64_t WrapLayout::RowInLine(std::uint64_t line, std::uint64_t col, bool at_row_end) const {
  const std::uint64_t length = lines_->LineLength(line);
  col = std::min(col, length);
  if (WordWrapped(length)) {
    const std::vector<std::uint64_t>& starts = WordRowStarts(line);
    auto row = static_cast<std::uint64_t>(std::upper_bound(starts.begin(), starts.end(), col) -
                                          starts.begin()) - 1;
    if (at_row_end && row > 0 && col == starts[row]) --row;
    return row;
  }
  std::uint64_t row = col / cols_;
  if (at_row_end && row > 0 && col % cols_ == 0) --row;
  return std::min(row, RowsOfLine(line) - 1);
}

std::uint64_t WrapLayout::GroupRows(std::uint64_t group) const {
  const std::uint64_t first = group * kGroupLines;
  const std::uint64_t end = std::min(first + kGroupLines, lines_->LineCount());
  std::uint64_t rows = 0;
  for (std::uint64_t line = first; line < end; ++line) rows += RowsOfLine(line);
  return rows;
}

void WrapLayout::LineChanged(std::uint64_t line) {
  if (line == cached_line_) cached_line_ = UINT64_MAX;
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
    const std::uint64_t rows = RowsOfLine(line);
    if (left < rows) {
      const bool words = WordWrapped(lines_->LineLength(line));
      return {line, words ? WordRowStarts(line)[left] : left * cols_};
    }
    left -= rows;
  }
  return {count - 1, 0};  // not reached: the groups' counts cover every row
}

std::uint64_t WrapLayout::FirstRowOf(std::uint64_t line) const {
  if (lines_ == nullptr) return 0;
  line = std::min(line, lines_->LineCount() - 1);
  const std::uint64_t group = line / kGroupLines;
  std::uint64_t row = rows_before_[group];
  for (std::uint64_t l = group * kGroupLines; l < line; ++l) row += RowsOfLine(l);
  return row;
}

std::uint64_t WrapLayout::RowOf(TextPos pos, bool at_row_end) const {
  if (lines_ == nullptr) return 0;
  pos = Clamp(*lines_, pos);
  return FirstRowOf(pos.line) + RowInLine(pos.line, pos.col, at_row_end);
}

bool WrapLayout::NextRow(TextPos& row_start) const {
  if (lines_ == nullptr) return false;
  const std::uint64_t length = RowLength(row_start);
  if (!EndsLine(row_start)) {
    row_start.col += length;
    return true;
  }
  if (row_start.line + 1 >= lines_->LineCount()) return false;
  row_start = {row_start.line + 1, 0};
  return true;
}

std::uint64_t WrapLayout::RowLength(TextPos row_start) const {
  if (lines_ == nullptr) return 0;
  const std::uint64_t length = lines_->LineLength(row_start.line);
  if (row_start.col >= length) return 0;
  if (!WordWrapped(length)) return std::min(cols_, length - row_start.col);
  const std::vector<std::uint64_t>& starts = WordRowStarts(row_start.line);
  const auto next = std::upper_bound(starts.begin(), starts.end(), row_start.col);
  return (next == starts.end() ? length : *next) - row_start.col;
}

bool WrapLayout::EndsLine(TextPos row_start) const {
  if (lines_ == nullptr) return true;
  return row_start.col + RowLength(row_start) >= lines_->LineLength(row_start.line);
}

}  // namespace dalvo
