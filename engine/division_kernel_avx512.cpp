#include "division_kernel_avx512.h"

#include "division_kernel.h"

// GCC 12's AVX-512 headers fill the unused merge operand of many intrinsics with a vector that
// initialises itself, which its own -Wmaybe-uninitialized then reports at every use. The
// warning must be off where the header is read, so before it is included.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <algorithm>
#include <array>
#include <cstddef>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace dalvo {

#if defined(__x86_64__)

namespace {
// Room for one group: the held digit and 64 new ones (the newest of them becomes the held one).
constexpr std::ptrdiff_t kGroupRoom = 65;
// Groups parsed before they are divided and formatted: 2 KiB of input, 4 KiB of stack.
constexpr std::size_t kGroupsPerPass = 32;


// x mod 19 for the x of the remainder step between groups: 9 * 18 plus a remainder.
constexpr std::array<std::uint8_t, 9 * 18 + 19> kModNineteen = [] {
  std::array<std::uint8_t, 9 * 18 + 19> table{};
  for (std::size_t x = 0; x < table.size(); ++x) table[x] = static_cast<std::uint8_t>(x % 19);
  return table;
}();

// Row r, lane k: 17^k * r mod 19, the part of the remainder before run k of a group that comes
// from the remainder r before the group (10^8 = 17 mod 19).
struct alignas(64) RemainderRows {
  std::uint64_t rows[19][8];
};
constexpr RemainderRows kCarriedRemainders = [] {
  RemainderRows table{};
  for (std::uint64_t r = 0; r < 19; ++r) {
    std::uint64_t carried = r;
    for (auto& lane : table.rows[r]) {
      lane = carried;
      carried = carried * 17 % 19;
    }
  }
  return table;
}();

// One group between the passes: its eight 8-digit runs (then their quotients), and the
// remainders of its leading runs, lane k holding the first 8(k+1) digits' value mod 19.
struct alignas(64) ParsedGroup {
  std::uint64_t runs[8];
  std::uint64_t prefixes[8];
};

}  // namespace

bool HasAvx512Kernel() {
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0;
}

namespace {

__attribute__((target("avx512f,avx512bw"))) __m512i Splat(std::uint64_t value) {
  return _mm512_set1_epi64(static_cast<long long>(value));
}

// The quotients by 19 of values below 2^31 in the 64-bit lanes: x * ceil(2^36 / 19) >> 36, whose
// error stays below 2^31 * 18 / (19 * 2^36) < 1/19 and so never reaches the next integer.
__attribute__((target("avx512f,avx512bw"))) __m512i DivideByNineteen(__m512i values) {
  return _mm512_srli_epi64(_mm512_mul_epu32(values, Splat(3616814566)), 36);
}

// The remainders by 19 of values below 2^31 in the 64-bit lanes.
__attribute__((target("avx512f,avx512bw"))) __m512i ModNineteen(__m512i values) {
  return _mm512_sub_epi64(values, _mm512_mul_epu32(DivideByNineteen(values), Splat(19)));
}

// Loads the 64 bytes at `group` as digit values (each byte minus '0'); false when any of them
// is not a digit.
__attribute__((target("avx512f,avx512bw"))) bool LoadDigitGroup(const unsigned char* group,
                                                                 __m512i& values) {
  values = _mm512_sub_epi8(_mm512_loadu_si512(group), _mm512_set1_epi8('0'));
  // A byte is a digit when its value minus '0' is at most 9 as an unsigned byte.
  return _mm512_cmple_epu8_mask(values, _mm512_set1_epi8(9)) == ~__mmask64{0};
}

// The first pass over a group of 64 digit values: its eight 8-digit runs, one per 64-bit lane in
// reading order, and the remainders of its leading runs.
__attribute__((target("avx512f,avx512bw"))) void ParseGroup(__m512i values, ParsedGroup& group) {
  // Pairs (d0 * 10 + d1), then groups of four, then of eight; every step stays within 31 bits.
  const __m512i pairs = _mm512_maddubs_epi16(values, _mm512_set1_epi16(0x010A));
  const __m512i quads = _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00010064));
  const __m512i runs =
      _mm512_add_epi64(_mm512_mul_epu32(quads, Splat(10000)), _mm512_srli_epi64(quads, 32));
  _mm512_store_si512(group.runs, runs);
  // 10^8 = 17 (mod 19), so lane k needs the sum of own_j * 17^(k-j) over j <= k: three
  // doubling steps, with 17, 17^2 and 17^4 taken mod 19 as 17, 4 and 16, by shifts and adds.
  // The sums stay below 2^15, and one reduction at the end does.
  const __m512i zero = _mm512_setzero_si512();
  const __m512i own = ModNineteen(runs);
  const __m512i before_one = _mm512_alignr_epi64(own, zero, 7);
  __m512i sum = _mm512_add_epi64(_mm512_add_epi64(own, before_one),
                                 _mm512_slli_epi64(before_one, 4));
  sum = _mm512_add_epi64(sum, _mm512_slli_epi64(_mm512_alignr_epi64(sum, zero, 6), 2));
  sum = _mm512_add_epi64(sum, _mm512_slli_epi64(_mm512_alignr_epi64(sum, zero, 4), 4));
  _mm512_store_si512(group.prefixes, ModNineteen(sum));
}

