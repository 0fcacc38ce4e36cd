// The per-digit division by 19 in single precision, one byte at a time, exactly as the report
// is defined: the procedure every faster path reproduces, kept for tests and benchmarks that
// compare against it. The product uses only its estimate (division_reference.h). Holds its own
// small state; writes quotient digits into a string the caller owns and cannot fail.
#pragma once

#include <cstdint>
#include <string>

namespace dalvo {

// One division in progress, fed one byte at a time.
class ReferenceDivider {
 public:
  // Skips a non-digit; for a digit, writes the previous quotient digit to `quotient` once the
  // quotient has started, then takes the digit into the running value.
  void Step(unsigned char byte, std::string& quotient);

  std::uint32_t running_value() const { return running_value_; }
  float quotient_estimate() const { return quotient_estimate_; }
  bool quotient_started() const { return quotient_started_; }
  std::uint64_t digit_count() const { return digit_count_; }

 private:
  std::uint32_t running_value_ = 0;
  float quotient_estimate_ = 0.0f;
  bool quotient_started_ = false;
  std::uint64_t digit_count_ = 0;
};

}  // namespace dalvo
