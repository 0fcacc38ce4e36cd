// The vertical scroll bar of a text box over any number of rows. A scroll bar takes int values;
// a billion-digit line wrapped at a narrow width has more rows than that. Up to kMaxScrollValue
// rows a value is a row; beyond, each value stands for a fixed number of rows, so the bar still
// reaches both ends exactly. Pure; no failure.
#pragma once

#include <cstdint>

namespace dalvo {

inline constexpr int kMaxScrollValue = 1 << 30;

// Rows per scroll bar value when the top row may go from 0 to `max_top` (at least 1).
std::uint64_t RowsPerScrollValue(std::uint64_t max_top);
// The scroll bar's value for top row `top` (clamped to `max_top`); max_top itself maps to the
// largest value, ScrollValueFor(max_top, max_top).
int ScrollValueFor(std::uint64_t top, std::uint64_t max_top);
// The top row for scroll bar value `value` (negative counts as 0); the largest value gives
// `max_top`.
std::uint64_t TopRowFor(int value, std::uint64_t max_top);

}  // namespace dalvo
