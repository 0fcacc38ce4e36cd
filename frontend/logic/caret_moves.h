// The caret's moves in a wrapped text box, by character, by word, by row, by page and to either
// end, as in any text box. A character is a whole UTF-8 sequence: the caret never stands inside
// one. Pure: a move takes a caret and returns the moved one. A caret at a wrap point
// may stand at the end of the row above (after End, or a move down onto a full row's end)
// rather than at the start of the row below. No failure: moves stop at the text's ends.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "frontend/logic/text_lines.h"
#include "frontend/logic/wrap_layout.h"

namespace dalvo {

struct Caret {
  TextPos pos;
  bool at_row_end = false;  // at a wrap point: shown at the end of the row above
  // The cell within its row that moves up and down aim for; none until the first such move.
  std::optional<std::uint64_t> goal_col;
};

enum class CaretMove {
  kLeft,
  kRight,
  kWordLeft,   // to the start of this or the previous word, over the blanks before it
  kWordRight,  // past this word (or run of punctuation) and the blanks after it
  kUp,
  kDown,
  kPageUp,
  kPageDown,
  kRowStart,
  kRowEnd,
  kTextStart,
  kTextEnd,
};

// `caret` moved by `move` in `lines` as laid out by `layout` (which must be laid out over
// `lines`); a page is `page_rows` rows (0 counts as 1).
Caret MoveCaret(const TextLines& lines, const WrapLayout& layout, Caret caret, CaretMove move,
                std::uint64_t page_rows);

// The caret placed at cell `x` (0 = before the first character) of row `row`: at the row's
// end when x lies beyond it.
Caret CaretAtRow(const WrapLayout& layout, std::uint64_t row, std::uint64_t x);

// Where a word move from `pos` ends (kWordLeft or kWordRight; any other move leaves `pos`), as
// the text boxes of the desktop move: words are runs of letters and digits (any byte of a
// character beyond ASCII counts as a letter), runs of punctuation are words of their own, and
// blanks are skipped after a word going right and before one going left. A line break is one
// step. Reads the line in pieces: linear in the run's length.
TextPos WordMove(const TextLines& lines, TextPos pos, CaretMove move);

// What a double click selects at `pos`: the run of letters and digits (and characters beyond
// ASCII) around it (the character after `pos`, or before it at a line's end, decides), or that
// one character when it is neither; nothing on an empty line. Reads the line in pieces: linear in the run's length.
std::pair<TextPos, TextPos> WordAt(const TextLines& lines, TextPos pos);

}  // namespace dalvo
