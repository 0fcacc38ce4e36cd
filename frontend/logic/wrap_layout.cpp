#include "frontend/logic/wrap_layout.h"

#include <algorithm>
#include <cstdint>

#include "frontend/logic/utf8_text.h"

namespace dalvo {

WrapLayout::WrapLayout(std::size_t max_groups)
    : max_groups_(std::max<std::size_t>(max_groups, 2)) {}

void WrapLayout::Reset(const TextLines& lines, std::uint64_t cols) {
  Begin(lines, cols);
  LayOutMore(UINT64_MAX);
}

void WrapLayout::Begin(const TextLines& lines, std::uint64_t cols) {
  lines_ = &lines;
  cols_ = std::max<std::uint64_t>(cols, 1);
  cached_line_ = UINT64_MAX;
  group_lines_ = kGroupLines;
  laid_lines_ = 0;
  rows_before_.assign(1, 0);  // the storage stays: it is bounded
}

bool WrapLayout::LayOutMore(std::uint64_t max_lines) {
  if (lines_ == nullptr) return true;
  const std::uint64_t count = lines_->LineCount();
  if (laid_lines_ > count) Truncate((count - 1) / group_lines_);
  std::uint64_t done = 0;
  while (laid_lines_ < count && (done == 0 || done < max_lines)) {
    // A group laid out short (the text ended inside it then, or it is the odd one left by a
    // merge) is laid out again whole.
    if (laid_lines_ % group_lines_ != 0) Truncate(rows_before_.size() - 2);
    const std::uint64_t group = laid_lines_ / group_lines_;
    const std::uint64_t end = std::min(laid_lines_ + group_lines_, count);
    const std::uint64_t rows = GroupRows(group);
    done += end - laid_lines_;
    laid_lines_ = end;
    AddGroup(rows);
  }
  return laid_lines_ >= count;
}

bool WrapLayout::LinesAppended(std::uint64_t first_changed, std::uint64_t max_lines) {
  if (lines_ == nullptr) return true;
  if (cached_line_ != UINT64_MAX && cached_line_ >= first_changed) cached_line_ = UINT64_MAX;
  const std::uint64_t group = first_changed / group_lines_;
  if (group + 1 < rows_before_.size()) Truncate(static_cast<std::size_t>(group));
  return LayOutMore(max_lines);
}

void WrapLayout::Truncate(std::size_t groups) {
  rows_before_.resize(groups + 1);
  laid_lines_ = groups * group_lines_;
}

void WrapLayout::AddGroup(std::uint64_t rows) {
  // Grown by hand so that the reserve never passes the bound.
  if (rows_before_.size() == rows_before_.capacity()) {
    rows_before_.reserve(std::min<std::size_t>(std::max<std::size_t>(16, 2 * rows_before_.size()),
                                               max_groups_ + 2));
  }
  rows_before_.push_back(rows_before_.back() + rows);
  const std::size_t groups = rows_before_.size() - 1;
  if (groups <= max_groups_) return;
  // Pairs of groups merge: a merged group's first row is its first half's, the total stays.
  std::size_t kept = 0;
  for (std::size_t g = 0; g < groups; g += 2) rows_before_[kept++] = rows_before_[g];
  rows_before_[kept++] = rows_before_[groups];
  rows_before_.resize(kept);
  group_lines_ *= 2;
}

std::uint64_t WrapLayout::LaidEnd() const {
  return lines_ == nullptr ? 0 : std::min(laid_lines_, lines_->LineCount());
}

const std::vector<std::uint64_t>& WrapLayout::WordRowStarts(std::uint64_t line) const {
  if (line == cached_line_) return cached_starts_;
  scratch_.clear();
  const std::uint64_t length = lines_->LineLength(line);
  lines_->AppendLine(line, 0, length, scratch_);
  const std::string& text = scratch_;
  cached_starts_.assign(1, 0);
  std::uint64_t start = 0;
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  for (;;) {
    // The first character that does not fit the row; a character wider than the whole row
    // takes a row of its own. In ASCII, a cell a byte, it is simply `cols` on.
    std::uint64_t edge = ascii ? std::min(length, start + cols_) : start;
    std::uint64_t cells = 0;
    while (!ascii && edge < length) {
      const auto byte = static_cast<unsigned char>(text[edge]);
      const Utf8Char c =
          byte < 0x80 ? Utf8Char{byte, 1} : DecodeUtf8(std::string_view(text).substr(edge));
      const auto width = static_cast<std::uint64_t>(CellWidth(c.code));
      if (cells + width > cols_ && edge > start) break;
      cells += width;
      edge += c.length;
    }
    if (edge >= length) break;
    // The last word that ends within the row: the blanks after it hang, the next row begins
    // with the next word. Without one the row is cut at the edge. (A blank is never part of a
    // longer sequence, so the byte-wise search stays on character boundaries.)
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
  if (!WordWrapped(length)) return (length + LongStride() - 1) / LongStride();
  return WordRowStarts(line).size();
}

std::uint64_t WrapLayout::LongRowStart(std::uint64_t line, std::uint64_t length,
                                       std::uint64_t k) const {
  const std::uint64_t col = k * LongStride();
  if (col == 0 || col >= length) return std::min(col, length);
  return CharStart(*lines_, {line, col}).col;
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
  if (!CutLong(length)) return 0;
  const std::uint64_t rows = RowsOfLine(line);
  std::uint64_t row = std::min(col / LongStride(), rows - 1);
  // A cut moved back to a character's start begins its row a few bytes early.
  if (row + 1 < rows && LongRowStart(line, length, row + 1) <= col) ++row;
  if (at_row_end && row > 0 && col == LongRowStart(line, length, row)) --row;
  return row;
}

std::uint64_t WrapLayout::GroupRows(std::uint64_t group) const {
  const std::uint64_t first = group * group_lines_;
  const std::uint64_t end = std::min(first + group_lines_, lines_->LineCount());
  std::uint64_t rows = 0;
  for (std::uint64_t line = first; line < end; ++line) rows += RowsOfLine(line);
  return rows;
}

void WrapLayout::LineChanged(std::uint64_t line) {
  if (line == cached_line_) cached_line_ = UINT64_MAX;
  const std::uint64_t group = line / group_lines_;
  if (lines_ == nullptr || group + 1 >= rows_before_.size()) return;
  const std::uint64_t old_rows = rows_before_[group + 1] - rows_before_[group];
  const std::uint64_t new_rows = GroupRows(group);
  if (new_rows == old_rows) return;
  for (std::size_t g = static_cast<std::size_t>(group) + 1; g < rows_before_.size(); ++g) {
    rows_before_[g] = rows_before_[g] - old_rows + new_rows;
  }
}

TextPos WrapLayout::RowStart(std::uint64_t row) const {
  if (lines_ == nullptr || rows_before_.size() < 2) return {};
  row = std::min(row, RowCount() - 1);
  // The last group whose first row is at or before `row`.
  const auto after = std::upper_bound(rows_before_.begin(), rows_before_.end() - 1, row);
  const auto group = static_cast<std::uint64_t>(after - rows_before_.begin()) - 1;
  std::uint64_t left = row - rows_before_[group];
  const std::uint64_t count = LaidEnd();
  for (std::uint64_t line = group * group_lines_; line < count; ++line) {
    const std::uint64_t rows = RowsOfLine(line);
    if (left < rows) {
      const std::uint64_t length = lines_->LineLength(line);
      if (WordWrapped(length)) return {line, WordRowStarts(line)[left]};
      return {line, LongRowStart(line, length, left)};
    }
    left -= rows;
  }
  return {count > 0 ? count - 1 : 0, 0};  // not reached: the groups' counts cover every row
}

std::uint64_t WrapLayout::FirstRowOf(std::uint64_t line) const {
  if (lines_ == nullptr || rows_before_.size() < 2) return 0;
  if (line >= LaidEnd()) return RowCount() - 1;
  const std::uint64_t group = line / group_lines_;
  std::uint64_t row = rows_before_[group];
  for (std::uint64_t l = group * group_lines_; l < line; ++l) row += RowsOfLine(l);
  return row;
}

std::uint64_t WrapLayout::RowOf(TextPos pos, bool at_row_end) const {
  if (lines_ == nullptr || rows_before_.size() < 2) return 0;
  pos = Clamp(*lines_, pos);
  if (pos.line >= LaidEnd()) return RowCount() - 1;
  return FirstRowOf(pos.line) + RowInLine(pos.line, pos.col, at_row_end);
}

bool WrapLayout::NextRow(TextPos& row_start) const {
  if (lines_ == nullptr) return false;
  const std::uint64_t length = RowLength(row_start);
  if (!EndsLine(row_start)) {
    row_start.col += length;
    return true;
  }
  if (row_start.line + 1 >= LaidEnd()) return false;
  row_start = {row_start.line + 1, 0};
  return true;
}

std::uint64_t WrapLayout::RowLength(TextPos row_start) const {
  if (lines_ == nullptr) return 0;
  const std::uint64_t length = lines_->LineLength(row_start.line);
  if (row_start.col >= length) return 0;
  if (CutLong(length)) {
    // A row's start is at most three bytes before its cut, so the cut after it gives its number.
    const std::uint64_t k = (row_start.col + 3) / LongStride();
    const std::uint64_t next = k + 1 < RowsOfLine(row_start.line)
                                   ? LongRowStart(row_start.line, length, k + 1) : length;
    return next - row_start.col;
  }
  if (!WordWrapped(length)) return length - row_start.col;
  const std::vector<std::uint64_t>& starts = WordRowStarts(row_start.line);
  const auto next = std::upper_bound(starts.begin(), starts.end(), row_start.col);
  return (next == starts.end() ? length : *next) - row_start.col;
}

const std::string& WrapLayout::RowBytes(TextPos row_start) const {
  const std::uint64_t length = RowLength(row_start);
  row_scratch_.clear();
  if (lines_ != nullptr) {
    lines_->AppendLine(row_start.line, row_start.col, row_start.col + length, row_scratch_);
  }
  return row_scratch_;
}

std::uint64_t WrapLayout::CellsBefore(TextPos row_start, std::uint64_t col) const {
  const std::string& bytes = RowBytes(row_start);
  const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(
      bytes.size(), col > row_start.col ? col - row_start.col : 0));
  std::uint64_t cells = 0;
  for (std::size_t at = 0; at < end;) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
      ++cells;
      ++at;
      continue;
    }
    const Utf8Char c = DecodeUtf8(std::string_view(bytes).substr(at));
    cells += static_cast<std::uint64_t>(CellWidth(c.code));
    at += c.length;
  }
  return cells;
}

std::uint64_t WrapLayout::ColAtCell(TextPos row_start, std::uint64_t cell) const {
  const std::string& bytes = RowBytes(row_start);
  std::uint64_t cells = 0;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const Utf8Char c = DecodeUtf8(std::string_view(bytes).substr(at));
    const auto width = static_cast<std::uint64_t>(CellWidth(c.code));
    // Before this character when the cell is nearer its left edge than its right one; a mark
    // of no width never stops the walk, so it stays with the character it marks.
    if (width > 0 && cell < cells + (width + 1) / 2) break;
    cells += width;
    at += c.length;
  }
  return row_start.col + at;
}

bool WrapLayout::EndsLine(TextPos row_start) const {
  if (lines_ == nullptr) return true;
  return row_start.col + RowLength(row_start) >= lines_->LineLength(row_start.line);
}

}  // namespace dalvo
