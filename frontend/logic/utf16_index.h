// Utf16Index: offsets of a UTF-8 TextLines in UTF-16 units, as accessibility clients count
// (beyond U+FFFF two units; a stray byte, a line break one). Built by one pass over the text;
// then a line of ASCII maps in constant time, another by reading it. Borrows the TextLines,
// which must stay unchanged (after a change, Reset again). No failure: offsets are clamped.
#ifndef DALVO_FRONTEND_LOGIC_UTF16_INDEX_H_
#define DALVO_FRONTEND_LOGIC_UTF16_INDEX_H_

#include <cstdint>
#include <vector>

#include "text_lines.h"

namespace dalvo {

class Utf16Index {
 public:
  // Counts `lines`. Linear in the text's bytes.
  void Reset(const TextLines& lines);

  // The units of the whole text.
  std::uint64_t Total() const { return line_starts_.empty() ? 0 : total_; }
  // The units before `pos` (clamped into the text).
  std::uint64_t OffsetOf(TextPos pos) const;
  // The position `offset` units into the text (clamped); an offset inside a character (between
  // the two units of a pair) gives the character's start.
  TextPos PosOf(std::uint64_t offset) const;

 private:
  // The units of `line` from its start to column `to`.
  std::uint64_t UnitsIn(std::uint64_t line, std::uint64_t to) const;

  const TextLines* lines_ = nullptr;
  std::vector<std::uint64_t> line_starts_;  // units before each line
  std::uint64_t total_ = 0;
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_UTF16_INDEX_H_
