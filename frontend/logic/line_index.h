// LineIndex: where the lines of a file fed piece by piece begin and how long they are. A line
// ends at CR, at CR LF or at a lone LF (the engine writes its reports with LFs, the help text
// has CR LFs); the break is no part of the line. Pieces may split a line, or a CR from its LF,
// anywhere. About one byte a line plus 24 bytes for each line of 63 characters or more, so even
// a file of nothing but line breaks costs less than its own size. No failure.
#ifndef DALVO_FRONTEND_LOGIC_LINE_INDEX_H_
#define DALVO_FRONTEND_LOGIC_LINE_INDEX_H_

#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

namespace dalvo {

class LineIndex {
 public:
  // Takes the next bytes of the file.
  void Add(std::string_view piece);
  // Ends a line that has characters but no break yet, as if a break followed; an LF right
  // after a CR taken in before this call then starts a line of its own.
  void EndLine();

  // Lines ended so far (by a break or by EndLine).
  std::uint64_t LineCount() const { return count_; }
  // Characters of the ended line `line` (< LineCount()), its break not included.
  std::uint64_t LineLength(std::uint64_t line) const;
  // The offset of the first byte of the ended line `line` (< LineCount()). Constant time when
  // lines are asked for in order; otherwise up to kGroupLines steps.
  std::uint64_t LineStart(std::uint64_t line) const;
  // The bytes taken in.
  std::uint64_t Bytes() const { return bytes_; }

 private:
  static constexpr std::uint64_t kGroupLines = 256;
  // A line's entry: its length times 4 plus the bytes of its break (0, 1 or 2), for lengths
  // below 63; kLong sends the reader to long_.
  static constexpr std::uint8_t kLong = 0xFF;
  static constexpr std::uint64_t kShortLimit = 63;

  struct LongLine {
    std::uint64_t line;
    std::uint64_t length;
    std::uint64_t break_bytes;
  };

  void PushLine(std::uint64_t length, std::uint64_t break_bytes);
  // The ended line `line` takes its characters plus its break.
  std::uint64_t Span(std::uint64_t line) const;
  const LongLine& Long(std::uint64_t line) const;

  std::deque<std::uint8_t> entries_;  // a deque: growing never copies (or doubles) the index
  std::vector<LongLine> long_;
  std::vector<std::uint64_t> group_start_;  // offset of line i * kGroupLines
  std::uint64_t count_ = 0;
  std::uint64_t bytes_ = 0;
  std::uint64_t next_start_ = 0;   // where the line after the last ended one begins
  std::uint64_t open_length_ = 0;  // characters of the line not yet ended
  bool after_cr_ = false;          // the last line ended at a CR; an LF next completes it
  mutable std::uint64_t cached_line_ = UINT64_MAX;  // LineStart's last answer
  mutable std::uint64_t cached_start_ = 0;
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_LINE_INDEX_H_
