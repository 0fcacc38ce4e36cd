#include "engine/last_digit.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace dalvo {
namespace {

TEST(LastDigit, SmallValuesPassAndLargerOnesKeepTheirLastDigit) {
  struct Case {
    std::int32_t n;
    std::int32_t expected;
  };
  constexpr Case kCases[] = {{0, 0},   {7, 7},   {9, 9},     {10, 0},    {19, 9},  {99, 9},
                             {100, 0}, {127, 7}, {285, 5},   {1009, 9},  {-5, -5}, {-40, -40}};
  for (const Case& c : kCases) EXPECT_EQ(LastDigit(c.n), c.expected) << "n = " << c.n;
}

}  // namespace
}  // namespace dalvo
