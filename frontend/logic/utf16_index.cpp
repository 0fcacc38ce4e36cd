#include "frontend/logic/utf16_index.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/logic/utf8_text.h"

namespace dalvo {
namespace {

constexpr std::uint64_t kPiece = std::uint64_t{1} << 20;

// Walks `line` of `lines` from its start, a piece at a time, adding each character's units to
// `units` until column `to` or until `units` would pass `limit`; returns the column reached.
std::uint64_t Walk(const TextLines& lines, std::uint64_t line, std::uint64_t to,
                   std::uint64_t limit, std::uint64_t& units) {
  std::string piece;
  std::uint64_t col = 0;
  while (col < to) {
    piece.clear();
    const std::uint64_t end = std::min(to, col + kPiece);
    lines.AppendLine(line, col, std::min(lines.LineLength(line), end + 3), piece);
    const std::size_t stop = static_cast<std::size_t>(end - col);
    std::size_t at = 0;
    while (at < stop) {
      const auto byte = static_cast<unsigned char>(piece[at]);
      if (byte < 0x80) {
        // Runs of ASCII, the digits of a long number, are counted without decoding.
        if (units + 1 > limit) return col + at;
        ++units;
        ++at;
        continue;
      }
      const Utf8Char c = DecodeUtf8(std::string_view(piece).substr(at));
      const std::uint64_t width = c.code > 0xFFFF ? 2 : 1;
      if (units + width > limit) return col + at;
      units += width;
      at += c.length;
    }
    col += at;  // a character read whole past the piece's end is skipped over
  }
  return std::min(col, to);
}

// The units of the whole of `line`.
std::uint64_t LineUnits(const TextLines& lines, std::uint64_t line) {
  std::uint64_t units = 0;
  Walk(lines, line, lines.LineLength(line), UINT64_MAX, units);
  return units;
}

}  // namespace

void Utf16Index::Reset(const TextLines& lines, std::uint64_t max_checkpoints) {
  lines_ = &lines;
  const std::uint64_t count = lines.LineCount();
  max_checkpoints = std::max<std::uint64_t>(max_checkpoints, 1);
  stride_ = 1;
  while ((count - 1) / stride_ + 1 > max_checkpoints) stride_ *= 2;
  checkpoints_.clear();
  ascii_.clear();
  CountFrom(0, 0);
}

void Utf16Index::Extend(const TextLines& lines, std::uint64_t first_changed,
                        std::uint64_t max_checkpoints) {
  if (lines_ != &lines || checkpoints_.empty()) return Reset(lines, max_checkpoints);
  const std::uint64_t count = lines.LineCount();
  max_checkpoints = std::max<std::uint64_t>(max_checkpoints, 1);
  // Past the bound, neighbouring groups merge: every other checkpoint stays.
  while ((count - 1) / stride_ + 1 > max_checkpoints) {
    for (std::size_t i = 0; 2 * i < checkpoints_.size(); ++i) {
      checkpoints_[i] = checkpoints_[2 * i];
      ascii_[i] = ascii_[2 * i] && (2 * i + 1 >= ascii_.size() || ascii_[2 * i + 1]);
    }
    checkpoints_.resize((checkpoints_.size() + 1) / 2);
    ascii_.resize(checkpoints_.size());
    stride_ *= 2;
  }
  const std::uint64_t group = std::min(first_changed, count_ - 1) / stride_;
  const std::uint64_t units = checkpoints_[group];
  checkpoints_.resize(group);
  ascii_.resize(group);
  CountFrom(group * stride_, units);
}

void Utf16Index::CountFrom(std::uint64_t line, std::uint64_t units) {
  const std::uint64_t count = lines_->LineCount();
  for (; line < count; ++line) {
    if (line % stride_ == 0) {
      checkpoints_.push_back(units);
      ascii_.push_back(true);
    }
    const std::uint64_t line_units = LineUnits(*lines_, line);
    if (line_units != lines_->LineLength(line)) ascii_.back() = false;
    units += line_units;
    if (line + 1 < count) ++units;  // the line break
  }
  total_ = units;
  count_ = count;
}

std::uint64_t Utf16Index::UnitsOfLine(std::uint64_t line) const {
  return ascii_[line / stride_] ? lines_->LineLength(line) : LineUnits(*lines_, line);
}

std::uint64_t Utf16Index::LineStart(std::uint64_t line) const {
  std::uint64_t units = checkpoints_[line / stride_];
  for (std::uint64_t before = line - line % stride_; before < line; ++before) {
    units += UnitsOfLine(before) + 1;
  }
  return units;
}

std::uint64_t Utf16Index::UnitsIn(std::uint64_t line, std::uint64_t to) const {
  // A line of single-byte characters (the digits of a long number) is not read: offsets are
  // columns.
  if (ascii_[line / stride_]) return to;
  std::uint64_t units = 0;
  Walk(*lines_, line, to, UINT64_MAX, units);
  return units;
}

std::uint64_t Utf16Index::OffsetOf(TextPos pos) const {
  if (lines_ == nullptr || checkpoints_.empty()) return 0;
  pos = Clamp(*lines_, pos);
  return LineStart(pos.line) + UnitsIn(pos.line, pos.col);
}

TextPos Utf16Index::PosOf(std::uint64_t offset) const {
  if (lines_ == nullptr || checkpoints_.empty()) return {};
  offset = std::min(offset, total_);
  const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), offset);
  std::uint64_t line = static_cast<std::uint64_t>(after - checkpoints_.begin() - 1) * stride_;
  std::uint64_t start = checkpoints_[line / stride_];
  const std::uint64_t count = lines_->LineCount();
  // Forward from the checkpoint to the line that holds `offset`: at most stride - 1 lines.
  for (; line + 1 < count && (line + 1) % stride_ != 0; ++line) {
    const std::uint64_t next = start + UnitsOfLine(line) + 1;
    if (next > offset) break;
    start = next;
  }
  const std::uint64_t length = lines_->LineLength(line);
  if (ascii_[line / stride_]) return {line, std::min(offset - start, length)};
  std::uint64_t units = 0;
  return {line, Walk(*lines_, line, length, offset - start, units)};
}

}  // namespace dalvo
