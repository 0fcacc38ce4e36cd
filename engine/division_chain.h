// The remainder chain: what a piece of input adds to a division, found without knowing where the
// division stands before the piece, and the state after the piece from the state before it.
// Because 10^18 = 1 (mod 19), a piece's own remainder and digit count carry it across; so the
// pieces of a long input can be summarised in one fast pass and then divided on several threads
// at once, each from its exact starting state. The states it gives are those of the rule
// (division_rule.h): compared with ReferenceDivider's (the rule a byte at a time) by
// DivisionChain.OneCutAtEveryOffset; the reports of pieces resumed from them are compared with
// the schoolbook oracle (OracleReport) by DivisionChain.TwoCutsAroundTheStartOfTheQuotient and
// DivisionChain.ManyPiecesMatchTheOracle. Pure functions on caller-owned bytes; no failure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/division_kernel.h"

namespace dalvo {

// What one piece of input adds to a division.
struct PieceSummary {
  std::uint64_t digit_count = 0;
  std::uint32_t remainder = 0;       // the piece's digits read as one number, mod 19
  std::uint32_t value_below_19 = 0;  // that number, or 19 when it is 19 or more
  std::uint32_t last_digit = 0;      // the value of its last digit, when digit_count > 0
  bool operator==(const PieceSummary&) const = default;
};

// The summary of `size` bytes at `bytes`; non-digits are skipped as the division skips them.
// kWidest takes the AVX-512 pass where HasAvx512Summary() is true; every other path, and
// kWidest elsewhere, the portable one. All give the same summary.
PieceSummary SummarizePiece(const unsigned char* bytes, std::size_t size,
                            KernelPath path = BestKernelPath());

// The state a division reaches from `before` by reading a piece with this summary: the state a
// BlockDivider resumed at `before` has after consuming the piece's bytes.
DivisionState AdvanceState(const DivisionState& before, const PieceSummary& piece);

}  // namespace dalvo
