// The division's rule (division_rule.h) one byte at a time, with nothing faster in between. The
// 16-digit block and the chain's states are compared with it in tests; the other faster paths
// with the schoolbook oracle (OracleReport), which DivisionRule.ReportsAgreeWithSchoolbookDivision
// ties to it through this divider; the benchmarks time it (BM_RulePerDigit). Holds its own
// small state; writes quotient digits into a string the caller owns and cannot fail.
#pragma once

#include <cstdint>
#include <string>

#include "engine/division_rule.h"

namespace dalvo {

// One division in progress, fed one byte at a time.
class ReferenceDivider {
 public:
  // Skips a non-digit; for a digit, writes the held quotient digit to `quotient` once the
  // quotient has started, then takes the digit by TakeDigit.
  void Step(unsigned char byte, std::string& quotient);

  const DivisionState& state() const { return state_; }
  std::uint32_t remainder() const { return state_.remainder; }
  // The report's last value after the digits so far (0.0 before any).
  float quotient_estimate() const { return LastEstimate(state_); }
  bool quotient_started() const { return state_.started; }
  std::uint64_t digit_count() const { return state_.digit_count; }

 private:
  DivisionState state_;
};

}  // namespace dalvo
