#include "frontend/logic/caret_moves.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "frontend/logic/utf8_text.h"

namespace dalvo {
namespace {

constexpr std::uint64_t kWordPiece = std::uint64_t{1} << 16;

bool IsWordChar(char c) {
  // A byte of a longer sequence is part of a letter, a digit or a sign of another script;
  // counting all of them in keeps a word's ends on character boundaries.
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsPunctuation(char c) { return !IsWordChar(c) && !IsBlank(c); }

// The first column at or after `col` of `line` whose byte does not satisfy `keep`.
template <typename Keep>
std::uint64_t SkipForward(const TextLines& lines, std::uint64_t line, std::uint64_t col, Keep keep) {
  const std::uint64_t length = lines.LineLength(line);
  std::string piece;
  while (col < length) {
    piece.clear();
    lines.AppendLine(line, col, std::min(length, col + kWordPiece), piece);
    const auto stop = std::find_if_not(piece.begin(), piece.end(), keep);
    col += static_cast<std::uint64_t>(stop - piece.begin());
    if (stop != piece.end()) break;
  }
  return col;
}

// The first column of the run of bytes satisfying `keep` that ends at `col` of `line`.
template <typename Keep>
std::uint64_t SkipBackward(const TextLines& lines, std::uint64_t line, std::uint64_t col, Keep keep) {
  std::string piece;
  while (col > 0) {
    const std::uint64_t from = col - std::min(col, kWordPiece);
    piece.clear();
    lines.AppendLine(line, from, col, piece);
    const auto stop = std::find_if_not(piece.rbegin(), piece.rend(), keep);
    col -= static_cast<std::uint64_t>(stop - piece.rbegin());
    if (stop != piece.rend()) break;
  }
  return col;
}

char ByteAt(const TextLines& lines, std::uint64_t line, std::uint64_t col) {
  std::string byte;
  lines.AppendLine(line, col, col + 1, byte);
  return byte[0];
}

}  // namespace

TextPos WordMove(const TextLines& lines, TextPos pos, CaretMove move) {
  pos = Clamp(lines, pos);
  const std::uint64_t length = lines.LineLength(pos.line);
  if (move == CaretMove::kWordRight) {
    if (pos.col == length) return NextCharPos(lines, pos);
    std::uint64_t col = pos.col;
    if (IsPunctuation(ByteAt(lines, pos.line, col))) {
      col = SkipForward(lines, pos.line, col, IsPunctuation);
    } else {
      col = SkipForward(lines, pos.line, col, IsWordChar);
    }
    return {pos.line, SkipForward(lines, pos.line, col, IsBlank)};
  }
  if (move != CaretMove::kWordLeft) return pos;
  if (pos.col == 0) return PrevCharPos(lines, pos);
  std::uint64_t col = SkipBackward(lines, pos.line, pos.col, IsBlank);
  if (col > 0 && IsPunctuation(ByteAt(lines, pos.line, col - 1))) {
    col = SkipBackward(lines, pos.line, col, IsPunctuation);
  } else {
    col = SkipBackward(lines, pos.line, col, IsWordChar);
  }
  return {pos.line, col};
}

std::pair<TextPos, TextPos> WordAt(const TextLines& lines, TextPos pos) {
  pos = Clamp(lines, pos);
  const std::uint64_t length = lines.LineLength(pos.line);
  if (length == 0) return {pos, pos};
  const std::uint64_t at = std::min(pos.col, length - 1);
  std::string piece;
  lines.AppendLine(pos.line, at, at + 1, piece);
  if (!IsWordChar(piece[0])) return {{pos.line, at}, {pos.line, at + 1}};
  // A quotient of a billion digits is one word: it is read a piece at a time, not at once.
  std::uint64_t begin = at;
  while (begin > 0) {
    const std::uint64_t from = begin - std::min(begin, kWordPiece);
    piece.clear();
    lines.AppendLine(pos.line, from, begin, piece);
    const auto last = std::find_if(piece.rbegin(), piece.rend(), [](char c) { return !IsWordChar(c); });
    begin -= static_cast<std::uint64_t>(last - piece.rbegin());
    if (last != piece.rend()) break;
  }
  std::uint64_t end = at + 1;
  while (end < length) {
    const std::uint64_t to = std::min(length, end + kWordPiece);
    piece.clear();
    lines.AppendLine(pos.line, end, to, piece);
    const auto first = std::find_if(piece.begin(), piece.end(), [](char c) { return !IsWordChar(c); });
    end += static_cast<std::uint64_t>(first - piece.begin());
    if (first != piece.end()) break;
  }
  return {{pos.line, begin}, {pos.line, end}};
}

Caret CaretAtRow(const WrapLayout& layout, std::uint64_t row, std::uint64_t x) {
  const TextPos start = layout.RowStart(row);
  const std::uint64_t length = layout.RowLength(start);
  Caret caret;
  caret.pos = {start.line, layout.ColAtCell(start, x)};
  // The end of a row that the line goes on after is also the start of the next row.
  caret.at_row_end =
      caret.pos.col == start.col + length && length > 0 && !layout.EndsLine(start);
  return caret;
}

Caret MoveCaret(const TextLines& lines, const WrapLayout& layout, Caret caret, CaretMove move,
                std::uint64_t page_rows) {
  caret.pos = Clamp(lines, caret.pos);
  const std::uint64_t row = layout.RowOf(caret.pos, caret.at_row_end);
  const std::uint64_t row_col = layout.CellsBefore(layout.RowStart(row), caret.pos.col);
  const std::uint64_t page = std::max<std::uint64_t>(page_rows, 1);
  const std::uint64_t last_row = layout.RowCount() - 1;

  const auto vertical = [&](std::uint64_t target) {
    const std::uint64_t goal = caret.goal_col.value_or(row_col);
    Caret moved = CaretAtRow(layout, target, goal);
    moved.goal_col = goal;
    return moved;
  };

  switch (move) {
    case CaretMove::kLeft:
      // A combining mark moves with its letter: the caret never stands between them.
      return {PrevClusterPos(lines, caret.pos), false, {}};
    case CaretMove::kRight:
      return {NextClusterPos(lines, caret.pos), false, {}};
    case CaretMove::kWordLeft:
    case CaretMove::kWordRight:
      return {WordMove(lines, caret.pos, move), false, {}};
    case CaretMove::kUp:
      return row == 0 ? caret : vertical(row - 1);
    case CaretMove::kDown:
      return row == last_row ? caret : vertical(row + 1);
    case CaretMove::kPageUp:
      if (row == 0) return {{0, 0}, false, {}};
      return vertical(row - std::min(row, page));
    case CaretMove::kPageDown:
      if (row == last_row) return {EndOf(lines), false, {}};
      return vertical(std::min(last_row, row + page));
    case CaretMove::kRowStart:
      return {layout.RowStart(row), false, {}};
    case CaretMove::kRowEnd:
      return CaretAtRow(layout, row, layout.Cols());
    case CaretMove::kTextStart:
      return {{0, 0}, false, {}};
    case CaretMove::kTextEnd:
      return {EndOf(lines), false, {}};
  }
  return caret;
}

}  // namespace dalvo
