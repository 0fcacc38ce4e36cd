#include "frontend/logic/viewer_document.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace dalvo {
namespace {

// A text in memory as a file: what FromText shows.
class TextFile : public ReadableFile {
 public:
  explicit TextFile(std::string_view text) : text_(text) {}

  std::optional<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                                    std::size_t count) override {
    if (offset >= text_.size()) return 0;
    const std::size_t n = std::min(count, text_.size() - static_cast<std::size_t>(offset));
    std::memcpy(buffer, text_.data() + offset, n);
    return n;
  }
  std::optional<std::uint64_t> Size() override { return text_.size(); }

 private:
  std::string text_;
};

// The lines of `text` by the viewer's rule (CR, CR LF or LF ends a line); a last line without
// a break is a line too.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace

ViewerDocument::ViewerDocument(std::unique_ptr<ReadableFile> file, std::string tail,
                               ViewerDocumentOptions options)
    : file_(std::move(file)),
      options_(options),
      file_size_(file_->Size().value_or(0)),
      cache_(*file_, options.block_bytes, options.cache_bytes),
      index_({options.block_bytes, options.max_checkpoints}),
      tail_lines_(SplitLines(tail)),
      tail_bytes_(tail.size()) {}

ViewerDocument ViewerDocument::FromText(std::string_view text) {
  ViewerDocument document(std::make_unique<TextFile>(text));
  (void)document.IndexMore(UINT64_MAX);
  return document;
}

void ViewerDocument::Finish() {
  index_.EndLine();
  indexed_ = true;
}

IndexProgress ViewerDocument::IndexMore(std::uint64_t bytes) {
  if (indexed_) return IndexProgress::kDone;
  const std::size_t piece = std::max<std::size_t>(options_.read_bytes, 1);
  const auto buffer = std::make_unique_for_overwrite<char[]>(piece);
  for (;;) {
    const std::uint64_t at = index_.Bytes();
    if (at >= file_size_) break;
    if (bytes == 0) return IndexProgress::kMore;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(piece, file_size_ - at));
    const std::optional<std::size_t> got = file_->ReadAt(at, buffer.get(), want);
    if (!got) {
      Finish();
      return IndexProgress::kFailed;
    }
    // A file truncated while it is indexed ends where its bytes end.
    if (*got == 0) break;
    index_.Add(std::string_view(buffer.get(), *got));
    bytes -= std::min<std::uint64_t>(bytes, *got);
  }
  Finish();
  return IndexProgress::kDone;
}

bool ViewerDocument::Recheck() {
  const std::optional<std::uint64_t> size = file_->Size();
  if (!size || *size >= std::min(shown_end_, index_.Bytes())) return false;
  shown_end_ = *size;
  cache_.DropFrom(*size);
  return true;
}

std::size_t ViewerDocument::HeldBytes() const {
  return cache_.HeldBytes() + index_.HeldBytes() + tail_bytes_;
}

std::size_t ViewerDocument::MaxHeldBytes() const {
  return cache_.MaxHeldBytes() + index_.MaxHeldBytes() + tail_bytes_;
}

std::uint64_t ViewerDocument::LineCount() const {
  return FileLines() + (indexed_ ? tail_lines_.size() + 1 : 0);
}

LineIndex::Span ViewerDocument::FileLine(std::uint64_t line) const {
  const LineIndex::Span span = index_.LineSpan(line, cache_);
  return {std::min(span.start, shown_end_), std::min(span.end, shown_end_)};
}

std::uint64_t ViewerDocument::LineLength(std::uint64_t line) const {
  const std::uint64_t file_lines = FileLines();
  if (line < file_lines) {
    const LineIndex::Span span = FileLine(line);
    return span.end - span.start;
  }
  line -= file_lines;
  return line < tail_lines_.size() ? tail_lines_[line].size() : 0;
}

void ViewerDocument::AppendLine(std::uint64_t line, std::uint64_t from, std::uint64_t to,
                                std::string& out) const {
  if (to <= from) return;
  const std::size_t before = out.size();
  const std::uint64_t file_lines = FileLines();
  if (line < file_lines) {
    const LineIndex::Span span = FileLine(line);
    std::uint64_t at = span.start + from;
    const std::uint64_t stop = std::min(span.start + to, span.end);
    while (at < stop) {
      const std::string_view view = cache_.BytesAt(at);
      if (view.empty()) break;
      const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(view.size(), stop - at));
      out.append(view.data(), take);
      at += take;
    }
  } else if (line - file_lines < tail_lines_.size()) {
    const std::string& text = tail_lines_[line - file_lines];
    if (from < text.size()) {
      out.append(text, static_cast<std::size_t>(from),
                 static_cast<std::size_t>(std::min<std::uint64_t>(to, text.size()) - from));
    }
  }
  // Callers lay rows out by the lengths they were told: what cannot be read any more is shown
  // blank rather than leaving them short.
  out.resize(before + static_cast<std::size_t>(to - from), ' ');
}

std::optional<std::uint64_t> ViewerDocument::CharsBound(TextPos from, TextPos to) const {
  // A file position is its byte offset; the tail's lines follow the file's bytes and the break
  // that may end its last line, so a position there lies at most the tail's size beyond.
  const std::uint64_t file_lines = FileLines();
  const std::uint64_t file_end = std::min(shown_end_, index_.Bytes());
  const std::uint64_t low =
      from.line < file_lines ? FileLine(from.line).start + from.col : file_end;
  const std::uint64_t high = to.line < file_lines ? FileLine(to.line).start + to.col
                                                  : file_end + 1 + tail_bytes_ + tail_lines_.size();
  return high > low ? high - low : 0;
}

}  // namespace dalvo
