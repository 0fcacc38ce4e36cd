// TextLines: a text seen as numbered lines, as a text box shows it. The viewer's document and
// the custom number's buffer provide it; the wrapping layout, the caret rules and copying read
// it. A text always has at least one line; a position is a (line, column) pair. No failure:
// positions outside the text are clamped.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dalvo {

struct TextPos {
  std::uint64_t line = 0;
  std::uint64_t col = 0;
  friend auto operator<=>(const TextPos&, const TextPos&) = default;
};

class TextLines {
 public:
  virtual ~TextLines() = default;

  // The number of lines, at least 1.
  virtual std::uint64_t LineCount() const = 0;
  // The characters of `line` (< LineCount()), its line break not included.
  virtual std::uint64_t LineLength(std::uint64_t line) const = 0;
  // Appends the characters [from, to) of `line` to `out`; from <= to <= LineLength(line).
  virtual void AppendLine(std::uint64_t line, std::uint64_t from, std::uint64_t to,
                          std::string& out) const = 0;
  // An upper bound of the characters from `from` to `to` (from <= to, both in the text), each
  // line break counted as one, where the text can tell it with a lookup or two (a file's byte
  // offsets); empty where it cannot, and the lines must be counted.
  virtual std::optional<std::uint64_t> CharsBound(TextPos /*from*/, TextPos /*to*/) const {
    return std::nullopt;
  }
};

// The position after the last character of the text.
TextPos EndOf(const TextLines& lines);

// `pos` moved into the text: the last line at most, the end of its line at most.
TextPos Clamp(const TextLines& lines, TextPos pos);

// The characters from `from` to `to` (either order), each line break counted as `break_size`.
// Linear in the number of lines between them.
std::uint64_t CharsBetween(const TextLines& lines, TextPos from, TextPos to,
                           std::uint64_t break_size);

// Whether the text from `from` to `to` (either order) holds more than `limit` characters, line
// breaks counted as one. Judged by the text's CharsBound where it has one (so a text of a
// hundred million short lines answers at once; a bound above `limit` counts as more), else by
// counting the lines, which stops once the count passes `limit`.
bool MoreCharsThan(const TextLines& lines, TextPos from, TextPos to, std::uint64_t limit);

// Hands the text from `from` to `to` (either order) to `sink` in order, in pieces of at most
// about a mebibyte, each line break as `line_break`. Memory: one piece.
void VisitText(const TextLines& lines, TextPos from, TextPos to, std::string_view line_break,
               const std::function<void(std::string_view)>& sink);

}  // namespace dalvo
