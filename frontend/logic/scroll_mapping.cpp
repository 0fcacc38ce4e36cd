#include "frontend/logic/scroll_mapping.h"

#include <algorithm>
#include <cstdint>

namespace dalvo {

std::uint64_t RowsPerScrollValue(std::uint64_t max_top) {
  const auto limit = static_cast<std::uint64_t>(kMaxScrollValue);
  return max_top <= limit ? 1 : (max_top + limit - 1) / limit;
}

int ScrollValueFor(std::uint64_t top, std::uint64_t max_top) {
  const std::uint64_t step = RowsPerScrollValue(max_top);
  // Rounded up, so that only the top row 0 gives value 0 and max_top gives the largest value.
  return static_cast<int>((std::min(top, max_top) + step - 1) / step);
}

std::uint64_t TopRowFor(int value, std::uint64_t max_top) {
  if (value <= 0) return 0;
  const std::uint64_t step = RowsPerScrollValue(max_top);
  return std::min(static_cast<std::uint64_t>(value) * step, max_top);
}

}  // namespace dalvo
