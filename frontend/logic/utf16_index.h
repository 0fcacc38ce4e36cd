// Utf16Index: offsets of a UTF-8 TextLines in UTF-16 units, as accessibility clients count
// (beyond U+FFFF two units; a stray byte, a line break one). Built by one pass over the text,
// keeping the units before every `stride`-th line only, so its memory is bounded whatever the
// line count (a file of a hundred million lines shown in the viewer); a line of ASCII then maps
// by arithmetic, another by reading it, and a position walks at most stride - 1 lines from its
// checkpoint. Borrows the TextLines, which must stay unchanged (after a change, Reset again).
// No failure: offsets are clamped.
#pragma once

#include <cstdint>
#include <vector>

#include "frontend/logic/text_lines.h"

namespace dalvo {

class Utf16Index {
 public:
  // At most this many checkpoints (8 bytes each) by default.
  static constexpr std::uint64_t kMaxCheckpoints = std::uint64_t{1} << 20;

  // Counts `lines`, keeping at most `max_checkpoints` (at least 1) checkpoints. Linear in the
  // text's bytes.
  void Reset(const TextLines& lines, std::uint64_t max_checkpoints = kMaxCheckpoints);

  // After lines were added at the end of the text counted last (`first_changed`, the first
  // line that grew or is new; lines before it unchanged): counts only from its checkpoint on.
  // Otherwise as Reset.
  void Extend(const TextLines& lines, std::uint64_t first_changed,
              std::uint64_t max_checkpoints = kMaxCheckpoints);

  // The units of the whole text.
  std::uint64_t Total() const { return checkpoints_.empty() ? 0 : total_; }
  // The units before `pos` (clamped into the text).
  std::uint64_t OffsetOf(TextPos pos) const;
  // The position `offset` units into the text (clamped); an offset inside a character (between
  // the two units of a pair) gives the character's start.
  TextPos PosOf(std::uint64_t offset) const;

 private:
  // The units of `line` from its start to column `to`.
  std::uint64_t UnitsIn(std::uint64_t line, std::uint64_t to) const;
  // Counts the lines from `line` (a checkpoint's, whose units come before it) to the end.
  void CountFrom(std::uint64_t line, std::uint64_t units);
  // The units before `line`, walked from its checkpoint.
  std::uint64_t LineStart(std::uint64_t line) const;
  // The units of the whole of `line`: its bytes where its group is all ASCII, else read.
  std::uint64_t UnitsOfLine(std::uint64_t line) const;

  const TextLines* lines_ = nullptr;
  std::uint64_t stride_ = 1;
  std::vector<std::uint64_t> checkpoints_;  // units before lines 0, stride_, 2 * stride_, ...
  std::vector<bool> ascii_;  // per checkpoint: its lines have as many units as bytes
  std::uint64_t total_ = 0;
  std::uint64_t count_ = 0;  // the lines counted
};

}  // namespace dalvo
