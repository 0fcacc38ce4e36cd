// The digit a number file writes for a verse or sura number: the number itself up to 9, its
// last decimal digit above that. A header of its own so the files' generator and its test share
// the rule without the library exporting it. Pure; cannot fail.
#pragma once

#include <cstdint>

namespace dalvo {

// For n <= 9 returns n itself (negative values included); otherwise the last decimal digit of n.
constexpr std::int32_t LastDigit(std::int32_t n) { return n <= 9 ? n : n % 10; }

}  // namespace dalvo