// The second pass over a parsed group, divided after `remainder`, which becomes the remainder
// after the group: the runs become the 8-digit runs of the quotient.
__attribute__((target("avx512f,avx512bw"))) void DivideParsedGroup(std::uint32_t& remainder,
                                                                   ParsedGroup& group) {
  // The remainder before run k is 17^k times the one before the group plus the remainder of the
  // group's first k runs; only the short scalar step below depends on the group before. Both
  // parts are below 19, so one conditional subtraction reduces their sum.
  const __m512i prefixes = _mm512_load_si512(group.prefixes);
  const __m512i leading = _mm512_alignr_epi64(prefixes, _mm512_setzero_si512(), 7);
  const __m512i sum =
      _mm512_add_epi64(_mm512_load_si512(kCarriedRemainders.rows[remainder]), leading);
  const __m512i before = _mm512_min_epu64(sum, _mm512_sub_epi64(sum, Splat(19)));
  remainder = kModNineteen[9 * remainder + group.prefixes[7]];  // 10^64 = 9 (mod 19)
  // Every dividend is below 19 * 10^8, so all eight quotients come from 32-bit lanes at once.
  const __m512i dividends = _mm512_add_epi64(_mm512_mul_epu32(before, Splat(kTenPow8)),
                                             _mm512_load_si512(group.runs));
  _mm512_store_si512(group.runs, DivideByNineteen(dividends));
}

// The ASCII digits of eight values below 10^8 in the 64-bit lanes of `values`: 64 bytes, the
// first lane's most significant digit first.
__attribute__((target("avx512f,avx512bw"))) __m512i EightDigitsAsciiX8(__m512i values) {
  // Split into 4-digit halves (v / 10^4 by a multiply and shift, exact below 10^8)...
  const __m512i high = _mm512_srli_epi64(_mm512_mul_epu32(values, Splat(109951163)), 40);
  const __m512i low = _mm512_sub_epi64(values, _mm512_mul_epu32(high, Splat(10000)));
  const __m512i quads = _mm512_or_si512(high, _mm512_slli_epi64(low, 32));
  // ...then into 2-digit halves (x / 100 = x * 5243 >> 19, exact below 10^4)...
  const __m512i hundreds =
      _mm512_srli_epi16(_mm512_mulhi_epu16(quads, _mm512_set1_epi32(5243)), 3);
  const __m512i pairs = _mm512_or_si512(
      hundreds,
      _mm512_slli_epi32(
          _mm512_sub_epi16(quads, _mm512_mullo_epi16(hundreds, _mm512_set1_epi32(100))), 16));
  // ...then into digits (y / 10 = y * 6554 >> 16, exact below 100).
  const __m512i tens = _mm512_mulhi_epu16(pairs, _mm512_set1_epi16(6554));
  const __m512i digits = _mm512_or_si512(
      tens, _mm512_slli_epi16(
                _mm512_sub_epi16(pairs, _mm512_mullo_epi16(tens, _mm512_set1_epi16(10))), 8));
  return _mm512_add_epi8(digits, _mm512_set1_epi8('0'));
}

}  // namespace

__attribute__((target("avx512f,avx512bw"))) const unsigned char* DivideGroupsAvx512(
    const unsigned char* bytes, const unsigned char* end, std::uint32_t& remainder, char& held,
    ReportBuffer& out) {
  // A short run of digits (a line of text) is left to the block loop: a group or two alone
  // overlap with nothing, and the set-up would cost more than it saves.
  __m512i probe;
  if (end - bytes < 2 * 64 || !LoadDigitGroup(bytes, probe) ||
      !LoadDigitGroup(bytes + 64, probe)) {
    return bytes;
  }
  // Locals, so that the stores into the output cannot force reloads of the state.
  std::uint32_t running = remainder;
  char last = held;
  char* cursor = out.cursor();
  // Parsing, dividing and formatting in separate passes over a few groups: the parse of many
  // groups overlaps, and only the scalar remainder step runs from group to group.
  ParsedGroup groups_of_pass[kGroupsPerPass];
  for (;;) {
    if (out.limit() - cursor < kGroupRoom) {
      out.SetCursor(cursor);
      out.Drain();
      cursor = out.cursor();
    }
    const auto room_groups = static_cast<std::size_t>((out.limit() - cursor - 1) / 64);
    const auto input_groups = static_cast<std::size_t>((end - bytes) / 64);
    const std::size_t most = std::min({kGroupsPerPass, room_groups, input_groups});
    std::size_t groups = 0;
    for (; groups < most; ++groups) {
      __m512i values;
      if (!LoadDigitGroup(bytes + 64 * groups, values)) break;
      ParseGroup(values, groups_of_pass[groups]);
    }
    if (groups == 0) break;
    for (std::size_t i = 0; i < groups; ++i) DivideParsedGroup(running, groups_of_pass[i]);
    cursor[0] = last;
    for (std::size_t i = 0; i < groups; ++i) {
      _mm512_storeu_si512(cursor + 1 + 64 * i,
                          EightDigitsAsciiX8(_mm512_load_si512(groups_of_pass[i].runs)));
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

#else

bool HasAvx512Kernel() { return false; }

const unsigned char* DivideGroupsAvx512(const unsigned char* bytes, const unsigned char*,
                                        std::uint32_t&, char&, ReportBuffer&) {
  return bytes;
}

#endif

}  // namespace dalvo
