#include "viewer_text.h"

#include <algorithm>
#include <cstdint>

#include "names.h"

namespace dalvo {

void AppendViewerLines(std::string_view content, std::string& out) {
  ViewerTextBuilder builder(SIZE_MAX, SIZE_MAX);
  builder.Add(content);
  out += builder.Finish(content.size());
}

std::string FileSizeLine(std::string_view name, std::uint64_t bytes) {
  std::string line(name);
  line += "  -  ";
  line += std::to_string(bytes);
  line += " bytes.";
  return line;
}

std::string NotShownNote(std::uint64_t count) {
  const std::string digits = std::to_string(count);
  std::string note(kNotShownOpen);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) note += ',';
    note += digits[i];
  }
  note += count == 1 ? kNotShownOne : kNotShownMany;
  return note;
}

ViewerTextBuilder::ViewerTextBuilder(std::size_t line_limit, std::size_t text_limit,
                                     std::size_t tail_limit)
    : line_limit_(line_limit), text_limit_(text_limit), tail_limit_(tail_limit) {}

bool ViewerTextBuilder::Add(std::string_view piece) {
  std::size_t i = 0;
  while (i < piece.size() && !full_) {
    if (after_cr_) {
      after_cr_ = false;
      if (piece[i] == '\n') {
        ++i;
        ++taken_;
        continue;
      }
    }
    // Whole stretches between CRs: a ten-million-digit line is one search and one append.
    const std::size_t cr = piece.find('\r', i);
    const std::size_t end = cr == std::string_view::npos ? piece.size() : cr;
    TakeLineBytes(piece.substr(i, end - i));
    if (full_ || cr == std::string_view::npos) break;
    ++taken_;
    EndLine();
    after_cr_ = true;
    i = cr + 1;
  }
  return !full_;
}

void ViewerTextBuilder::TakeLineBytes(std::string_view bytes) {
  if (bytes.empty()) return;
  std::size_t show = std::min(bytes.size(), line_limit_ - std::min(line_shown_, line_limit_));
  if (show > 0) {
    const std::size_t room = text_.size() < text_limit_ ? text_limit_ - text_.size() : 0;
    if (show > room) {
      // The text is full: what is left of the file is counted by Finish from the file's size,
      // not read.
      show = room;
      full_ = true;
      if (show == 0) return;  // the line has not begun in the text
    }
    in_line_ = true;
    text_.append(bytes.substr(0, show));
    line_shown_ += show;
    taken_ += show;
    if (full_) return;
  }
  in_line_ = true;
  const std::string_view hidden = bytes.substr(show);
  line_hidden_ += hidden.size();
  taken_ += hidden.size();
  if (tail_limit_ == 0 || hidden.empty()) return;
  if (hidden.size() >= tail_limit_) {
    line_tail_.assign(hidden.substr(hidden.size() - tail_limit_));
  } else {
    line_tail_.append(hidden);
    if (line_tail_.size() > tail_limit_) line_tail_.erase(0, line_tail_.size() - tail_limit_);
  }
}

void ViewerTextBuilder::EndLine() {
  // When the whole rest of the line fits in its tail, nothing is left out after all.
  const bool cut = line_hidden_ > line_tail_.size();
  if (!cut) text_ += line_tail_;
  text_ += "\r\n";
  if (cut) {
    text_ += NotShownNote(line_hidden_ - line_tail_.size());
    text_ += "\r\n";
    if (!line_tail_.empty()) {
      text_ += line_tail_;
      text_ += "\r\n";
    }
  }
  line_tail_.clear();
  line_shown_ = 0;
  line_hidden_ = 0;
  in_line_ = false;
}

std::string ViewerTextBuilder::Finish(std::uint64_t file_size) {
  if (in_line_) EndLine();
  if (full_ && file_size > taken_) {
    text_ += NotShownNote(file_size - taken_);
    text_ += "\r\n";
  }
  return std::move(text_);
}

Size ViewerTextBoxSize(Size outer_twips) {
  return {outer_twips.width > 360 ? outer_twips.width - 360 : 0,
          outer_twips.height > 800 ? outer_twips.height - 800 : 0};
}

}  // namespace dalvo
