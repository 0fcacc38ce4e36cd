#include "frontend/logic/text_lines.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace dalvo {
namespace {

constexpr std::uint64_t kVisitPiece = std::uint64_t{1} << 20;

}  // namespace

TextPos EndOf(const TextLines& lines) {
  const std::uint64_t last = lines.LineCount() - 1;
  return {last, lines.LineLength(last)};
}

TextPos Clamp(const TextLines& lines, TextPos pos) {
  const std::uint64_t count = lines.LineCount();
  if (pos.line >= count) return EndOf(lines);
  return {pos.line, std::min(pos.col, lines.LineLength(pos.line))};
}

std::uint64_t CharsBetween(const TextLines& lines, TextPos from, TextPos to,
                           std::uint64_t break_size) {
  from = Clamp(lines, from);
  to = Clamp(lines, to);
  if (to < from) std::swap(from, to);
  if (from.line == to.line) return to.col - from.col;
  std::uint64_t chars = lines.LineLength(from.line) - from.col + break_size;
  for (std::uint64_t line = from.line + 1; line < to.line; ++line) {
    chars += lines.LineLength(line) + break_size;
  }
  return chars + to.col;
}

bool MoreCharsThan(const TextLines& lines, TextPos from, TextPos to, std::uint64_t limit) {
  from = Clamp(lines, from);
  to = Clamp(lines, to);
  if (to < from) std::swap(from, to);
  if (const std::optional<std::uint64_t> bound = lines.CharsBound(from, to)) return *bound > limit;
  if (from.line == to.line) return to.col - from.col > limit;
  std::uint64_t chars = lines.LineLength(from.line) - from.col + 1;
  for (std::uint64_t line = from.line + 1; line < to.line && chars <= limit; ++line) {
    chars += lines.LineLength(line) + 1;
  }
  return chars + to.col > limit;
}

void VisitText(const TextLines& lines, TextPos from, TextPos to, std::string_view line_break,
               const std::function<void(std::string_view)>& sink) {
  from = Clamp(lines, from);
  to = Clamp(lines, to);
  if (to < from) std::swap(from, to);
  std::string piece;
  const auto flush = [&] {
    if (!piece.empty()) sink(piece);
    piece.clear();
  };
  for (std::uint64_t line = from.line; line <= to.line; ++line) {
    std::uint64_t col = line == from.line ? from.col : 0;
    const std::uint64_t end = line == to.line ? to.col : lines.LineLength(line);
    while (col < end) {
      // A line of a billion digits goes out a piece at a time, never whole.
      const std::uint64_t take = std::min(end - col, kVisitPiece - std::min(kVisitPiece, piece.size()));
      if (take == 0) {
        flush();
        continue;
      }
      lines.AppendLine(line, col, col + take, piece);
      col += take;
    }
    if (line != to.line) piece += line_break;
    if (piece.size() >= kVisitPiece) flush();
  }
  flush();
}

}  // namespace dalvo
