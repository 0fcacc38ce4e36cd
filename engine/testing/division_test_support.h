// Test helpers of the division tests: a schoolbook long division on decimal strings (an oracle
// that shares no code or arithmetic with the engine) and a seeded generator of awkward inputs.
// Header-only; used by the tests, and by the fuzzers as their report oracle.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace dalvo::oracle {

struct OracleResult {
  std::string quotient;  // decimal, without leading zeros; "0" for a zero quotient
  int remainder = 0;
  std::uint64_t digit_count = 0;
};

// Divides the number formed by the digits of `input` (other bytes ignored) by 19, one decimal
// digit at a time with plain ints.
inline OracleResult OracleDivide(std::string_view input) {
  OracleResult result;
  for (const char c : input) {
    if (c < '0' || c > '9') continue;
    const int value = result.remainder * 10 + (c - '0');
    const int digit = value / 19;
    result.remainder = value % 19;
    ++result.digit_count;
    if (digit != 0 || !result.quotient.empty()) result.quotient += static_cast<char>('0' + digit);
  }
  if (result.quotient.empty()) result.quotient.push_back('0');
  return result;
}

// The report's first line for an oracle result: the quotient, a point and remainder/19 rounded
// half up to four places (19 is odd, so no exact halves arise).
inline std::string OracleQuotientText(const OracleResult& result) {
  const int scaled = (result.remainder * 20000 + 19) / 38;
  std::string fraction = std::to_string(scaled);
  fraction.insert(0, 4 - fraction.size(), '0');
  return result.quotient + "." + fraction;
}

// The whole report an input must produce, built from the oracle and the report's fixed texts.
inline std::string OracleReport(std::string_view input, const std::string& input_name) {
  const OracleResult result = OracleDivide(input);
  std::string text = OracleQuotientText(result) + "\n\nNumber of digits read from file \"" +
                     input_name + "\": " + std::to_string(result.digit_count) + "\n";
  const bool is_zero = result.quotient == "0" && result.remainder == 0;
  if (result.remainder != 0) {
    text += "The number is NOT a multiple of 19.\n\n";
  } else if (is_zero) {
    text += "\n";
  } else {
    text += "The number IS a multiple of 19!\n";
    if (result.digit_count % 19 == 0) {
      text += "The amount of digits read is also a multiple\nof 19:  " +
              std::to_string(result.digit_count) + " = 19x" +
              std::to_string(result.digit_count / 19) + "\n\n";
    } else {
      text += "\n";
    }
  }
  return text;
}

// A deterministic awkward input: digit runs of many lengths (long ones included), leading
// zeros, line ends, signs, points, control bytes and bytes 0x80 to 0xFF in between.
inline std::string AwkwardInput(std::mt19937_64& random, std::size_t approximate_size) {
  std::string text;
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> digit('0', '9');
  std::uniform_int_distribution<int> byte(0, 255);
  while (text.size() < approximate_size) {
    switch (kind(random)) {
      case 0:  // a run of zeros, as leading zeros or inside the number
        text.append(std::uniform_int_distribution<std::size_t>(1, 40)(random), '0');
        break;
      case 1: {  // any byte that is not a digit
        int b = byte(random);
        while (b >= '0' && b <= '9') b = byte(random);
        text += static_cast<char>(b);
        break;
      }
      case 2:
        text += static_cast<char>(0x80 + byte(random) % 128);
        break;
      case 3:
        text += "\n";
        break;
      default: {
        const std::size_t length = kind(random) < 8
                                       ? std::uniform_int_distribution<std::size_t>(1, 70)(random)
                                       : std::uniform_int_distribution<std::size_t>(1, 700)(random);
        for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(digit(random));
      }
    }
  }
  return text;
}

}  // namespace dalvo::oracle
