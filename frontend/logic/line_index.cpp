#include "line_index.h"

#include <algorithm>
#include <cstring>

namespace dalvo {

void LineIndex::Add(std::string_view piece) {
  const char* const data = piece.data();
  const std::size_t size = piece.size();
  // The next CR and LF at or after i (size when there is none), found with memchr, which is
  // vectorised: a line of a billion digits is two fast scans, not a loop over its bytes.
  const auto find = [data, size](char c, std::size_t from) {
    const void* found = std::memchr(data + from, c, size - from);
    return found == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(found) - data);
  };
  std::size_t cr = 0;
  std::size_t lf = 0;
  bool known = false;
  std::size_t i = 0;
  while (i < size) {
    if (after_cr_) {
      after_cr_ = false;
      if (data[i] == '\n') {
        // CR LF: the line ended at the CR has a two-byte break after all.
        if (entries_.back() == kLong) {
          long_.back().break_bytes = 2;
        } else {
          ++entries_.back();
        }
        ++next_start_;
        ++bytes_;
        ++i;
        continue;
      }
    }
    if (!known || cr < i) cr = find('\r', i);
    if (!known || lf < i) lf = find('\n', i);
    known = true;
    const std::size_t at = std::min(cr, lf);
    if (at == size) {
      open_length_ += size - i;
      bytes_ += size - i;
      break;
    }
    open_length_ += at - i;
    bytes_ += at - i + 1;
    PushLine(open_length_, 1);
    open_length_ = 0;
    after_cr_ = at == cr;
    i = at + 1;
  }
}

void LineIndex::EndLine() {
  if (open_length_ > 0) PushLine(open_length_, 0);
  open_length_ = 0;
  after_cr_ = false;
}

void LineIndex::PushLine(std::uint64_t length, std::uint64_t break_bytes) {
  if (count_ % kGroupLines == 0) group_start_.push_back(next_start_);
  if (length < kShortLimit) {
    entries_.push_back(static_cast<std::uint8_t>(length * 4 + break_bytes));
  } else {
    entries_.push_back(kLong);
    long_.push_back({count_, length, break_bytes});
  }
  next_start_ += length + break_bytes;
  ++count_;
}

const LineIndex::LongLine& LineIndex::Long(std::uint64_t line) const {
  return *std::lower_bound(long_.begin(), long_.end(), line,
                           [](const LongLine& entry, std::uint64_t l) { return entry.line < l; });
}

std::uint64_t LineIndex::LineLength(std::uint64_t line) const {
  const std::uint8_t entry = entries_[line];
  if (entry == kLong) return Long(line).length;
  return entry / 4u;
}

std::uint64_t LineIndex::Span(std::uint64_t line) const {
  const std::uint8_t entry = entries_[line];
  if (entry == kLong) {
    const LongLine& long_line = Long(line);
    return long_line.length + long_line.break_bytes;
  }
  return entry / 4u + entry % 4u;
}

std::uint64_t LineIndex::LineStart(std::uint64_t line) const {
  const std::uint64_t group_first = line / kGroupLines * kGroupLines;
  std::uint64_t at = group_first;
  std::uint64_t start = group_start_[line / kGroupLines];
  if (cached_line_ != UINT64_MAX && cached_line_ >= group_first && cached_line_ <= line) {
    at = cached_line_;
    start = cached_start_;
  }
  for (; at < line; ++at) start += Span(at);
  cached_line_ = line;
  cached_start_ = start;
  return start;
}

}  // namespace dalvo
