#include "engine/testing/reference_divider.h"

#include <cstdint>

namespace dalvo {

void ReferenceDivider::Step(unsigned char byte, std::string& quotient) {
  if (byte < '0' || byte > '9') return;
  // The digit of the previous step, written only now that another digit follows it.
  if (state_.started) quotient += state_.held;
  state_ = TakeDigit(state_, static_cast<std::uint32_t>(byte - '0'));
}

}  // namespace dalvo
