#include "engine/division_kernel.h"

#include <cstdint>
#include <string_view>

#include "engine/division_kernel_vector.h"

namespace dalvo {

namespace {
// A started block writes the held digit and 16 new ones before holding the newest back again.
constexpr std::ptrdiff_t kStartedBlockBytes = 17;

std::uint64_t ParseSixteen(std::uint64_t first, std::uint64_t second) {
  return ParseEightDigits(first) * kTenPow8 + ParseEightDigits(second);
}
}  // namespace

KernelPath BestKernelPath() { return AvailableKernelPath(KernelPath::kWidest); }

KernelPath AvailableKernelPath(KernelPath path) {
  if (path == KernelPath::kWidest && !HasAvx512Kernel()) path = KernelPath::kWide;
  if (path == KernelPath::kWide && !HasAvx2Kernel()) path = KernelPath::kPortable;
  return path;
}

DivisionTally TallyOf(const DivisionState& state) {
  // Not a faster path: the rule's own LastEstimate, checked for every running value by
  // DivisionRule.EveryFinalValuePrintsItsDigitAndRoundedRemainder. The tails it gives are
  // compared with the schoolbook oracle (OracleReport) by
  // DivisionKernel.MatchesTheOracleOnAwkwardInputs and DivisionChain.ManyPiecesMatchTheOracle.
  return {LastEstimate(state), state.started, state.digit_count};
}

BlockDivider::BlockDivider(KernelPath path, const DivisionState& state)
    : path_(AvailableKernelPath(path)),
      remainder_(state.remainder),
      held_(state.held),
      started_(state.started),
      digit_count_(state.digit_count) {}

void BlockDivider::Consume(const unsigned char* bytes, std::size_t size, ReportBuffer& out) {
  const unsigned char* const end = bytes + size;
  while (bytes != end) {
    if (end - bytes >= 16) {
      const std::uint64_t first = LoadEight(bytes);
      const std::uint64_t second = LoadEight(bytes + 8);
      if (AreSixteenDigits(first, second)) {
        if (started_) {
          bytes = RunStartedBlocks(bytes, end, out);
        } else {
          UnstartedBlock(ParseSixteen(first, second), out);
          bytes += 16;
        }
        continue;
      }
    }
    // Not a full block of digits: one byte the slow way, then look for a block again. A digit
    // run split by the end of the buffer costs at most 15 such steps.
    const std::uint32_t digit = static_cast<std::uint32_t>(*bytes) - '0';
    if (digit < 10) Digit(digit, out);
    ++bytes;
  }
}

const unsigned char* BlockDivider::RunStartedBlocks(const unsigned char* bytes,
                                                    const unsigned char* end,
                                                    ReportBuffer& out) {
  const unsigned char* const start = bytes;
  // The wide loop takes long runs in whole groups of 64 digits; short runs, the blocks before a
  // non-digit or the end of the buffer, and output buffers too small for a group are left to
  // the loop below. The wide loop is the rule (division_rule.h) 64 digits at a time, the loop
  // below DivideBlock 16 at a time. Their reports are compared only with the schoolbook oracle
  // (OracleReport): both wide paths by DivisionKernel.LongDigitRunsAtEveryGroupOffset, every
  // path by DivisionKernel.MatchesTheOracleOnAwkwardInputs; the oracle is tied to the rule by
  // DivisionRule.ReportsAgreeWithSchoolbookDivision.
  if (path_ == KernelPath::kWidest) {
    bytes = DivideGroupsAvx512(bytes, end, remainder_, held_, out);
  } else if (path_ == KernelPath::kWide) {
    bytes = DivideGroupsAvx2(bytes, end, remainder_, held_, out);
  }
  vector_digits_ += static_cast<std::uint64_t>(bytes - start);
  // The hot loop, sixteen steps of the rule a block (DivideBlock): everything lives in locals
  // so the stores into the output cannot force reloads of the state.
  std::uint32_t remainder = remainder_;
  char held = held_;
  char* cursor = out.cursor();
  while (end - bytes >= 16) {
    const std::uint64_t first = LoadEight(bytes);
    const std::uint64_t second = LoadEight(bytes + 8);
    if (!AreSixteenDigits(first, second)) break;
    if (out.limit() - cursor < kStartedBlockBytes) {
      out.SetCursor(cursor);
      out.Drain();
      cursor = out.cursor();
    }
    const BlockQuotient step = DivideBlock(remainder, ParseSixteen(first, second));
    remainder = step.remainder;
    const auto high_half = static_cast<std::uint32_t>(step.quotient / kTenPow8);
    const auto low_half = static_cast<std::uint32_t>(step.quotient % kTenPow8);
    const std::uint64_t low = EightDigitsAscii(low_half);
    cursor[0] = held;
    StoreEight(EightDigitsAscii(high_half), cursor + 1);
    StoreEight(low, cursor + 9);
    held = static_cast<char>(low >> 56);  // the last digit, without reading it back
    cursor += 16;
    bytes += 16;
  }
  out.SetCursor(cursor);
  remainder_ = remainder;
  held_ = held;
  digit_count_ += static_cast<std::uint64_t>(bytes - start);
  return bytes;
}

// Sixteen steps of the rule before the quotient has started: only the digits after the first
// non-zero one are written. Its reports are compared only with the schoolbook oracle
// (OracleReport), by DivisionKernel.LongLeadingZerosThenAStartInsideABlock; the oracle is tied
// to the rule by DivisionRule.ReportsAgreeWithSchoolbookDivision.
void BlockDivider::UnstartedBlock(std::uint64_t block, ReportBuffer& out) {
  const BlockQuotient step = DivideBlock(remainder_, block);
  remainder_ = step.remainder;
  digit_count_ += 16;
  if (step.quotient == 0) return;  // still only leading zeros; the held digit stays '0'
  char digits[16];
  WriteSixteenDigits(step.quotient, digits);
  std::size_t first_non_zero = 0;
  while (digits[first_non_zero] == '0') ++first_non_zero;
  out.Append(std::string_view(digits + first_non_zero, 15 - first_non_zero));
  held_ = digits[15];
  started_ = true;
}

void BlockDivider::Digit(std::uint32_t digit, ReportBuffer& out) {
  // The rule's step (DivideDigit), field by field as TakeDigit takes it.
  if (started_) out.Put(held_);
  const DigitStep step = DivideDigit(remainder_, digit);
  remainder_ = step.remainder;
  held_ = static_cast<char>('0' + step.quotient_digit);
  started_ = started_ || step.quotient_digit != 0;
  ++digit_count_;
}

}  // namespace dalvo
