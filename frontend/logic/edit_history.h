// EditHistory: the undo and redo of a text box over an EditBuffer. Every change goes through
// Apply, which records what it removed and how much it inserted (the inserted text is in the
// buffer; it is taken back out only when the step is undone, so a paste of a billion digits is
// not copied twice); consecutive typed characters join into one step, as in any text box. The
// history keeps at most kMaxBytes of recorded text: older steps are forgotten first. No failure;
// Undo and Redo say when there is nothing to do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/logic/edit_buffer.h"

namespace dalvo {

class EditHistory {
 public:
  static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;

  // kWithPrevious: the second half of one change made in two (a drag that moves text takes it
  // out, then puts it in), undone and redone together with the step before it.
  enum class Kind { kTyping, kOther, kWithPrevious };

  // Replaces [from, to) of `buffer` with `text` and records the step; typing right after typed
  // characters joins their step. Clears what could be redone. Returns the offset after the
  // inserted text.
  std::uint64_t Apply(EditBuffer& buffer, std::uint64_t from, std::uint64_t to,
                      std::string_view text, Kind kind);
  // Undoes the latest step (with the steps it was made together with); returns where the caret
  // goes (after the text the earliest of them restored), or nothing when there is no step.
  std::optional<std::uint64_t> Undo(EditBuffer& buffer);
  // Redoes the latest undone step (with the steps made together with it); returns where the
  // caret goes (after the text the last of them inserted), or nothing when there is none.
  std::optional<std::uint64_t> Redo(EditBuffer& buffer);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // Forgets every step, as setting a text box's whole text does.
  void Clear();

 private:
  struct Step {
    std::uint64_t at;
    std::string removed;            // the text the step replaced
    std::uint64_t inserted_length;  // the length of the text it put there
    std::string inserted;           // that text, held only while the step is undone
    bool typing;
    bool with_previous;  // undone and redone together with the step before
  };

  void Trim();

  std::deque<Step> undo_;
  std::vector<Step> redo_;
  std::size_t bytes_ = 0;  // text held by undo_ and redo_
};

}  // namespace dalvo
