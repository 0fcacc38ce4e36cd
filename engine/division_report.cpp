#include "engine/division_report.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

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

std::string FormatReportTail(const DivisionTally& tally, const std::string& input_name) {
  // The estimate never exceeds 9.9999 (running values stay below 190), so 16 bytes are ample.
  char fixed[32];
  const int length =
      std::snprintf(fixed, sizeof fixed, "%.4f", static_cast<double>(tally.quotient_estimate));
  std::string text(fixed, static_cast<std::size_t>(length));

  text += "\n\nNumber of digits read from file \"";
  text += input_name;
  text += "\": ";
  text += std::to_string(tally.digit_count);
  text += "\n";

  // The verdict looks at the fraction of the single-precision estimate, which is zero exactly
  // when the final remainder is zero.
  const float fraction = tally.quotient_estimate - std::trunc(tally.quotient_estimate);
  const bool multiple = fraction == 0.0f && tally.quotient_started;
  if (multiple) text += "The number IS a multiple of 19!\n";
  if (fraction != 0.0f) text += "The number is NOT a multiple of 19.\n";
  if (multiple && tally.digit_count % 19 == 0) {
    text += "The amount of ";
    text += "digits read is also a multiple\nof 19:  ";
    text += std::to_string(tally.digit_count);
    text += " = 19x";
    text += std::to_string(tally.digit_count / 19);
    text += "\n\n";
  } else {
    text += "\n";
  }
  return text;
}

}  // namespace dalvo
