// The division report and the buffer it goes through: ReportBuffer, a fixed-size byte buffer
// between the division and its destination (a FILE*, a string, or a window of the caller's
// memory that one piece of a threaded division fills), and the report's tail after the quotient
// digits. The caller owns every destination; a failed write is remembered, not thrown: `failed()`
// stays true from then on and later bytes are dropped. Formatting the tail cannot fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace dalvo {

class ReportBuffer {
 public:
  // The largest reservation `Reserve` accepts; capacities below it are raised to it.
  static constexpr std::size_t kMaxReserve = 64;

  // Drains into `file`, which must stay open while the buffer lives.
  ReportBuffer(std::FILE* file, std::size_t capacity);
  // Drains by appending to `*text`, which must outlive the buffer.
  ReportBuffer(std::string* text, std::size_t capacity);
  // Fills `window` (`capacity` bytes, at least kMaxReserve, owned by the caller, who takes the
  // bytes from `written()`). It has nowhere to drain: a drain that finds bytes fails the buffer.
  ReportBuffer(char* window, std::size_t capacity);
  ReportBuffer(const ReportBuffer&) = delete;
  ReportBuffer& operator=(const ReportBuffer&) = delete;

  // The raw window for hot loops: write in [cursor(), limit()), then `SetCursor`.
  char* cursor() const { return cursor_; }
  char* limit() const { return limit_; }
  void SetCursor(char* cursor) { cursor_ = cursor; }

  void Put(char c) { *Reserve(1) = c; ++cursor_; }
  void Append(std::string_view bytes);

  // Hands every buffered byte to the destination (fwrite, or a string append) and empties the
  // buffer. Returns false, now and later, once any write came up short.
  bool Drain();
  bool failed() const { return failed_; }
  // The errno value of the write that failed, 0 while none did.
  int error() const { return error_; }

  // Drains, then hands `bytes` to the destination directly, without copying them into the
  // buffer. Same result as Drain.
  bool Pass(std::string_view bytes);

  // The bytes written since the last drain.
  std::string_view written() const {
    return std::string_view(base_, static_cast<std::size_t>(cursor_ - base_));
  }

 private:
  // A buffer of its own, `capacity` bytes raised to kMaxReserve, with nowhere to drain yet: the
  // constructors for a file and a string add that.
  explicit ReportBuffer(std::size_t capacity);

  // Room for at least `n` (<= kMaxReserve) bytes from the returned cursor; drains when needed.
  char* Reserve(std::size_t n) {
    if (static_cast<std::size_t>(limit_ - cursor_) < n) Drain();
    return cursor_;
  }
  bool Deliver(const char* bytes, std::size_t size);

  std::unique_ptr<char[]> storage_;  // empty for a window
  char* base_;
  char* cursor_;
  char* limit_;
  std::FILE* file_ = nullptr;
  std::string* text_ = nullptr;
  bool failed_ = false;
  int error_ = 0;
};

// The final state of a division, whichever path computed it.
struct DivisionTally {
  float quotient_estimate = 0.0f;  // of the last running value (0.0 when no digit was read)
  bool quotient_started = false;   // a non-zero quotient digit has appeared
  std::uint64_t digit_count = 0;   // digits read, leading zeros included
};

// Everything written after the quotient digits: quotient_estimate as printf's "%.4f", an empty
// line, the digit-count line naming `input_name`, then the verdict and amount lines (or the
// single closing line end). Always ends with an empty line.
std::string FormatReportTail(const DivisionTally& tally, const std::string& input_name);

}  // namespace dalvo
