#include "engine/division_report.h"

#include <gtest/gtest.h>

#include "engine/division_rule.h"

namespace dalvo {
namespace {

TEST(DivisionReport, CountsBeyondThirtyTwoBitsAreWrittenInFull) {
  // 4294967309 = 19 x 226050911 digits: more than an unsigned 32-bit count can hold.
  const DivisionTally tally{QuotientEstimate(38), true, 4294967309u};
  EXPECT_EQ(FormatReportTail(tally, "big.txt"),
            "2.0000\n\nNumber of digits read from file \"big.txt\": 4294967309\n"
            "The number IS a multiple of 19!\n"
            "The amount of digits read is also a multiple\nof 19:  4294967309 = 19x226050911\n\n");
}


}  // namespace
}  // namespace dalvo
