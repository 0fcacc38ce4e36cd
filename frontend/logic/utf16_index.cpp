#include "utf16_index.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "utf8_text.h"

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

}  // namespace

void Utf16Index::Reset(const TextLines& lines) {
  lines_ = &lines;
  const std::uint64_t count = lines.LineCount();
  line_starts_.assign(count, 0);
  std::uint64_t units = 0;
  for (std::uint64_t line = 0; line < count; ++line) {
    line_starts_[line] = units;
    Walk(lines, line, lines.LineLength(line), UINT64_MAX, units);
    if (line + 1 < count) ++units;  // the line break
  }
  total_ = units;
}

std::uint64_t Utf16Index::UnitsIn(std::uint64_t line, std::uint64_t to) const {
  const std::uint64_t next = line + 1 < line_starts_.size() ? line_starts_[line + 1] - 1 : total_;
  const std::uint64_t line_units = next - line_starts_[line];
  // A line as many units as bytes holds only single-byte characters: offsets are columns.
  if (line_units == lines_->LineLength(line)) return to;
  std::uint64_t units = 0;
  Walk(*lines_, line, to, UINT64_MAX, units);
  return units;
}

std::uint64_t Utf16Index::OffsetOf(TextPos pos) const {
  if (lines_ == nullptr || line_starts_.empty()) return 0;
  pos = Clamp(*lines_, pos);
  return line_starts_[pos.line] + UnitsIn(pos.line, pos.col);
}

TextPos Utf16Index::PosOf(std::uint64_t offset) const {
  if (lines_ == nullptr || line_starts_.empty()) return {};
  offset = std::min(offset, total_);
  const auto after = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  const auto line = static_cast<std::uint64_t>(after - line_starts_.begin()) - 1;
  const std::uint64_t within = offset - line_starts_[line];
  const std::uint64_t length = lines_->LineLength(line);
  const std::uint64_t next = line + 1 < line_starts_.size() ? line_starts_[line + 1] - 1 : total_;
  if (next - line_starts_[line] == length) return {line, std::min(within, length)};
  std::uint64_t units = 0;
  return {line, Walk(*lines_, line, length, within, units)};
}

}  // namespace dalvo
