#include "frontend/logic/edit_buffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace dalvo {

void NormalizeLineBreaks(std::string& text) {
  // In place: a pasted number of a billion digits is not copied once more for this.
  std::size_t at = text.find('\r');
  if (at == std::string::npos) return;
  std::size_t out = at;
  for (; at < text.size(); ++at) {
    if (text[at] != '\r') {
      text[out++] = text[at];
      continue;
    }
    text[out++] = '\n';
    if (at + 1 < text.size() && text[at + 1] == '\n') ++at;
  }
  text.resize(out);
}

void EditBuffer::MoveGap(std::size_t to) {
  const std::size_t gap = gap_end_ - gap_start_;
  if (gap == 0 || to == gap_start_) {
    gap_start_ = to;
    gap_end_ = to + gap;
    return;
  }
  if (to < gap_start_) {
    std::memmove(buffer_.get() + to + gap, buffer_.get() + to, gap_start_ - to);
  } else if (to > gap_start_) {
    std::memmove(buffer_.get() + gap_start_, buffer_.get() + gap_end_, to - gap_start_);
  }
  gap_start_ = to;
  gap_end_ = to + gap;
}

void EditBuffer::Reserve(std::size_t more) {
  if (gap_end_ - gap_start_ >= more) return;
  const std::size_t size = static_cast<std::size_t>(Size());
  // Doubling keeps typing at the end of a long text cheap on average.
  const std::size_t capacity = std::max(size + more + 4096, capacity_ * 2);
  // for_overwrite: the gap needs no zeroes, and zeroing a gigabyte costs what copying it does.
  auto grown = std::make_unique_for_overwrite<char[]>(capacity);
  const std::size_t tail = capacity_ - gap_end_;
  // (An empty buffer is null, which memcpy must not see even for no bytes.)
  if (gap_start_ > 0) std::memcpy(grown.get(), buffer_.get(), gap_start_);
  if (tail > 0) std::memcpy(grown.get() + capacity - tail, buffer_.get() + gap_end_, tail);
  gap_end_ = capacity - tail;
  capacity_ = capacity;
  buffer_ = std::move(grown);
}

void EditBuffer::Replace(std::uint64_t from, std::uint64_t to, std::string_view text) {
  const std::uint64_t size = Size();
  from = std::min(from, size);
  to = std::min(to, size);
  if (to < from) std::swap(from, to);

  // Lines that began inside the replaced range go; later ones move by the change of length.
  auto first_after = std::upper_bound(line_starts_.begin(), line_starts_.end(), from);
  auto past_range = std::upper_bound(first_after, line_starts_.end(), to);
  first_after = line_starts_.erase(first_after, past_range);
  for (auto it = first_after; it != line_starts_.end(); ++it) *it = *it - (to - from) + text.size();
  std::vector<std::uint64_t> added;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') added.push_back(from + i + 1);
  }
  line_starts_.insert(first_after, added.begin(), added.end());

  MoveGap(static_cast<std::size_t>(from));
  gap_end_ += static_cast<std::size_t>(to - from);
  Reserve(text.size());
  if (!text.empty()) std::memcpy(buffer_.get() + gap_start_, text.data(), text.size());
  gap_start_ += text.size();
}

void EditBuffer::AppendRange(std::uint64_t from, std::uint64_t to, std::string& out) const {
  const auto a = static_cast<std::size_t>(from);
  const auto b = static_cast<std::size_t>(to);
  if (a >= b) return;
  if (a < gap_start_) out.append(buffer_.get() + a, std::min(b, gap_start_) - a);
  if (b > gap_start_) {
    const std::size_t start = std::max(a, gap_start_);
    const std::size_t gap = gap_end_ - gap_start_;
    out.append(buffer_.get() + start + gap, b - start);
  }
}

std::string EditBuffer::Text(std::uint64_t from, std::uint64_t to) const {
  const std::uint64_t size = Size();
  from = std::min(from, size);
  to = std::min(to, size);
  if (to < from) std::swap(from, to);
  std::string out;
  out.reserve(static_cast<std::size_t>(to - from));
  AppendRange(from, to, out);
  return out;
}

std::uint64_t EditBuffer::OffsetOf(TextPos pos) const {
  pos = Clamp(*this, pos);
  return line_starts_[static_cast<std::size_t>(pos.line)] + pos.col;
}

TextPos EditBuffer::PosOf(std::uint64_t offset) const {
  offset = std::min(offset, Size());
  const auto after = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  const auto line = static_cast<std::uint64_t>(after - line_starts_.begin()) - 1;
  return {line, offset - line_starts_[static_cast<std::size_t>(line)]};
}

std::uint64_t EditBuffer::LineLength(std::uint64_t line) const {
  const auto l = static_cast<std::size_t>(line);
  const std::uint64_t end = l + 1 < line_starts_.size() ? line_starts_[l + 1] - 1 : Size();
  return end - line_starts_[l];
}

void EditBuffer::AppendLine(std::uint64_t line, std::uint64_t from, std::uint64_t to,
                            std::string& out) const {
  const std::uint64_t start = line_starts_[static_cast<std::size_t>(line)];
  if (to > from) AppendRange(start + from, start + to, out);
}

}  // namespace dalvo
