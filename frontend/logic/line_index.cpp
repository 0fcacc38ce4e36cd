#include "frontend/logic/line_index.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace dalvo {
namespace {

// The next CR or LF of a stretch, found with memchr, which is vectorised: a line of a billion
// digits is two fast scans, not a loop over its bytes. Each character's last find is kept, so
// a stretch of many CRs and no LF is not scanned again for an LF at every CR.
class BreakFinder {
 public:
  explicit BreakFinder(std::string_view text) : text_(text) {}

  // The offset of the first CR or LF at or after `from`; the stretch's size when none.
  std::size_t Next(std::size_t from) {
    if (!known_ || cr_ < from) cr_ = Find('\r', from);
    if (!known_ || lf_ < from) lf_ = Find('\n', from);
    known_ = true;
    return std::min(cr_, lf_);
  }

 private:
  std::size_t Find(char c, std::size_t from) const {
    const void* found = std::memchr(text_.data() + from, c, text_.size() - from);
    return found == nullptr ? text_.size()
                            : static_cast<std::size_t>(static_cast<const char*>(found) -
                                                       text_.data());
  }

  std::string_view text_;
  std::size_t cr_ = 0;
  std::size_t lf_ = 0;
  bool known_ = false;
};

}  // namespace

LineIndex::LineIndex(LineIndexOptions options)
    : region_(std::max<std::uint64_t>(options.region_bytes, 1)),
      max_checkpoints_(std::max<std::size_t>(options.max_checkpoints, 2)) {}

void LineIndex::CheckpointsUpTo(std::uint64_t offset) {
  while (checkpoints_.size() * region_ <= offset) {
    checkpoints_.push_back(breaks_);
    if (checkpoints_.size() > max_checkpoints_) {
      // Twice the region, half the checkpoints: every other one already counts the breaks
      // before a boundary of the larger regions.
      std::size_t kept = 0;
      for (std::size_t i = 0; i < checkpoints_.size(); i += 2) checkpoints_[kept++] = checkpoints_[i];
      checkpoints_.resize(kept);
      region_ *= 2;
    }
  }
}

void LineIndex::Add(std::string_view piece) {
  if (piece.empty()) return;
  found_ = {};  // a CR remembered at the end may now have its LF
  BreakFinder finder(piece);
  std::size_t i = 0;
  while (i < piece.size()) {
    const std::size_t at = finder.Next(i);
    if (at == piece.size()) break;
    const std::uint64_t offset = bytes_ + at;
    CheckpointsUpTo(offset);
    const char before = at > 0 ? piece[at - 1] : last_;
    // The LF of a CR LF belongs to the break the CR began.
    if (!(piece[at] == '\n' && before == '\r')) ++breaks_;
    open_start_ = offset + 1;
    i = at + 1;
  }
  bytes_ += piece.size();
  CheckpointsUpTo(bytes_);
  last_ = piece.back();
}

void LineIndex::EndLine() {
  if (bytes_ > open_start_) ended_ = true;
}

LineIndex::Break LineIndex::FindBreak(std::uint64_t number, ByteSource& bytes) const {
  for (const Break& f : found_) {
    if (f.number == number) return f;
  }
  // The region holding the break: the last checkpoint with fewer breaks before it. Walking
  // through the lines in order, it is most often the region of the break found last, which
  // spares the search (whose mispredicted branches cost more than the rest of a short line).
  std::uint64_t region = UINT64_MAX;
  for (const Break& f : found_) {
    const std::uint64_t r = f.region;
    if (f.number != 0 && f.number < number && r + 1 < checkpoints_.size() &&
        checkpoints_[r] < number && checkpoints_[r + 1] >= number) {
      region = r;
    }
  }
  if (region == UINT64_MAX) {
    const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), number - 1);
    region = static_cast<std::uint64_t>(after - checkpoints_.begin()) - 1;
  }
  const std::uint64_t region_start = region * region_;
  const std::uint64_t region_end = std::min(region_start + region_, bytes_);
  std::uint64_t pos = region_start;
  std::uint64_t count = checkpoints_[region];
  bool from_found = false;
  // A break found before and lying in this region saves reading up to it.
  for (const Break& f : found_) {
    if (f.number != 0 && f.number < number && f.at >= region_start && f.number >= count &&
        f.end >= pos) {
      pos = f.end;
      count = f.number;
      from_found = true;
    }
  }
  // Whether the byte before `pos` is a CR, whose LF at `pos` would be no break of its own.
  // After a break found before it is not: a CR's LF is part of that break's end.
  char before = 0;
  if (!from_found && pos > 0) {
    const std::string_view prev = bytes.BytesAt(pos - 1);
    if (!prev.empty()) before = prev[0];
  }
  // Read in stretches growing from a short one: the next line is usually short, and a scan for
  // a CR in a text of LFs alone would otherwise run to the region's end every time.
  std::size_t stretch = 64;
  while (pos < region_end) {
    const std::string_view view = bytes.BytesAt(pos);
    if (view.empty()) break;
    const std::string_view part = view.substr(
        0, static_cast<std::size_t>(std::min<std::uint64_t>(
               std::min<std::uint64_t>(view.size(), stretch), region_end - pos)));
    stretch = std::min<std::size_t>(stretch * 2, std::size_t{1} << 20);
    BreakFinder finder(part);
    for (std::size_t j = finder.Next(0); j < part.size(); j = finder.Next(j + 1)) {
      const char prev = j > 0 ? part[j - 1] : before;
      if (part[j] == '\n' && prev == '\r') continue;
      if (++count != number) continue;
      Break found{number, pos + j, pos + j + 1, region};
      if (part[j] == '\r' && found.end < bytes_) {
        const std::string_view next =
            j + 1 < view.size() ? view.substr(j + 1) : bytes.BytesAt(found.end);
        if (!next.empty() && next[0] == '\n') ++found.end;
      }
      found_[next_found_] = found;
      next_found_ = (next_found_ + 1) % found_.size();
      return found;
    }
    before = part.back();
    pos += part.size();
  }
  // The bytes read again are not those indexed (the file changed under us): the break is put at
  // the region's end, which keeps every line inside the text and the lines in order.
  return {number, region_end, region_end, region};
}

std::uint64_t LineIndex::LineStart(std::uint64_t line, ByteSource& bytes) const {
  if (line == 0) return 0;
  if (line < breaks_) return FindBreak(line, bytes).end;
  if (line == breaks_) return open_start_;
  return bytes_;
}

std::uint64_t LineIndex::LineEnd(std::uint64_t line, ByteSource& bytes) const {
  if (line < breaks_) return FindBreak(line + 1, bytes).at;
  return bytes_;
}

LineIndex::Span LineIndex::LineSpan(std::uint64_t line, ByteSource& bytes) const {
  const std::uint64_t start = LineStart(line, bytes);
  return {start, std::max(start, LineEnd(line, bytes))};
}

std::uint64_t LineIndex::LineLength(std::uint64_t line, ByteSource& bytes) const {
  const Span span = LineSpan(line, bytes);
  return span.end - span.start;
}

}  // namespace dalvo
