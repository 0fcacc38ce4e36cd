#include "engine/division_chain.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "engine/division_chain_avx512.h"

namespace dalvo {

namespace {

// 2^i and 10^i mod 19 for i below 18, the period of both.
constexpr std::array<std::uint32_t, 18> PowersMod19(std::uint32_t base) {
  std::array<std::uint32_t, 18> powers{};
  std::uint32_t power = 1;
  for (std::uint32_t& p : powers) {
    p = power;
    power = power * base % 19;
  }
  return powers;
}
constexpr std::array<std::uint32_t, 18> kPowersOfTwo = PowersMod19(2);
constexpr std::array<std::uint32_t, 18> kPowersOfTen = PowersMod19(10);

std::uint32_t PhaseAfter(std::uint32_t phase, std::uint32_t digits) {
  return (phase + digits) % 18;
}

// A piece being summarised. Its remainder is kept as the sum of d_i * 10^-i over its digits
// (i counting from 0): unlike the usual running remainder, that sum needs no knowledge of the
// digits before or after, so blocks and vector lanes add into it independently. 10^-1 = 2
// (mod 19), so the weights are powers of two; times 10^(n-1) the sum is the piece's remainder.
struct Summing {
  std::uint64_t digit_count = 0;
  std::uint64_t weighted = 0;  // never reduced: it grows by at most 324 per 16 digits
  std::uint32_t phase = 0;     // digit_count mod 18
  std::uint32_t value_below_19 = 0;

  void Digit(std::uint32_t digit) {
    weighted += kPowersOfTwo[phase] * digit;
    phase = PhaseAfter(phase, 1);
    ++digit_count;
  }
};

// The digits of a piece up to the one where its value reaches 19; past that point the value no
// longer matters. A run of zeros before it moves only the count, eight bytes at a time.
const unsigned char* SummarizeLeadingDigits(const unsigned char* bytes, const unsigned char* end,
                                            Summing& summing) {
  constexpr std::uint64_t kEightZeros = 0x3030303030303030;
  while (bytes != end && summing.value_below_19 < 19) {
    if (summing.value_below_19 == 0 && end - bytes >= 8 && LoadEight(bytes) == kEightZeros) {
      summing.digit_count += 8;
      summing.phase = PhaseAfter(summing.phase, 8);
      bytes += 8;
      continue;
    }
    const std::uint32_t digit = static_cast<std::uint32_t>(*bytes) - '0';
    if (digit < 10) {
      summing.Digit(digit);
      summing.value_below_19 = std::min(10 * summing.value_below_19 + digit, 19u);
    }
    ++bytes;
  }
  return bytes;
}

// The rest of a piece, 16 digits at a time where it can: the sum of d_j * 2^j over a block's
// digits is 2^15 times the block's value (mod 19), so one remainder per block does.
void SummarizeBlocks(const unsigned char* bytes, const unsigned char* end, Summing& summing) {
  while (bytes != end) {
    if (end - bytes >= 16) {
      const std::uint64_t first = LoadEight(bytes);
      const std::uint64_t second = LoadEight(bytes + 8);
      if (AreSixteenDigits(first, second)) {
        const std::uint64_t block =
            ParseEightDigits(first) * kTenPow8 + ParseEightDigits(second);
        summing.weighted += kPowersOfTwo[PhaseAfter(summing.phase, 15)] * (block % 19);
        summing.phase = PhaseAfter(summing.phase, 16);
        summing.digit_count += 16;
        bytes += 16;
        continue;
      }
    }
    const std::uint32_t digit = static_cast<std::uint32_t>(*bytes) - '0';
    if (digit < 10) summing.Digit(digit);
    ++bytes;
  }
}

// The value of the last digit byte in [bytes, end), 0 when there is none.
std::uint32_t LastDigitValue(const unsigned char* bytes, const unsigned char* end) {
  while (end != bytes) {
    const std::uint32_t digit = static_cast<std::uint32_t>(*--end) - '0';
    if (digit < 10) return digit;
  }
  return 0;
}

}  // namespace

PieceSummary SummarizePiece(const unsigned char* bytes, std::size_t size, KernelPath path) {
  const unsigned char* const end = bytes + size;
  Summing summing;
  const unsigned char* rest = SummarizeLeadingDigits(bytes, end, summing);
  if (path == KernelPath::kWidest && HasAvx512Summary()) {
    summing.weighted +=
        WeightedDigitGroupsAvx512(rest, end, summing.phase, summing.digit_count);
  }
  SummarizeBlocks(rest, end, summing);

  PieceSummary summary;
  summary.digit_count = summing.digit_count;
  summary.value_below_19 = summing.value_below_19;
  if (summing.digit_count > 0) {
    const std::uint32_t sum = static_cast<std::uint32_t>(summing.weighted % 19);
    summary.remainder = kPowersOfTen[(summing.digit_count - 1) % 18] * sum % 19;
    summary.last_digit = LastDigitValue(bytes, end);
  }
  return summary;
}

DivisionState AdvanceState(const DivisionState& before, const PieceSummary& piece) {
  if (piece.digit_count == 0) return before;
  DivisionState after;
  after.digit_count = before.digit_count + piece.digit_count;
  after.remainder =
      (before.remainder * kPowersOfTen[piece.digit_count % 18] + piece.remainder) % 19;
  // Until the quotient starts, the number read so far is below 19 and so equals its remainder;
  // the piece starts the quotient when that number followed by the piece's digits reaches 19.
  const std::uint32_t shift = piece.digit_count >= 2 ? 100 : 10;
  after.started = before.started || before.remainder * shift + piece.value_below_19 >= 19;
  // The last step's running value was 10 r + d, for the remainder r before the last digit d;
  // mod 19 it is the remainder after, so r = 2 (after - d), as 10 * 2 = 1 (mod 19).
  const std::uint32_t digit = piece.last_digit;
  // The held digit is then that last step of the rule (division_rule.h) again; compared with
  // ReferenceDivider's held digit (the rule a byte at a time) by DivisionChain.OneCutAtEveryOffset.
  const std::uint32_t previous = 2 * (after.remainder + 19 - digit) % 19;
  after.held = TakeDigit({previous}, digit).held;
  return after;
}

}  // namespace dalvo
