// The vector pass of the remainder chain (division_chain.h): the weighted digit sum of whole
// 64-byte groups with AVX-512 (BW, VNNI and VBMI2), chosen at run time. Non-digits are squeezed
// out of each group before it is weighed, so text with line ends goes as fast as bare digits.
// Works on the caller's bytes and counters only; cannot fail. The states it leads to are
// compared with ReferenceDivider's (the rule, division_rule.h, a byte at a time) by
// DivisionChain.OneCutAtEveryOffset, and the reports with the schoolbook oracle (OracleReport) by
// DivisionChain.ManyPiecesMatchTheOracle.
#pragma once

#include <cstdint>

namespace dalvo {

// True when this machine runs WeightedDigitGroupsAvx512.
bool HasAvx512Summary();

// The sum of d * (2^((phase + i) mod 18) mod 19) over the digits d of the whole 64-byte groups
// from `bytes` on, i counting those digits from 0; non-digits are skipped. Moves `bytes` past the
// groups taken (fewer than 64 bytes remain), `phase` on by their digits (mod 18) and
// `digit_count` by their number. The sum is not reduced. Only when HasAvx512Summary() is true.
std::uint64_t WeightedDigitGroupsAvx512(const unsigned char*& bytes, const unsigned char* end,
                                        std::uint32_t& phase, std::uint64_t& digit_count);

}  // namespace dalvo
