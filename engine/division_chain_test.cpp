#include "engine/division_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/division_report.h"
#include "engine/testing/division_test_support.h"
#include "engine/testing/reference_divider.h"

namespace dalvo {
namespace {

const unsigned char* BytesOf(const std::string& text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

// The rule's state after `text`, taken one byte at a time.
DivisionState ReferenceState(const std::string& text) {
  ReferenceDivider reference;
  std::string ignored;
  for (const char c : text) reference.Step(static_cast<unsigned char>(c), ignored);
  return reference.state();
}

// Divides `input` cut at `cuts` (ascending offsets) as the threaded division does: every piece
// is summarised alone, the chain gives each its start, and each is divided from there alone.
std::string DivideInPieces(const std::string& input, const std::vector<std::size_t>& cuts,
                           KernelPath path) {
  std::vector<std::size_t> bounds = {0};
  bounds.insert(bounds.end(), cuts.begin(), cuts.end());
  bounds.push_back(input.size());
  std::string text;
  DivisionState state;
  for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
    const unsigned char* piece = BytesOf(input) + bounds[i];
    const std::size_t size = bounds[i + 1] - bounds[i];
    ReportBuffer out(&text, 64);
    BlockDivider divider(path, state);
    divider.Consume(piece, size, out);
    out.Drain();
    state = AdvanceState(state, SummarizePiece(piece, size, path));
    EXPECT_EQ(state, divider.state()) << "piece " << i << " ends at " << bounds[i + 1];
  }
  return text + FormatReportTail(TallyOf(state), "k.txt");
}

constexpr KernelPath kPaths[] = {KernelPath::kPortable, KernelPath::kWidest};

// Inputs where the chain's corners lie: leading zeros before the quotient starts (a number
// still below 19 across a cut), the start at 19, non-digits on both sides of a cut, long digit
// runs for the vector pass, runs broken by non-digits at many places of a 64-byte group.
std::vector<std::string> ChainInputs() {
  std::vector<std::string> inputs = {"", "abc", "0", "1", "18", "19", "0001\n8", "0000009",
                                     std::string(300, '0') + "1" + std::string(70, '0') + "9"};
  std::mt19937_64 random(18);
  std::uniform_int_distribution<int> digit('0', '9');
  std::string run = "\n";
  for (int i = 0; i < 700; ++i) run += static_cast<char>(digit(random));
  for (const std::size_t gap : {1u, 5u, 63u, 64u, 65u, 130u}) {
    std::string broken = run;
    for (std::size_t at = 3; at < broken.size(); at += gap + 37) {
      broken[at] = at % 3 == 0 ? '\xB5' : '\n';
    }
    inputs.push_back(broken);
  }
  for (int round = 0; round < 8; ++round) {
    inputs.push_back(oracle::AwkwardInput(random, 200 + static_cast<std::size_t>(round) * 300));
  }
  return inputs;
}

// One cut at every offset: the state the chain reaches must be the per-digit procedure's, and
// the second piece, resumed there, must write exactly what an undivided division writes.
TEST(DivisionChain, OneCutAtEveryOffset) {
  for (const std::string& input : ChainInputs()) {
    const std::string expected = oracle::OracleReport(input, "k.txt");
    for (std::size_t cut = 0; cut <= input.size(); ++cut) {
      const std::string head = input.substr(0, cut);
      for (const KernelPath path : kPaths) {
        ASSERT_EQ(AdvanceState({}, SummarizePiece(BytesOf(head), head.size(), path)),
                  ReferenceState(head))
            << "cut " << cut << " of \"" << input.substr(0, 40) << "\"";
        ASSERT_EQ(DivideInPieces(input, {cut}, path), expected) << "cut " << cut;
      }
    }
  }
}

// Two cuts anywhere in numbers that stay below 19 for a while, so that a piece of one, two or
// more digits must start the quotient from a number read before it.
TEST(DivisionChain, TwoCutsAroundTheStartOfTheQuotient) {
  const std::string inputs[] = {"1\n0\n0\n5", "0001-8\n", "1.9", "0\n18\n7", "2 0", "1 00 00",
                                "0000000000000000000000001000", "x9x9x"};
  for (const std::string& input : inputs) {
    const std::string expected = oracle::OracleReport(input, "k.txt");
    for (std::size_t first = 0; first <= input.size(); ++first) {
      for (std::size_t second = first; second <= input.size(); ++second) {
        for (const KernelPath path : kPaths) {
          ASSERT_EQ(DivideInPieces(input, {first, second}, path), expected)
              << "\"" << input << "\" cut at " << first << " and " << second;
        }
      }
    }
  }
}

// Many cuts: pieces without a digit, empty pieces, single bytes and long stretches in between,
// against a division that shares nothing with the engine.
TEST(DivisionChain, ManyPiecesMatchTheOracle) {
  std::mt19937_64 random(1904);
  for (int round = 0; round < 200; ++round) {
    const std::string input =
        oracle::AwkwardInput(random, 50 + static_cast<std::size_t>(round) * 40);
    std::uniform_int_distribution<std::size_t> offset(0, input.size());
    std::vector<std::size_t> cuts(static_cast<std::size_t>(round % 12));
    for (std::size_t& cut : cuts) cut = offset(random);
    if (round % 3 == 0) cuts.insert(cuts.end(), cuts.begin(), cuts.end());  // empty pieces
    std::sort(cuts.begin(), cuts.end());
    const std::string expected = oracle::OracleReport(input, "k.txt");
    for (const KernelPath path : kPaths) {
      ASSERT_EQ(DivideInPieces(input, cuts, path), expected) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace dalvo
