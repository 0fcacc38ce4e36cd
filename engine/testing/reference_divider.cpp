#include "reference_divider.h"

#include "division_reference.h"

namespace dalvo {

void ReferenceDivider::Step(unsigned char byte, std::string& quotient) {
  if (byte < '0' || byte > '9') return;
  if (quotient_started_) {
    // The digit of the previous step, written only now that another digit follows it.
    quotient += static_cast<char>('0' + static_cast<int>(quotient_estimate_));
  }
  running_value_ = 10 * running_value_ + static_cast<std::uint32_t>(byte - '0');
  const double product = ExactProduct(running_value_);
  quotient_estimate_ = static_cast<float>(product);
  if (quotient_estimate_ >= 1.0f) quotient_started_ = true;
  // Truncating the exact product, not the rounded estimate, keeps the remainder exact.
  running_value_ -= 19 * static_cast<std::uint32_t>(product);
  ++digit_count_;
}

}  // namespace dalvo
