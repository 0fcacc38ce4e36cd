#include "engine/division_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/division_kernel_vector.h"
#include "engine/division_pipeline.h"
#include "engine/division_report.h"
#include "engine/testing/division_test_support.h"
#include "engine/testing/reference_divider.h"

namespace dalvo {
namespace {

std::uint64_t WordOf(const std::string& eight) {
  return LoadEight(reinterpret_cast<const unsigned char*>(eight.data()));
}

TEST(DivisionKernel, EightDigitTestAcceptsExactlyTheDigitBytes) {
  for (const char background : {'0', '5', '9'}) {
    for (int position = 0; position < 8; ++position) {
      for (int byte = 0; byte < 256; ++byte) {
        std::string eight(8, background);
        eight[static_cast<std::size_t>(position)] = static_cast<char>(byte);
        EXPECT_EQ(AreEightDigits(WordOf(eight)), byte >= '0' && byte <= '9')
            << "byte " << byte << " at " << position << " among '" << background << "'";
      }
    }
  }
}

TEST(DivisionKernel, EightDigitTestRejectsMixedNonDigits) {
  // Bytes whose carries or nibbles could mask each other's faults.
  const char* const cases[] = {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", "9:999999", ("\xFA" "9999999"),
                               "0000000/", "\xF9\xF9\xF9\xF9\xF9\xF9\xF9\xF9", "3333333\xFF"};
  for (const char* c : cases) EXPECT_FALSE(AreEightDigits(WordOf(c))) << "bytes " << c;
}

// Several non-digits at once, where borrows and carries between bytes could hide one.
TEST(DivisionKernel, SixteenDigitTestMatchesBytewiseOnRandomMixes) {
  std::mt19937_64 random(99);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> digit('0', '9');
  std::uniform_int_distribution<int> odds(0, 15);
  for (int round = 0; round < 200000; ++round) {
    unsigned char bytes[16];
    bool all_digits = true;
    for (unsigned char& b : bytes) {
      b = static_cast<unsigned char>(odds(random) == 0 ? byte(random) : digit(random));
      all_digits = all_digits && b >= '0' && b <= '9';
    }
    ASSERT_EQ(AreSixteenDigits(LoadEight(bytes), LoadEight(bytes + 8)), all_digits)
        << "round " << round;
  }
}

// Values whose four-digit halves run through every value, against printf's digits.
TEST(DivisionKernel, EightDigitsParseAndFormatLikePrintf) {
  std::vector<std::uint32_t> values;
  for (std::uint32_t half = 0; half < 10000; ++half) {
    for (const std::uint32_t other : {0u, 1u, 4999u, 9999u}) {
      values.push_back(half * 10000 + other);
      values.push_back(other * 10000 + half);
    }
  }
  for (const std::uint32_t value : values) {
    char text[16];
    std::snprintf(text, sizeof text, "%08u", value);
    char formatted[8];
    StoreEight(EightDigitsAscii(value), formatted);
    ASSERT_EQ(std::string(formatted, 8), text) << "value " << value;
    ASSERT_EQ(ParseEightDigits(WordOf(text)), value) << "value " << value;
  }
}

// The block step against 16 steps of ReferenceDivider (the rule a byte at a time) from the same
// remainder.
TEST(DivisionKernel, BlocksEqualSixteenPerDigitStepsFromEveryRemainder) {
  std::vector<std::uint64_t> blocks = {0, 1, 9, 18, 19, 20, kTenPow16 - 1, kTenPow16 - 19,
                                       kTenPow16 / 19, kTenPow16 / 19 * 19, kTenPow8,
                                       kTenPow8 - 1, 1111111111111111, 5263157894736842};
  for (std::uint64_t power = 1; power < kTenPow16; power *= 10) {
    blocks.push_back(power);
    blocks.push_back(power - 1);
    blocks.push_back(power * 9);
  }
  std::mt19937_64 random(16);
  std::uniform_int_distribution<std::uint64_t> any_block(0, kTenPow16 - 1);
  for (int i = 0; i < 3000; ++i) blocks.push_back(any_block(random));

  for (std::uint32_t remainder = 0; remainder < 19; ++remainder) {
    for (const std::uint64_t block : blocks) {
      char digits[17];
      std::snprintf(digits, sizeof digits, "%016llu", static_cast<unsigned long long>(block));
      // A remainder below 19 is reached by reading its own digits: its quotient is zero.
      ReferenceDivider reference;
      std::string ignored;
      for (const char c : std::to_string(remainder)) {
        reference.Step(static_cast<unsigned char>(c), ignored);
      }
      std::string step_digits;
      for (int i = 0; i < 16; ++i) {
        reference.Step(static_cast<unsigned char>(digits[i]), ignored);
        step_digits += static_cast<char>('0' + static_cast<int>(reference.quotient_estimate()));
      }
      const BlockQuotient result = DivideBlock(remainder, block);
      char block_digits[16];
      WriteSixteenDigits(result.quotient, block_digits);
      ASSERT_EQ(std::string(block_digits, 16), step_digits)
          << "remainder " << remainder << " block " << digits;
      ASSERT_EQ(result.remainder, reference.remainder())
          << "remainder " << remainder << " block " << digits;
    }
  }
}

// Every loop for long digit runs; where the machine lacks AVX-512 or AVX2 a path falls back to
// the next narrower one, and the comparisons still hold.
constexpr KernelPath kPaths[] = {KernelPath::kPortable, KernelPath::kWide, KernelPath::kWidest};

const char* PathName(KernelPath path) {
  switch (path) {
    case KernelPath::kPortable:
      return "portable";
    case KernelPath::kWide:
      return "AVX2";
    case KernelPath::kWidest:
      return "AVX-512";
  }
  return "?";
}

// Feeds `input` in pieces of `piece` bytes through an output buffer of `capacity` bytes.
std::string KernelReport(const std::string& input, std::size_t piece, std::size_t capacity,
                         KernelPath path) {
  std::string text;
  ReportBuffer out(&text, capacity);
  BlockDivider divider(path);
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  for (std::size_t at = 0; at < input.size(); at += piece) {
    divider.Consume(bytes + at, std::min(piece, input.size() - at), out);
  }
  out.Append(FormatReportTail(divider.Tally(), "k.txt"));
  out.Drain();
  return text;
}

TEST(DivisionKernel, MatchesTheOracleOnAwkwardInputs) {
  std::mt19937_64 random(1919);
  const std::size_t pieces[] = {1, 2, 15, 16, 17, 31, 33, 64, 100, 4096};
  const std::size_t capacities[] = {1, 17, 100, 4096};
  for (int round = 0; round < 300; ++round) {
    const std::string input =
        oracle::AwkwardInput(random, 1 + static_cast<std::size_t>(round) * 11);
    const std::string expected = oracle::OracleReport(input, "k.txt");
    for (const std::size_t piece : pieces) {
      const std::size_t capacity = capacities[static_cast<std::size_t>(round) % 4];
      for (const KernelPath path : kPaths) {
        ASSERT_EQ(KernelReport(input, piece, capacity, path), expected)
            << "round " << round << " piece " << piece << " capacity " << capacity << " "
            << PathName(path);
      }
    }
  }
}

// A run of digits that starts at every offset from a block start and a piece start, ends at
// every length, and has a non-digit or the end of the input behind it.
TEST(DivisionKernel, DigitRunsAtEveryOffsetAndLength) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> digit('0', '9');
  for (std::size_t offset = 0; offset < 34; ++offset) {
    for (std::size_t length = 1; length < 50; ++length) {
      std::string input(offset, '-');
      for (std::size_t i = 0; i < length; ++i) input += static_cast<char>(digit(random));
      for (const std::string tail : {"", "\n", "\n19"}) {
        const std::string case_input = input + tail;
        const std::string expected = oracle::OracleReport(case_input, "k.txt");
        for (const std::size_t piece : {16u, 17u, 32u, 33u, 1000u}) {
          for (const KernelPath path : kPaths) {
            ASSERT_EQ(KernelReport(case_input, piece, 64, path), expected)
                << "offset " << offset << " length " << length << " piece " << piece << " "
                << PathName(path);
          }
        }
      }
    }
  }
}

// Leading zeros for up to three 64-digit groups, the quotient starting at every place inside a
// block, then enough digits behind it for wide groups right after the start.
TEST(DivisionKernel, LongLeadingZerosThenAStartInsideABlock) {
  std::mt19937_64 random(190);
  std::uniform_int_distribution<int> digit('0', '9');
  std::string tail;
  for (int i = 0; i < 300; ++i) tail += static_cast<char>(digit(random));
  for (std::size_t zeros = 0; zeros < 200; zeros += zeros < 40 ? 1 : 7) {
    for (std::size_t start = 0; start < 16; ++start) {
      std::string input(zeros, '0');
      input += std::string(start, '0') + "19" + tail;
      const std::string expected = oracle::OracleReport(input, "k.txt");
      for (const KernelPath path : kPaths) {
        ASSERT_EQ(KernelReport(input, 4096, 200, path), expected)
            << "zeros " << zeros << " start " << start << " " << PathName(path);
      }
    }
  }
}

// Digit runs long enough for the wide groups: every offset from a 64-byte group, lengths around
// one, two and three groups and around a whole pass of groups, output buffers from too small
// for a group to a few groups, and pieces that split the run.
TEST(DivisionKernel, LongDigitRunsAtEveryGroupOffset) {
  std::mt19937_64 random(64);
  std::uniform_int_distribution<int> digit('0', '9');
  std::vector<std::size_t> lengths;
  for (std::size_t length = 60; length < 270; ++length) lengths.push_back(length);
  for (const std::size_t around : {2048u, 2048u + 128u, 4096u, 4096u + 64u}) {
    for (std::size_t length = around - 3; length < around + 3; ++length) lengths.push_back(length);
  }
  const std::size_t capacities[] = {64, 65, 129, 200, 4096};
  std::size_t round = 0;
  for (std::size_t offset = 0; offset < 65; ++offset) {
    for (const std::size_t length : lengths) {
      std::string input = "20";  // the quotient has started before the run
      input.append(offset, '\n');
      for (std::size_t i = 0; i < length; ++i) input += static_cast<char>(digit(random));
      input += "-5";
      const std::string expected = oracle::OracleReport(input, "k.txt");
      const std::size_t capacity = capacities[round++ % std::size(capacities)];
      for (const std::size_t piece : {input.size(), std::size_t{100}, std::size_t{1000}}) {
        for (const KernelPath path : {KernelPath::kWide, KernelPath::kWidest}) {
          ASSERT_EQ(KernelReport(input, piece, capacity, path), expected)
              << "offset " << offset << " length " << length << " piece " << piece
              << " capacity " << capacity << " " << PathName(path);
        }
      }
    }
  }
}

// One or two non-digits at every position of a long run (inside the first, second or a later
// group, at a group edge, or inside a batch of groups the widest path parses side by side), with
// bytes just outside the digits and with the top bit set.
TEST(DivisionKernel, NonDigitsAtEveryPositionOfWideGroups) {
  std::mt19937_64 random(1964);
  std::uniform_int_distribution<int> digit('0', '9');
  std::string digits = "3";
  for (int i = 0; i < 1200; ++i) digits += static_cast<char>(digit(random));
  const char non_digits[] = {'/', ':', '\n', '\0', ' ', '\x80', '\xB0', '\xB9', '\xFF', '\xCF'};
  for (std::size_t position = 1; position < digits.size(); ++position) {
    for (std::size_t k = 0; k < std::size(non_digits); ++k) {
      std::string input = digits;
      input[position] = non_digits[k];
      // A second one at a varying distance behind the first.
      const std::size_t second = position + 1 + (position * 7 + k * 13) % 150;
      if (k % 2 == 1 && second < input.size()) input[second] = non_digits[(k + 3) % 10];
      const std::string expected = oracle::OracleReport(input, "k.txt");
      for (const KernelPath path : kPaths) {
        ASSERT_EQ(KernelReport(input, input.size(), 4096, path), expected)
            << "position " << position << " byte " << static_cast<int>(non_digits[k] & 0xFF)
            << " " << PathName(path);
      }
    }
  }
}

// Long random numbers, fed in random pieces: the remainder carried between groups, passes and
// buffers takes every value, checked against the schoolbook oracle.
TEST(DivisionKernel, LongNumbersInRandomPiecesMatchTheOracle) {
  std::mt19937_64 random(2024);
  std::uniform_int_distribution<int> digit('0', '9');
  std::uniform_int_distribution<std::size_t> piece(1, 9000);
  for (int round = 0; round < 40; ++round) {
    std::string input;
    const std::size_t size = 20000 + static_cast<std::size_t>(round) * 997;
    for (std::size_t i = 0; i < size; ++i) input += static_cast<char>(digit(random));
    const std::string expected = oracle::OracleReport(input, "k.txt");
    for (const KernelPath path : kPaths) {
      std::string text;
      ReportBuffer out(&text, 1000 + static_cast<std::size_t>(round) * 37);
      BlockDivider divider(path);
      const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
      for (std::size_t at = 0; at < input.size();) {
        const std::size_t take = std::min(piece(random), input.size() - at);
        divider.Consume(bytes + at, take, out);
        at += take;
      }
      out.Append(FormatReportTail(divider.Tally(), "k.txt"));
      out.Drain();
      ASSERT_EQ(text, expected) << "round " << round << " " << PathName(path);
    }
  }
}

// The pipeline divides a chunk in place: the quotient goes over the bytes already read, from one
// byte before them.
TEST(DivisionKernel, InPlaceOverTheBytesAlreadyRead) {
  std::mt19937_64 random(77);
  std::uniform_int_distribution<int> digit('0', '9');
  for (int round = 0; round < 40; ++round) {
    std::string input = oracle::AwkwardInput(random, 100 + static_cast<std::size_t>(round) * 60);
    if (round % 4 == 0) {
      input = "4";
      for (int i = 0; i < 3000 + round; ++i) input += static_cast<char>(digit(random));
    }
    const std::string expected = oracle::OracleReport(input, "k.txt");
    for (const KernelPath path : kPaths) {
      std::string memory = " " + input + std::string(256, ' ');
      ReportBuffer window(memory.data(), memory.size());
      BlockDivider divider(path);
      divider.Consume(reinterpret_cast<const unsigned char*>(memory.data() + 1), input.size(),
                      window);
      ASSERT_FALSE(window.failed());
      ASSERT_EQ(std::string(window.written()) + FormatReportTail(divider.Tally(), "k.txt"),
                expected)
          << "round " << round << " " << PathName(path);
    }
  }
}

// Without this the comparisons above would quietly test the portable loop three times.
TEST(DivisionKernel, WidestPathIsChosenWhereTheMachineHasIt) {
  const KernelPath expected = HasAvx512Kernel() ? KernelPath::kWidest
                              : HasAvx2Kernel() ? KernelPath::kWide
                                                : KernelPath::kPortable;
  EXPECT_EQ(BestKernelPath(), expected);
  EXPECT_EQ(AvailableKernelPath(KernelPath::kPortable), KernelPath::kPortable);
#if defined(__x86_64__)
  if (!HasAvx512Kernel()) std::printf("note: no AVX-512 here; its path was not tested\n");
  if (!HasAvx2Kernel()) std::printf("note: no AVX2 here; only the portable path was tested\n");
#endif
}

// ---- The path the processor allows ---------------------------------------------------------
// The division must use the widest loop the processor has. A lost wide path still divides
// correctly, so only a test that learns the processor's features by itself, without the
// engine's detection, notices it.

// The feature flags of the first processor in /proc/cpuinfo; empty where there is none.
std::set<std::string> CpuFlags() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("flags", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    std::set<std::string> flags;
    for (std::string word; words >> word;) flags.insert(word);
    return flags;
  }
  return {};
}

