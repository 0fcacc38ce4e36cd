// For tests only: a stretch of any TextLines as one string, so a test can compare what a buffer
// or a document holds with the text it expects. The product streams text with VisitText and
// never holds a whole document in one string.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/logic/byte_source.h"
#include "frontend/logic/text_lines.h"

namespace dalvo {

// A text in memory as a ByteSource handing out at most `stretch` bytes at a time, so a reader's
// reads end at every place a block of that size would end them.
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string text, std::size_t stretch = 1 << 20)
      : text_(std::move(text)), stretch_(std::max<std::size_t>(stretch, 1)) {}
  std::string_view BytesAt(std::uint64_t at) override {
    if (at >= text_.size()) return {};
    return std::string_view(text_).substr(static_cast<std::size_t>(at), stretch_);
  }

 private:
  std::string text_;
  std::size_t stretch_;
};

// The text from `from` to `to` (either order), each line break as `line_break`.
inline std::string TextBetween(const TextLines& lines, TextPos from, TextPos to,
                               std::string_view line_break) {
  std::string text;
  VisitText(lines, from, to, line_break, [&text](std::string_view piece) { text += piece; });
  return text;
}

// The whole text, each line break as `line_break`.
inline std::string WholeText(const TextLines& lines, std::string_view line_break) {
  return TextBetween(lines, {0, 0}, EndOf(lines), line_break);
}

}  // namespace dalvo
