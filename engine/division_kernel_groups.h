// What the vector steps of the division kernel (division_kernel_vector.h) have in common, written
// once for both vector widths: the loop that takes groups of 64 digits in passes. Only for the
// kernel sources: each defines DALVO_KERNEL_TARGET as its target attribute, then includes this
// file once. Everything here lies in that source's unnamed namespace and carries its attribute,
// so each kernel gets its own copy, compiled for its own instructions: no function compiled for
// AVX-512 can stand in for the AVX2 kernel's at link time on a machine without AVX-512. The
// groups are the rule (division_rule.h) 64 digits at a time. Their reports are compared only
// with the schoolbook oracle (OracleReport), by DivisionKernel.LongDigitRunsAtEveryGroupOffset
// and DivisionKernel.NonDigitsAtEveryPositionOfWideGroups; the oracle is tied to the rule by
// DivisionRule.ReportsAgreeWithSchoolbookDivision.
#pragma once

#ifndef DALVO_KERNEL_TARGET
#error "a kernel source defines DALVO_KERNEL_TARGET before it includes division_kernel_groups.h"
#endif

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/division_kernel.h"
#include "engine/division_report.h"

namespace dalvo {
namespace {

// Room for one group: the held digit and 64 new ones (the newest of them becomes the held one).
constexpr std::ptrdiff_t kGroupRoom = 65;
// Groups parsed before they are divided and formatted: 2 KiB of input, 2 KiB (AVX2) or 6 KiB
// (AVX-512) of stack.
constexpr std::size_t kGroupsPerPass = 32;

// x mod 19 for every x the remainder steps of the kernels form: a load where the arithmetic takes
// five instructions, several times per group. The largest x is the AVX2 kernel's: 9 * 18 plus
// own remainders weighted 64 + 16 + 4 + 1, each at most 18.
constexpr std::size_t kSmallValues = (9 + 85) * 18 + 1;
constexpr std::array<std::uint8_t, kSmallValues> kModNineteen = [] {
  std::array<std::uint8_t, kSmallValues> table{};
  for (std::size_t x = 0; x < kSmallValues; ++x) table[x] = static_cast<std::uint8_t>(x % 19);
  return table;
}();

// The part of a vector kernel that does not depend on its width. `Kernel` derives from it and
// provides:
//   Digits                             a group's 64 digit values (bytes minus '0')
//   ParsedGroup                        a group between the passes
//   bool LoadDigitGroup(const unsigned char* group, Digits&)   false unless 64 digits
//   void ParseGroup(const Digits&, ParsedGroup&)               the first pass (unless it has
//                                                              its own ParseGroups)
//   void DivideParsedGroup(std::uint32_t& remainder, ParsedGroup&)
//                                      the second: the quotient's runs, and the remainder after
//   void WriteQuotient(const ParsedGroup&, char* text)         its 64 ASCII digits to text[0..63]
// A kernel may also hide ParseGroups and DivideParsedGroups below with its own, to take several
// groups at once.
template <class Kernel>
struct GroupDivision {
  // The first pass: parses the groups at `bytes` into `parsed` while they are digits, at most
  // `most` of them; returns how many. One at a time here; a kernel may parse several side by side.
  // (A template only because Kernel is not yet complete where this is declared.)
  template <class ParsedGroup>
  static DALVO_KERNEL_TARGET std::size_t ParseGroups(const unsigned char* bytes, std::size_t most,
                                                     ParsedGroup* parsed) {
    std::size_t groups = 0;
    for (; groups < most; ++groups) {
      typename Kernel::Digits digits;
      if (!Kernel::LoadDigitGroup(bytes + 64 * groups, digits)) break;
      Kernel::ParseGroup(digits, parsed[groups]);
    }
    return groups;
  }

  // The second pass: `count` parsed groups in order, from the remainder before the first to the
  // one after the last. One at a time here; a kernel may take several in one remainder step.
  template <class ParsedGroup>
  static DALVO_KERNEL_TARGET void DivideParsedGroups(std::uint32_t& remainder,
                                                     ParsedGroup* parsed, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Kernel::DivideParsedGroup(remainder, parsed[i]);
  }

  // The pass loop: the contract of DivideGroupsAvx2 and DivideGroupsAvx512 in
  // division_kernel_vector.h.
  static DALVO_KERNEL_TARGET const unsigned char* DivideGroups(const unsigned char* bytes,
                                                               const unsigned char* end,
                                                               std::uint32_t& remainder,
                                                               char& held, ReportBuffer& out) {
    // A short run of digits (a line of text) is left to the block loop: a group or two alone
    // overlap with nothing, and the set-up would cost more than it saves.
    typename Kernel::Digits probe;
    if (end - bytes < 2 * 64 || !Kernel::LoadDigitGroup(bytes, probe) ||
        !Kernel::LoadDigitGroup(bytes + 64, probe)) {
      return bytes;
    }
    // Locals, so that the stores into the output cannot force reloads of the state.
    std::uint32_t running = remainder;
    char last = held;
    char* cursor = out.cursor();
    // Parsing, dividing and formatting in separate passes over a few groups keeps each loop
    // short enough for the processor to overlap many groups; fused, one group's long chain of
    // multiplies fills the reorder window and the groups run nearly one after another. Only the
    // scalar remainder step runs from group to group.
    typename Kernel::ParsedGroup groups_of_pass[kGroupsPerPass];
    for (;;) {
      if (out.limit() - cursor < kGroupRoom) {
        out.SetCursor(cursor);
        out.Drain();
        cursor = out.cursor();
      }
      const auto room_groups = static_cast<std::size_t>((out.limit() - cursor - 1) / 64);
      const auto input_groups = static_cast<std::size_t>((end - bytes) / 64);
      const std::size_t most = std::min({kGroupsPerPass, room_groups, input_groups});
      const std::size_t groups = Kernel::ParseGroups(bytes, most, groups_of_pass);
      if (groups == 0) break;
      Kernel::DivideParsedGroups(running, groups_of_pass, groups);
      cursor[0] = last;
      for (std::size_t i = 0; i < groups; ++i) {
        Kernel::WriteQuotient(groups_of_pass[i], cursor + 1 + 64 * i);
      }
      cursor += 64 * groups;
      bytes += 64 * groups;
      last = *cursor;            // the newest digit, written but not yet counted
      if (groups < most) break;  // a non-digit ahead
    }
    out.SetCursor(cursor);
    remainder = running;
    held = last;
    return bytes;
  }
};

}  // namespace
}  // namespace dalvo
