// The division report that follows the quotient digits: the last quotient digit with four
// decimals, the digit-count line, the verdict and the amount line. Pure formatting of the final
// state of a division; it owns nothing and cannot fail.
#pragma once

#include <cstdint>
#include <string>

namespace dalvo {

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
