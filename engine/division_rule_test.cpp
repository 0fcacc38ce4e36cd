#include "engine/division_rule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "engine/division_report.h"
#include "engine/testing/division_test_support.h"
#include "engine/testing/reference_divider.h"

namespace dalvo {
namespace {

TEST(DivisionRule, ReciprocalIsTheFloatNearestOneNineteenth) {
  EXPECT_EQ(static_cast<double>(kReciprocal19), 7064091.0 / 134217728.0);
  EXPECT_EQ(19.0 * static_cast<double>(kReciprocal19), 1.0 + std::ldexp(1.0, -27));
  EXPECT_LT(std::nextafter(kReciprocal19, 0.0f), 1.0f / 19.0f);
}

// The report's single-precision last value agrees with the rule's integer step for every running
// value a division can reach: 10 * remainder + digit, at most 189.
TEST(DivisionRule, EveryRunningValueGivesTheExactDigitRemainderAndStart) {
  for (std::uint32_t value = 0; value <= 189; ++value) {
    const double product = ExactProduct(value);
    const float estimate = QuotientEstimate(value);
    const auto digit = static_cast<std::uint32_t>(product);
    EXPECT_EQ(digit, value / 19) << "running value " << value;
    EXPECT_EQ(static_cast<std::uint32_t>(estimate), value / 19) << "running value " << value;
    EXPECT_EQ(value - 19 * digit, value % 19) << "running value " << value;
    EXPECT_EQ(estimate >= 1.0f, value >= 19) << "running value " << value;
    const DigitStep step = DivideDigit(value / 10, value % 10);
    EXPECT_EQ(step.running_value, value) << "running value " << value;
    EXPECT_EQ(step.quotient_digit, static_cast<std::uint32_t>(estimate))
        << "running value " << value;
    EXPECT_EQ(step.remainder, value - 19 * digit) << "running value " << value;
    const float fraction = estimate - std::trunc(estimate);
    EXPECT_EQ(fraction == 0.0f, value % 19 == 0) << "running value " << value;
  }
}

TEST(DivisionRule, EveryFinalValuePrintsItsDigitAndRoundedRemainder) {
  for (std::uint32_t value = 0; value <= 189; ++value) {
    char printed[32];
    std::snprintf(printed, sizeof printed, "%.4f", static_cast<double>(QuotientEstimate(value)));
    oracle::OracleResult exact;
    exact.quotient = std::to_string(value / 19);
    exact.remainder = static_cast<int>(value % 19);
    EXPECT_EQ(printed, oracle::OracleQuotientText(exact)) << "running value " << value;
  }
}

TEST(DivisionRule, StepsWriteEachDigitOneStepLateAndNoLeadingZeros) {
  struct Case {
    const char* input;
    const char* written;  // digits written before the report's last value
    std::uint32_t remainder;
  };
  const Case cases[] = {
      {"", "", 0},         {"18", "", 18},      {"19", "", 0},       {"190", "1", 0},
      {"0038", "", 0},     {"1000", "5", 12},  {"x3\n8-", "", 0},   {"\xB3\xB8", "", 0},
      {"380", "2", 0},     {"0000019000", "100", 0},
  };
  for (const Case& c : cases) {
    ReferenceDivider divider;
    std::string written;
    for (const char* p = c.input; *p != '\0'; ++p) {
      divider.Step(static_cast<unsigned char>(*p), written);
    }
    EXPECT_EQ(written, c.written) << "input \"" << c.input << "\"";
    EXPECT_EQ(divider.remainder(), c.remainder) << "input \"" << c.input << "\"";
  }
}

TEST(DivisionRule, ReportsAgreeWithSchoolbookDivision) {
  std::mt19937_64 random(19);
  for (int round = 0; round < 200; ++round) {
    const std::string input = oracle::AwkwardInput(random, 1 + static_cast<std::size_t>(round));
    // The whole report by the per-digit procedure: its quotient digits and its last value.
    ReferenceDivider divider;
    std::string report;
    for (const char c : input) divider.Step(static_cast<unsigned char>(c), report);
    report += FormatReportTail(
        {divider.quotient_estimate(), divider.quotient_started(), divider.digit_count()}, "r.txt");
    EXPECT_EQ(report, oracle::OracleReport(input, "r.txt"))
        << "round " << round;
  }
}

}  // namespace
}  // namespace dalvo
