// LineIndex: where the lines of a text fed piece by piece begin and end, in memory bounded
// whatever the text's size or number of lines. A line ends at CR, at CR LF or at a lone LF (the
// engine writes its reports with LFs, the help text has CR LFs); the break is no part of the
// line, and pieces may split a line, or a CR from its LF, anywhere. The index keeps only the
// number of breaks before every region of the text (a checkpoint a region, the regions doubling
// in size when the checkpoints pass their bound) and finds a line by reading one region again
// from a ByteSource. No failure: bytes that cannot be read again give lines ending at their
// region's end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "frontend/logic/byte_source.h"

namespace dalvo {

struct LineIndexOptions {
  // The size of a region to begin with (0 counts as 1): reading one costs a lookup this much.
  std::uint64_t region_bytes = std::uint64_t{64} << 10;
  // The most checkpoints kept (at least 2); one more doubles the regions and halves them.
  std::size_t max_checkpoints = std::size_t{1} << 20;
};

class LineIndex {
 public:
  explicit LineIndex(LineIndexOptions options = {});

  // Takes the next bytes of the text.
  void Add(std::string_view piece);
  // Ends the text: a last line that has characters but no break is ended as if a break
  // followed. Nothing is added afterwards.
  void EndLine();

  // Lines ended so far (by a break or by EndLine).
  std::uint64_t LineCount() const { return breaks_ + (ended_ ? 1 : 0); }
  // The bytes taken in.
  std::uint64_t Bytes() const { return bytes_; }

  // The offset of the first byte of `line` (<= LineCount(): the line not yet ended counts, with
  // what it has so far), reading the text again from `bytes` as needed. Quick for the line
  // after the one asked for last; otherwise a search over the checkpoints and one region read.
  std::uint64_t LineStart(std::uint64_t line, ByteSource& bytes) const;
  // The characters of `line` (as for LineStart), its break not included.
  std::uint64_t LineLength(std::uint64_t line, ByteSource& bytes) const;
  // Where `line` (as for LineStart) begins and where it ends (its break, or the text's end;
  // never before its start), in one walk.
  struct Span {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
  };
  Span LineSpan(std::uint64_t line, ByteSource& bytes) const;

  // Memory held by the checkpoints now, and the most it can reach.
  std::size_t HeldBytes() const { return checkpoints_.capacity() * sizeof(std::uint64_t); }
  std::size_t MaxHeldBytes() const { return 2 * (max_checkpoints_ + 1) * sizeof(std::uint64_t); }
  // The present size of a region. For the tests only: they check that regions grow once the
  // checkpoints reach their most.
  std::uint64_t RegionBytes() const { return region_; }

 private:
  // Where break `number` (counted from 1) begins and where the line after it begins.
  struct Break {
    std::uint64_t number = 0;  // 0: no break remembered here
    std::uint64_t at = 0;
    std::uint64_t end = 0;
    std::uint64_t region = 0;  // the region it was found in
  };

  // Checkpoints for every region boundary at or before `offset`, with the breaks counted so far.
  void CheckpointsUpTo(std::uint64_t offset);
  // Break `number` (1 to breaks_), read from `bytes` through one region.
  Break FindBreak(std::uint64_t number, ByteSource& bytes) const;
  // The offset where `line` ends (its break, or the end of the text).
  std::uint64_t LineEnd(std::uint64_t line, ByteSource& bytes) const;

  std::uint64_t region_;
  std::size_t max_checkpoints_;
  std::vector<std::uint64_t> checkpoints_{0};  // [r]: breaks beginning before r * region_
  std::uint64_t breaks_ = 0;
  std::uint64_t bytes_ = 0;
  std::uint64_t open_start_ = 0;  // where the line after the last break begins
  char last_ = 0;                 // the last byte taken in
  bool ended_ = false;            // EndLine ended a line that had no break
  // The breaks found last: a walk through the lines in order reads each region once.
  mutable std::array<Break, 2> found_{};
  mutable std::size_t next_found_ = 0;
};

}  // namespace dalvo
