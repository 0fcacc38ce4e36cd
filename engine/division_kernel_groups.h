// What the vector steps of the division kernel (division_kernel_vector.h) have in common, written
// once for both vector widths: the loop that takes groups of 64 digits in passes, and the lane
// arithmetic of dividing by 19 and of writing eight-digit quotient runs as ASCII (for kernels
// that keep a run of digits in a lane; the AVX-512 one keeps a digit in a byte). Only for the
// kernel sources: each defines DALVO_KERNEL_TARGET as its target attribute, then includes this
// file once. Everything here lies in that source's unnamed namespace and carries its attribute,
// so each kernel gets its own copy, compiled for its own instructions: no function compiled for
// AVX-512 can stand in for the AVX2 kernel's at link time on a machine without AVX-512.
#pragma once

#ifndef DALVO_KERNEL_TARGET
#error "a kernel source defines DALVO_KERNEL_TARGET before it includes division_kernel_groups.h"
#endif

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "division_kernel.h"
#include "division_output.h"

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

// The part of a vector kernel that does not depend on its width. `Kernel` derives from it, its
// vectors `Bytes` wide, and provides:
//   Vector MulEven32(Vector, Vector)   the 64-bit products of the lanes' low 32 bits
//   Vector MulHigh16(Vector, Vector)   the high halves of the products of 16-bit lanes
//   Digits                             a group's 64 digit values (bytes minus '0')
//   ParsedGroup                        a group between the passes
//   bool LoadDigitGroup(const unsigned char* group, Digits&)   false unless 64 digits
//   void ParseGroup(const Digits&, ParsedGroup&)               the first pass
//   void DivideParsedGroup(std::uint32_t& remainder, ParsedGroup&)
//                                      the second: the quotient's runs, and the remainder after
//   void WriteQuotient(const ParsedGroup&, char* text)         its 64 ASCII digits to text[0..63]
// A kernel may also hide ParseGroups and DivideParsedGroups below with its own, to take several
// groups at once; the lane arithmetic (DivideByNineteen and on) is there for kernels that use it.
template <class Kernel, std::size_t Bytes>
struct GroupDivision {
  // One vector as the intrinsics take it, and as lanes of the compiler's vector types, whose
  // operators work lane by lane: the arithmetic below then reads the same at both widths. A
  // cast between them moves no data.
  typedef long long Vector __attribute__((vector_size(Bytes)));
  typedef std::uint64_t Lanes64 __attribute__((vector_size(Bytes)));
  typedef std::uint32_t Lanes32 __attribute__((vector_size(Bytes)));
  typedef std::uint16_t Lanes16 __attribute__((vector_size(Bytes)));
  typedef std::uint8_t Lanes8 __attribute__((vector_size(Bytes)));

  template <class To, class From>
  static DALVO_KERNEL_TARGET To As(From from) {
    return reinterpret_cast<To>(from);
  }

  // `value` in every 64-bit lane.
  static DALVO_KERNEL_TARGET Vector Splat(std::uint64_t value) {
    return As<Vector>(Lanes64{} + value);
  }

  // The quotients by 19 of values below 2^31 in the 64-bit lanes: x * ceil(2^36 / 19) >> 36,
  // whose error stays below 2^31 * 18 / (19 * 2^36) < 1/19 and so never reaches the next integer.
  static DALVO_KERNEL_TARGET Vector DivideByNineteen(Vector values) {
    return As<Vector>(As<Lanes64>(Kernel::MulEven32(values, Splat(3616814566))) >> 36);
  }

  // The remainders by 19 of values below 2^31 in the 64-bit lanes.
  static DALVO_KERNEL_TARGET Vector ModNineteen(Vector values) {
    const Vector nineteens = Kernel::MulEven32(DivideByNineteen(values), Splat(19));
    return As<Vector>(As<Lanes64>(values) - As<Lanes64>(nineteens));
  }

  // The ASCII digits of values below 10^8 in the 64-bit lanes: eight bytes a lane, its most
  // significant digit first.
  static DALVO_KERNEL_TARGET Vector EightDigitsAscii(Vector values) {
    // Split into 4-digit halves (v / 10^4 by a multiply and shift, exact below 10^8)...
    const Lanes64 high = As<Lanes64>(Kernel::MulEven32(values, Splat(109951163))) >> 40;
    const Lanes64 low =
        As<Lanes64>(values) - As<Lanes64>(Kernel::MulEven32(As<Vector>(high), Splat(10000)));
    const Lanes16 quads = As<Lanes16>(high | (low << 32));
    // ...then into 2-digit halves (x / 100 = x * 5243 >> 19, exact below 10^4)...
    const Lanes16 hundreds = MultiplyHigh16(quads, As<Lanes16>(Lanes32{} + 5243)) >> 3;
    const Lanes16 below_hundred = quads - hundreds * As<Lanes16>(Lanes32{} + 100);
    const Lanes16 pairs = hundreds | As<Lanes16>(As<Lanes32>(below_hundred) << 16);
    // ...then into digits (y / 10 = y * 6554 >> 16, exact below 100).
    const Lanes16 tens = MultiplyHigh16(pairs, Lanes16{} + 6554);
    const Lanes16 digits = tens | ((pairs - tens * 10) << 8);
    return As<Vector>(As<Lanes8>(digits) + '0');
  }

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

 private:
  static DALVO_KERNEL_TARGET Lanes16 MultiplyHigh16(Lanes16 a, Lanes16 b) {
    return As<Lanes16>(Kernel::MulHigh16(As<Vector>(a), As<Vector>(b)));
  }
};

}  // namespace
}  // namespace dalvo
