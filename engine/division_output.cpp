#include "division_output.h"

#include <algorithm>
#include <cerrno>

namespace dalvo {

namespace {
std::size_t UsableCapacity(std::size_t capacity) {
  return std::max(capacity, ReportBuffer::kMaxReserve);
}
}  // namespace

ReportBuffer::ReportBuffer(std::FILE* file, std::size_t capacity) : ReportBuffer(capacity) {
  file_ = file;
}

ReportBuffer::ReportBuffer(std::string* text, std::size_t capacity) : ReportBuffer(capacity) {
  text_ = text;
}

ReportBuffer::ReportBuffer(std::size_t capacity)
    : storage_(std::make_unique<char[]>(UsableCapacity(capacity))),
      base_(storage_.get()),
      cursor_(base_),
      limit_(base_ + UsableCapacity(capacity)) {}

ReportBuffer::ReportBuffer(char* window, std::size_t capacity)
    : base_(window), cursor_(window), limit_(window + capacity) {}

void ReportBuffer::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t room = static_cast<std::size_t>(limit_ - cursor_);
    if (room == 0) {
      Drain();
      continue;
    }
    const std::size_t n = std::min(room, bytes.size());
    std::copy_n(bytes.data(), n, cursor_);
    cursor_ += n;
    bytes.remove_prefix(n);
  }
}

bool ReportBuffer::Drain() {
  const std::size_t used = static_cast<std::size_t>(cursor_ - base_);
  cursor_ = base_;
  return Deliver(base_, used);
}

bool ReportBuffer::Pass(std::string_view bytes) {
  return Drain() && Deliver(bytes.data(), bytes.size());
}

bool ReportBuffer::Deliver(const char* bytes, std::size_t size) {
  // After a failure the rest is dropped: the destination already lacks bytes, so writing more
  // would only produce a report with a hole in it.
  if (size == 0 || failed_) return !failed_;
  if (text_ != nullptr) {
    text_->append(bytes, size);
  } else if (file_ == nullptr || std::fwrite(bytes, 1, size, file_) != size) {
    failed_ = true;  // a window has nowhere to put what does not fit
    error_ = file_ == nullptr ? ENOSPC : errno;
  }
  return !failed_;
}

}  // namespace dalvo
