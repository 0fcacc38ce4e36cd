#include "division_report.h"

#include <cmath>
#include <cstdio>

namespace dalvo {

std::string FormatReportTail(const DivisionTally& tally, const std::string& input_name) {
  // The estimate never exceeds 9.9999 (running values stay below 190), so 16 bytes are ample.
  char fixed[32];
  const int length =
      std::snprintf(fixed, sizeof fixed, "%.4f", static_cast<double>(tally.quotient_estimate));
  std::string text(fixed, static_cast<std::size_t>(length));

  text += "\n\nNumber of digits read from file \"";
  text += input_name;
  text += "\": ";
  text += std::to_string(tally.digit_count);
  text += "\n";

  // The verdict looks at the fraction of the single-precision estimate, which is zero exactly
  // when the final remainder is zero.
  const float fraction = tally.quotient_estimate - std::trunc(tally.quotient_estimate);
  const bool multiple = fraction == 0.0f && tally.quotient_started;
  if (multiple) text += "The number IS a multiple of 19!\n";
  if (fraction != 0.0f) text += "The number is NOT a multiple of 19.\n";
  if (multiple && tally.digit_count % 19 == 0) {
    text += "The amount of ";
    text += "digits read is also a multiple\nof 19:  ";
    text += std::to_string(tally.digit_count);
    text += " = 19x";
    text += std::to_string(tally.digit_count / 19);
    text += "\n\n";
  } else {
    text += "\n";
  }
  return text;
}

}  // namespace dalvo
