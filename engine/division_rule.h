// The division's rule: how one digit turns the held remainder into a quotient digit, how the
// quotient starts and which digit is held back for the report's last value. This is the rule;
// every faster path (16-digit blocks, the vector kernels, the remainder chain) is an
// acceleration of it, compared in tests either with ReferenceDivider (the rule a byte at a time)
// or with the schoolbook oracle OracleReport, which DivisionRule.ReportsAgreeWithSchoolbookDivision
// ties to the rule. Each path's comment names its test. Constants and pure functions only.
#pragma once

#include <bit>
#include <cstdint>

namespace dalvo {

// Where a division stands between two bytes of its input: everything it needs to go on from
// there, so a division can stop at any byte and another one resume it, on another thread.
struct DivisionState {
  std::uint32_t remainder = 0;    // of the digits so far, below 19
  char held = '0';                // the newest quotient digit, not yet written ('0' at first)
  bool started = false;           // a non-zero quotient digit has appeared
  std::uint64_t digit_count = 0;  // digits so far, leading zeros included
  bool operator==(const DivisionState&) const = default;
};

// One digit's step of the long division.
struct DigitStep {
  std::uint32_t running_value;   // 10 * remainder + digit, 0 to 189
  std::uint32_t quotient_digit;  // running_value / 19, 0 to 9
  std::uint32_t remainder;       // running_value % 19, the remainder after the digit
};

// The step for `digit` (0 to 9) taken into `remainder` (below 19).
constexpr DigitStep DivideDigit(std::uint32_t remainder, std::uint32_t digit) {
  const std::uint32_t running_value = 10 * remainder + digit;
  const std::uint32_t quotient_digit = running_value / 19;
  return {running_value, quotient_digit, running_value - 19 * quotient_digit};
}

// The state after one more digit (0 to 9) of a division that stood at `before`. What the step
// writes comes first: `before.held` when `before.started`, nothing otherwise, so leading zeros
// are never written. The step's own quotient digit is held until another digit follows; the
// last one held is the integer part of the report's last value.
constexpr DivisionState TakeDigit(const DivisionState& before, std::uint32_t digit) {
  const DigitStep step = DivideDigit(before.remainder, digit);
  return {step.remainder, static_cast<char>('0' + step.quotient_digit),
          before.started || step.quotient_digit != 0, before.digit_count + 1};
}

// The report's last value is the last running value times the single-precision number nearest
// to 1/19, slightly above it (19 times it is 1 + 2^-27). For every running value (0 to 189) its
// integer part is the step's quotient digit and its four decimals are remainder / 19 rounded.
inline constexpr float kReciprocal19 = std::bit_cast<float>(std::uint32_t{0x3D579436});

// The product of a running value (0 to 189) and kReciprocal19, exact in double precision.
constexpr double ExactProduct(std::uint32_t running_value) {
  return static_cast<double>(running_value) * static_cast<double>(kReciprocal19);
}

// The quotient estimate of a running value: the exact product rounded to single precision.
constexpr float QuotientEstimate(std::uint32_t running_value) {
  return static_cast<float>(ExactProduct(running_value));
}

// The report's last value for a division that ends in `state`: the last running value is
// recovered from the held quotient digit and the remainder.
constexpr float LastEstimate(const DivisionState& state) {
  return QuotientEstimate(static_cast<std::uint32_t>(19 * (state.held - '0')) + state.remainder);
}

}  // namespace dalvo
