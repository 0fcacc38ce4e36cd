#include "division_output.h"

#include <algorithm>
#include <cerrno>

namespace dalvo {

namespace {
std::size_t UsableCapacity(std::size_t capacity) {
  return std::max(capacity, ReportBuffer::kMaxReserve);
}
}  // namespace

ReportBuffer::ReportBuffer(std::FILE* file, std::size_t capacity)
    : storage_(std::make_unique<char[]>(UsableCapacity(capacity))),
      cursor_(storage_.get()),
      limit_(storage_.get() + UsableCapacity(capacity)),
      file_(file) {}

ReportBuffer::ReportBuffer(std::string* text, std::size_t capacity)
    : storage_(std::make_unique<char[]>(UsableCapacity(capacity))),
      cursor_(storage_.get()),
      limit_(storage_.get() + UsableCapacity(capacity)),
      text_(text) {}

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
  const std::size_t used = static_cast<std::size_t>(cursor_ - storage_.get());
  cursor_ = storage_.get();
  // After a failure the rest is dropped: the destination already lacks bytes, so writing more
  // would only produce a report with a hole in it.
  if (used == 0 || failed_) return !failed_;
  if (text_ != nullptr) {
    text_->append(storage_.get(), used);
  } else if (std::fwrite(storage_.get(), 1, used, file_) != used) {
    failed_ = true;
    error_ = errno;
  }
  return !failed_;
}

}  // namespace dalvo
