// ViewerDocument: what the built-in viewer shows, the whole file at any size. The file's bytes
// are copied into private memory as they are read (so a file rewritten or deleted while shown
// changes nothing), and its lines are indexed on the way. As TextLines it is the file's lines,
// each followed by a line break, and then the empty line after the last break: an empty file
// is one empty line. Memory: the file's size plus its LineIndex. No failure but allocation.
#ifndef DALVO_FRONTEND_LOGIC_VIEWER_DOCUMENT_H_
#define DALVO_FRONTEND_LOGIC_VIEWER_DOCUMENT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "byte_store.h"
#include "line_index.h"
#include "text_lines.h"

namespace dalvo {

class ViewerDocument : public TextLines {
 public:
  // `block_bytes`: the size of the ByteStore's blocks after the first.
  explicit ViewerDocument(std::size_t block_bytes = ByteStore::kDefaultBlockBytes);

  // A document of `text` (lines ended as by Add, then EndLine).
  static ViewerDocument FromText(std::string_view text);

  // Takes the next bytes of the file, split anywhere.
  void Add(std::string_view piece);
  // Ends the last line when it has no break of its own. Text added afterwards starts a line;
  // a line without a break is shown only once this has been called.
  void EndLine();

  // Bytes taken in.
  std::uint64_t Bytes() const { return bytes_.Size(); }

  std::uint64_t LineCount() const override { return index_.LineCount() + 1; }
  std::uint64_t LineLength(std::uint64_t line) const override;
  void AppendLine(std::uint64_t line, std::uint64_t from, std::uint64_t to,
                  std::string& out) const override;

 private:
  ByteStore bytes_;
  LineIndex index_;
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_VIEWER_DOCUMENT_H_
