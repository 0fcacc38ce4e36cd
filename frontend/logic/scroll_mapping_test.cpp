#include "frontend/logic/scroll_mapping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace dalvo {
namespace {

TEST(ScrollMapping, TheBarReachesBothEndsAtAnySize) {
  const std::uint64_t limit = kMaxScrollValue;
  const std::vector<std::uint64_t> sizes = {0,         1,     1000, limit, limit + 1, 3 * limit + 2,
                                           10'000'000'000, 1'000'000'000'000};
  for (std::uint64_t max_top : sizes) {
    SCOPED_TRACE(max_top);
    const int largest = ScrollValueFor(max_top, max_top);
    EXPECT_LE(largest, kMaxScrollValue);
    EXPECT_EQ(ScrollValueFor(0, max_top), 0);
    EXPECT_EQ(TopRowFor(0, max_top), 0u);
    EXPECT_EQ(TopRowFor(largest, max_top), max_top);
    EXPECT_EQ(TopRowFor(-5, max_top), 0u);
    EXPECT_EQ(ScrollValueFor(max_top + 10, max_top), largest);
    if (max_top <= limit) {
      EXPECT_EQ(largest, static_cast<int>(max_top));  // one row a value
      EXPECT_EQ(TopRowFor(largest / 2, max_top), max_top / 2);
    } else {
      // Every row but the first moves the bar off its top; the values rise with the rows.
      EXPECT_EQ(ScrollValueFor(1, max_top), 1);
      EXPECT_LE(ScrollValueFor(max_top / 2, max_top), ScrollValueFor(max_top / 2 + 1, max_top));
      const int middle = ScrollValueFor(max_top / 2, max_top);
      EXPECT_GE(TopRowFor(middle, max_top), max_top / 2);
      EXPECT_LT(TopRowFor(middle, max_top) - max_top / 2, RowsPerScrollValue(max_top));
    }
  }
}

}  // namespace
}  // namespace dalvo
