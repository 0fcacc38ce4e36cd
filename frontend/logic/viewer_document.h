// ViewerDocument: what the built-in viewer shows, a file of any size read on demand. It holds
// the file open (a file renamed over or deleted while shown is still the one shown), indexes
// its lines a step at a time (IndexMore; what is indexed so far is shown, the last line growing)
// and reads what is asked for through a bounded block cache, so its memory does not grow with
// the file. Once indexed, a tail of text (the help's folders) follows the file's lines. As
// TextLines it is the file's lines, each followed by a line break, then the empty line after
// the last break: an empty file is one empty line. A file truncated under it shows what
// remains once Recheck has seen it; until then the bytes that are gone read as blanks. No
// failure but allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/logic/block_cache.h"
#include "frontend/logic/line_index.h"
#include "frontend/logic/platform.h"
#include "frontend/logic/text_lines.h"

namespace dalvo {

struct ViewerDocumentOptions {
  std::size_t block_bytes = std::size_t{64} << 10;  // the unit the cache reads and keeps
  std::size_t cache_bytes = std::size_t{4} << 20;   // the most the cache keeps
  std::size_t max_checkpoints = std::size_t{1} << 20;  // the line index's bound (LineIndex)
  std::size_t read_bytes = std::size_t{1} << 20;    // indexing reads this much at a time
};

// What a step of indexing came to.
enum class IndexProgress {
  kMore,    // more of the file is still to be indexed
  kDone,    // the whole file (or all a truncated file still had) is indexed
  kFailed,  // a read failed; the document ends with what was indexed before it
};

class ViewerDocument : public TextLines {
 public:
  // Shows `file` (non-null), indexed by IndexMore from its start up to its size now, then the
  // lines of `tail`.
  explicit ViewerDocument(std::unique_ptr<ReadableFile> file, std::string tail = {},
                          ViewerDocumentOptions options = {});
  // A document of `text`, indexed whole.
  static ViewerDocument FromText(std::string_view text);

  ViewerDocument(ViewerDocument&&) = default;
  ViewerDocument& operator=(ViewerDocument&&) = default;

  // Indexes about `bytes` more of the file (whole reads of options.read_bytes at most). Once
  // it has answered kDone or kFailed the document is whole and further calls answer kDone.
  IndexProgress IndexMore(std::uint64_t bytes);
  bool Indexed() const { return indexed_; }
  // Bytes of the file indexed so far, and the file's size when it was opened.
  std::uint64_t Bytes() const { return index_.Bytes(); }
  std::uint64_t FileSize() const { return file_size_; }

  // Looks at the file's present size: when it has become shorter than what is shown, the
  // lines are cut to what remains (lines past it become empty). True when that changed the
  // text, so that the box showing it lays it out again.
  bool Recheck();

  // Memory the document keeps between calls (cache, index, tail), and the most it can reach.
  std::size_t HeldBytes() const;
  std::size_t MaxHeldBytes() const;

  std::uint64_t LineCount() const override;
  std::uint64_t LineLength(std::uint64_t line) const override;
  // Always appends to - from characters: those the file no longer has as blanks.
  void AppendLine(std::uint64_t line, std::uint64_t from, std::uint64_t to,
                  std::string& out) const override;
  // The bytes between the two positions: a line break is one byte or two (CR LF).
  std::optional<std::uint64_t> CharsBound(TextPos from, TextPos to) const override;

 private:
  // Lines of the file shown now: the ended ones and, while indexing, the growing last one.
  std::uint64_t FileLines() const { return index_.LineCount() + (indexed_ ? 0 : 1); }
  // A file line's start and end, cut to what is shown.
  LineIndex::Span FileLine(std::uint64_t line) const;
  void Finish();

  std::unique_ptr<ReadableFile> file_;  // before cache_, which borrows it
  ViewerDocumentOptions options_;
  std::uint64_t file_size_ = 0;
  mutable BlockCache cache_;  // reading is no change of the text
  LineIndex index_;
  std::vector<std::string> tail_lines_;
  std::size_t tail_bytes_ = 0;
  std::uint64_t shown_end_ = UINT64_MAX;  // the file's bytes shown end here at the latest
  bool indexed_ = false;
};

}  // namespace dalvo