// The path the engine must choose on this processor, from the kernel's own list of features.
KernelPath PathThisProcessorAllows() {
#if defined(__x86_64__)
  const std::set<std::string> flags = CpuFlags();
  if (flags.count("avx512f") != 0 && flags.count("avx512bw") != 0 &&
      flags.count("avx512vbmi") != 0) {
    return KernelPath::kWidest;
  }
  if (flags.count("avx2") != 0) return KernelPath::kWide;
#endif
  return KernelPath::kPortable;
}

// A long run of digits once the quotient has started: the vector loop's work, if it runs.
const std::string kLongRun = "1" + std::string(64 * 64, '7');

// The digits `divider`'s vector loop takes of kLongRun.
std::uint64_t VectorDigitsOfLongRun(BlockDivider& divider) {
  std::string quotient;
  ReportBuffer out(&quotient, 4096);
  divider.Consume(reinterpret_cast<const unsigned char*>(kLongRun.data()), kLongRun.size(), out);
  return divider.vector_digits();
}

TEST(DivisionKernel, DefaultDivisionTakesTheWidestPathTheProcessorHas) {
  const KernelPath allowed = PathThisProcessorAllows();
  EXPECT_EQ(PipelineOptions{}.path, allowed);

  BlockDivider divider;
  EXPECT_EQ(divider.path(), allowed);
  if (allowed == KernelPath::kPortable) {
    EXPECT_EQ(VectorDigitsOfLongRun(divider), 0u);
  } else {
    EXPECT_GT(VectorDigitsOfLongRun(divider), kLongRun.size() / 2) << "the vector loop barely ran";
  }
}

// The narrower vector path stays in use where the wider one exists (the kernel tests compare
// its output on every machine that has it): asked for, it runs its own loop.
TEST(DivisionKernel, TheAvx2PathRunsItsLoopWhereTheProcessorHasAvx2) {
  if (CpuFlags().count("avx2") == 0) GTEST_SKIP() << "no AVX2 here";
  BlockDivider divider(KernelPath::kWide);
  EXPECT_EQ(divider.path(), KernelPath::kWide);
  EXPECT_GT(VectorDigitsOfLongRun(divider), kLongRun.size() / 2) << "the AVX2 loop barely ran";
}

}  // namespace
}  // namespace dalvo
