// The per-digit division by 19 in single precision, step by step as the report is defined: the
// reading every faster path must reproduce. Holds only its own small state; it writes quotient
// digits into a string the caller owns and cannot fail.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace dalvo {

// The single-precision number nearest to 1/19, slightly above it (19 times it is 1 + 2^-27).
inline constexpr float kReciprocal19 = std::bit_cast<float>(std::uint32_t{0x3D579436});

// The product of a running value (0 to 189) and kReciprocal19, exact in double precision.
inline double ExactProduct(std::uint32_t running_value) {
  return static_cast<double>(running_value) * static_cast<double>(kReciprocal19);
}

// The quotient estimate of a running value: the exact product rounded to single precision.
inline float QuotientEstimate(std::uint32_t running_value) {
  return static_cast<float>(ExactProduct(running_value));
}

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

// The whole report text for `input` (the bytes of a file named `input_name`), by the
// per-digit procedure. Slow and memory-hungry by design: for tests and comparisons only.
std::string ReferenceReport(std::string_view input, const std::string& input_name);

}  // namespace dalvo
