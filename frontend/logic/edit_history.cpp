#include "frontend/logic/edit_history.h"

#include <algorithm>
#include <cstdint>

namespace dalvo {

std::uint64_t EditHistory::Apply(EditBuffer& buffer, std::uint64_t from, std::uint64_t to,
                                 std::string_view text, Kind kind) {
  if (to < from) std::swap(from, to);
  from = std::min(from, buffer.Size());
  to = std::min(to, buffer.Size());
  std::string removed = buffer.Text(from, to);
  buffer.Replace(from, to, text);

  for (const Step& step : redo_) bytes_ -= step.removed.size() + step.inserted.size();
  redo_.clear();
  const bool typing = kind == Kind::kTyping;
  if (typing && removed.empty() && !undo_.empty() && undo_.back().typing &&
      undo_.back().at + undo_.back().inserted_length == from) {
    undo_.back().inserted_length += text.size();
  } else {
    bytes_ += removed.size();
    undo_.push_back({from, std::move(removed), text.size(), {}, typing,
                     kind == Kind::kWithPrevious && !undo_.empty()});
  }
  Trim();
  return from + text.size();
}

std::optional<std::uint64_t> EditHistory::Undo(EditBuffer& buffer) {
  if (undo_.empty()) return std::nullopt;
  std::uint64_t caret = 0;
  bool more = true;
  while (more && !undo_.empty()) {
    Step step = std::move(undo_.back());
    undo_.pop_back();
    step.inserted = buffer.Text(step.at, step.at + step.inserted_length);
    bytes_ += step.inserted.size();
    buffer.Replace(step.at, step.at + step.inserted_length, step.removed);
    caret = step.at + step.removed.size();
    step.typing = false;  // typing after a redo starts a step of its own
    more = step.with_previous;
    redo_.push_back(std::move(step));
  }
  return caret;
}

std::optional<std::uint64_t> EditHistory::Redo(EditBuffer& buffer) {
  if (redo_.empty()) return std::nullopt;
  std::uint64_t caret = 0;
  do {
    Step step = std::move(redo_.back());
    redo_.pop_back();
    buffer.Replace(step.at, step.at + step.removed.size(), step.inserted);
    caret = step.at + step.inserted_length;
    bytes_ -= step.inserted.size();
    step.inserted = std::string();  // back in the buffer: no need to hold it twice
    undo_.push_back(std::move(step));
  } while (!redo_.empty() && redo_.back().with_previous);
  return caret;
}

void EditHistory::Clear() {
  undo_.clear();
  redo_.clear();
  bytes_ = 0;
}

void EditHistory::Trim() {
  // The newest step stays even when it alone is larger than the limit: the paste just made
  // must be undoable.
  while (bytes_ > kMaxBytes && undo_.size() > 1) {
    bytes_ -= undo_.front().removed.size() + undo_.front().inserted.size();
    undo_.pop_front();
    // A step whose partner was forgotten stands alone.
    undo_.front().with_previous = false;
  }
}

}  // namespace dalvo
