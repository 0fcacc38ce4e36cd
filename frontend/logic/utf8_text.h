// UTF-8 over the bytes of a text box: where characters begin, which character a sequence is and
// how many cells of a fixed-pitch grid it takes. A byte that does not start a valid sequence is
// a character of its own (shown as U+FFFD), so every byte belongs to exactly one character and
// nothing here fails.
#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/logic/text_lines.h"

namespace dalvo {

inline constexpr char32_t kReplacementChar = 0xFFFD;

struct Utf8Char {
  char32_t code = kReplacementChar;  // kReplacementChar for a byte that is not UTF-8
  std::uint32_t length = 1;          // bytes, 1 to 4
};

// The first character of `bytes` (not empty). A sequence cut short by the end of `bytes` is
// not UTF-8: its first byte comes back as a character of one byte.
Utf8Char DecodeUtf8(std::string_view bytes);

// The cells `code` takes in a fixed-pitch grid: 0 for combining marks and other zero-width
// characters, 2 for wide East Asian characters and emoji, 1 for everything else.
int CellWidth(char32_t code);

// The character that starts at `pos` (clamped); a line's end holds none: {0, 0}.
Utf8Char CharAt(const TextLines& lines, TextPos pos);

// The start of the character that holds the byte at `pos` (pos itself at a character's start or
// at the end of its line). Reads at most seven bytes.
TextPos CharStart(const TextLines& lines, TextPos pos);
// The position after the character at `pos`, the start of the next line at a line's end; the
// text's end stays where it is.
TextPos NextCharPos(const TextLines& lines, TextPos pos);
// The start of the character before `pos`, the end of the line above at a line's start; the
// text's start stays where it is.
TextPos PrevCharPos(const TextLines& lines, TextPos pos);

// As NextCharPos and PrevCharPos, but a character takes the combining marks after it along, so
// the result never stands between a letter and its mark (as the caret moves).
TextPos NextClusterPos(const TextLines& lines, TextPos pos);
TextPos PrevClusterPos(const TextLines& lines, TextPos pos);

}  // namespace dalvo
