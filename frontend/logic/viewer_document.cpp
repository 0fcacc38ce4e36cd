#include "viewer_document.h"

namespace dalvo {

ViewerDocument::ViewerDocument(std::size_t block_bytes) : bytes_(block_bytes) {}

ViewerDocument ViewerDocument::FromText(std::string_view text) {
  ViewerDocument document;
  document.Add(text);
  document.EndLine();
  return document;
}

void ViewerDocument::Add(std::string_view piece) {
  bytes_.Append(piece);
  index_.Add(piece);
}

void ViewerDocument::EndLine() { index_.EndLine(); }

std::uint64_t ViewerDocument::LineLength(std::uint64_t line) const {
  return line < index_.LineCount() ? index_.LineLength(line) : 0;
}

void ViewerDocument::AppendLine(std::uint64_t line, std::uint64_t from, std::uint64_t to,
                                std::string& out) const {
  if (line >= index_.LineCount() || to <= from) return;
  bytes_.AppendTo(index_.LineStart(line) + from, to - from, out);
}

}  // namespace dalvo
