// EditBuffer: the text of the custom number box, editable anywhere at a cost independent of the
// text's length where edits follow each other (a gap buffer: the free space sits at the last
// edit), with the starts of its lines kept beside it. Lines are separated by LF only (text comes
// in through NormalizeLineBreaks). Offsets count characters from the start. As TextLines it is
// the text's lines; an empty text is one empty line. No failure but allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/logic/text_lines.h"

namespace dalvo {

// Makes every CR LF and every lone CR of `text` an LF, in place, as a text box takes pasted
// lines.
void NormalizeLineBreaks(std::string& text);

class EditBuffer : public TextLines {
 public:
  std::uint64_t Size() const { return capacity_ - (gap_end_ - gap_start_); }
  bool Empty() const { return Size() == 0; }

  // Replaces the characters [from, to) (clamped, either order) with `text`.
  void Replace(std::uint64_t from, std::uint64_t to, std::string_view text);
  // The characters [from, to) (clamped, either order).
  std::string Text(std::uint64_t from, std::uint64_t to) const;
  std::string Text() const { return Text(0, Size()); }

  // Offset <-> position, each clamped into the text.
  std::uint64_t OffsetOf(TextPos pos) const;
  TextPos PosOf(std::uint64_t offset) const;

  std::uint64_t LineCount() const override { return line_starts_.size(); }
  std::uint64_t LineLength(std::uint64_t line) const override;
  void AppendLine(std::uint64_t line, std::uint64_t from, std::uint64_t to,
                  std::string& out) const override;

 private:
  void MoveGap(std::size_t to);
  void Reserve(std::size_t more);
  void AppendRange(std::uint64_t from, std::uint64_t to, std::string& out) const;

  std::unique_ptr<char[]> buffer_;  // [0, gap_start_) text, [gap_end_, capacity_) text
  std::size_t capacity_ = 0;
  std::size_t gap_start_ = 0;
  std::size_t gap_end_ = 0;
  std::vector<std::uint64_t> line_starts_{0};  // offset of each line's first character
};

}  // namespace dalvo
