// The single-precision step of the per-digit division by 19, as the report is defined: the
// reciprocal and the quotient estimate every faster path must reproduce in the report's last
// value. Constants and pure functions only; nothing here can fail.
#pragma once

#include <bit>
#include <cstdint>

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

}  // namespace dalvo
