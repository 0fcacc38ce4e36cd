#include "division_kernel_avx2.h"

#include "division_kernel.h"

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
// Groups divided before their quotients are formatted: 2 KiB of input, 2 KiB of stack.
constexpr std::size_t kGroupsPerPass = 32;


// x mod 19 for every x the remainder step of DivideParsedGroup forms: a load where the
// arithmetic takes five instructions, four times per group. Its largest x is 9 * 18 plus own
// remainders weighted 64 + 16 + 4 + 1, each at most 18.
constexpr std::size_t kSmallValues = (9 + 85) * 18 + 1;
constexpr std::array<std::uint8_t, kSmallValues> kModNineteen = [] {
  std::array<std::uint8_t, kSmallValues> table{};
  for (std::size_t x = 0; x < kSmallValues; ++x) table[x] = static_cast<std::uint8_t>(x % 19);
  return table;
}();

}  // namespace

bool HasAvx2Kernel() { return __builtin_cpu_supports("avx2") != 0; }

namespace {

// The values of the eight 8-digit runs in two vectors of 32 digit values (bytes minus '0'), one
// per 32-bit lane, in the order shown at the return.
__attribute__((target("avx2"))) __m256i EightDigitValues(__m256i first, __m256i second) {
  // Pairs (d0 * 10 + d1), then groups of four, then of eight; every step stays within 31 bits.
  const __m256i pair_weights = _mm256_set1_epi16(0x010A);
  const __m256i quad_weights = _mm256_set1_epi32(0x00010064);
  const __m256i eight_weights = _mm256_set1_epi32(0x00012710);
  const __m256i quads_first =
      _mm256_madd_epi16(_mm256_maddubs_epi16(first, pair_weights), quad_weights);
  const __m256i quads_second =
      _mm256_madd_epi16(_mm256_maddubs_epi16(second, pair_weights), quad_weights);
  // packus works inside each 128-bit half, so the eights come out as
  // [f0 f1 s0 s1 | f2 f3 s2 s3] where f are the 8-byte runs of `first`, s of `second`.
  return _mm256_madd_epi16(_mm256_packus_epi32(quads_first, quads_second), eight_weights);
}

// The ASCII digits of four values below 10^8 in the 64-bit lanes of `values`: 32 bytes, the
// first lane's most significant digit first.
__attribute__((target("avx2"))) __m256i EightDigitsAsciiX4(__m256i values) {
  // Split into 4-digit halves (v / 10^4 by a multiply and shift, exact below 10^8)...
  const __m256i high =
      _mm256_srli_epi64(_mm256_mul_epu32(values, _mm256_set1_epi64x(109951163)), 40);
  const __m256i low = _mm256_sub_epi64(values, _mm256_mul_epu32(high, _mm256_set1_epi64x(10000)));
  const __m256i quads = _mm256_or_si256(high, _mm256_slli_epi64(low, 32));
  // ...then into 2-digit halves (x / 100 = x * 5243 >> 19, exact below 10^4)...
  const __m256i hundreds = _mm256_srli_epi16(_mm256_mulhi_epu16(quads, _mm256_set1_epi32(5243)), 3);
  const __m256i pairs = _mm256_or_si256(
      hundreds,
      _mm256_slli_epi32(
          _mm256_sub_epi16(quads, _mm256_mullo_epi16(hundreds, _mm256_set1_epi32(100))), 16));
  // ...then into digits (y / 10 = y * 6554 >> 16, exact below 100).
  const __m256i tens = _mm256_mulhi_epu16(pairs, _mm256_set1_epi16(6554));
  const __m256i digits = _mm256_or_si256(
      tens, _mm256_slli_epi16(
                _mm256_sub_epi16(pairs, _mm256_mullo_epi16(tens, _mm256_set1_epi16(10))), 8));
  return _mm256_add_epi8(digits, _mm256_set1_epi8('0'));
}

__attribute__((target("avx2"))) __m256i Splat(std::uint64_t value) {
  return _mm256_set1_epi64x(static_cast<long long>(value));
}

// The quotients by 19 of values below 2^31 in the 64-bit lanes: x * ceil(2^36 / 19) >> 36, whose
// error stays below 2^31 * 18 / (19 * 2^36) < 1/19 and so never reaches the next integer.
__attribute__((target("avx2"))) __m256i DivideByNineteen(__m256i values) {
  return _mm256_srli_epi64(_mm256_mul_epu32(values, Splat(3616814566)), 36);
}

// The remainders by 19 of values below 2^31 in the 64-bit lanes.
__attribute__((target("avx2"))) __m256i ModNineteen(__m256i values) {
  return _mm256_sub_epi64(values, _mm256_mul_epu32(DivideByNineteen(values), Splat(19)));
}

// Loads the 64 bytes at `group` as digit values (each byte minus '0') into `first` and
// `second`; false when any of them is not a digit.
__attribute__((target("avx2"))) bool LoadDigitGroup(const unsigned char* group, __m256i& first,
                                                    __m256i& second) {
  const __m256i zero_char = _mm256_set1_epi8('0');
  const __m256i nine = _mm256_set1_epi8(9);
  first = _mm256_sub_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(group)), zero_char);
  second =
      _mm256_sub_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(group + 32)), zero_char);
  // A byte is a digit when its value minus '0' is at most 9 as an unsigned byte.
  const __m256i digit_first = _mm256_cmpeq_epi8(_mm256_max_epu8(first, nine), nine);
  const __m256i digit_second = _mm256_cmpeq_epi8(_mm256_max_epu8(second, nine), nine);
  return _mm256_movemask_epi8(_mm256_and_si256(digit_first, digit_second)) == -1;
}

// The first pass over a group of 64 digit values (bytes minus '0', in `first` and `second`):
// its eight 8-digit runs into slot[0] and its four 16-digit blocks' own remainders into
// slot[1]. Each 16-digit block is two runs, high and low; the runs arrive as
// [h0 l0 h2 l2 | h1 l1 h3 l3], so every 64-bit lane holds one block, in the order 0, 2, 1, 3.
__attribute__((target("avx2"))) void ParseGroup(__m256i first, __m256i second, __m256i* slot) {
  const __m256i eights = EightDigitValues(first, second);
  const __m256i high = _mm256_and_si256(eights, _mm256_set1_epi64x(0xFFFFFFFF));
  const __m256i low = _mm256_srli_epi64(eights, 32);
  slot[0] = eights;
  // 10^8 = 17 (mod 19), so h * 17 + l (below 2^31) has the block's remainder.
  slot[1] = ModNineteen(_mm256_add_epi64(_mm256_mul_epu32(high, Splat(17)), low));
}

// The second pass over a parsed group (slot[0] and slot[1] as ParseGroup left them), divided
// after `remainder`, which becomes the remainder after the group: the eight 8-digit runs of the
// quotient, one per 64-bit lane, in reading order (blocks 0 and 1 in slot[0], blocks 2 and 3 in
// slot[1], each block's high half first).
__attribute__((target("avx2"))) void DivideParsedGroup(std::uint32_t& remainder, __m256i* slot) {
  const __m256i high = _mm256_and_si256(slot[0], _mm256_set1_epi64x(0xFFFFFFFF));
  const __m256i low = _mm256_srli_epi64(slot[0], 32);
  alignas(32) std::uint64_t own[4];
  _mm256_store_si256(reinterpret_cast<__m256i*>(own), slot[1]);
  // 10^16 = 4 (mod 19): the remainder before block i+1 is 4 * (the one before block i) + the
  // block's own. Unrolled from the running remainder, only one short step per group depends
  // on the group before; the weights are powers of 4, any number congruent mod 19 will do.
  const auto own1 = static_cast<std::uint32_t>(own[0]);
  const auto own12 = 4 * own1 + static_cast<std::uint32_t>(own[2]);
  const auto own123 = 4 * own12 + static_cast<std::uint32_t>(own[1]);
  const auto own1234 = 4 * own123 + static_cast<std::uint32_t>(own[3]);
  const std::uint32_t r = remainder;
  remainder = kModNineteen[9 * r + own1234];  // 10^64 = 9
  const __m256i before = _mm256_set_epi64x(kModNineteen[7 * r + own123], kModNineteen[4 * r + own1],
                                           kModNineteen[16 * r + own12], r);
  // Long division of each block in two 8-digit steps; every dividend is below 19 * 10^8, so
  // all eight quotients come from 32-bit lanes, side by side.
  const __m256i high_dividend = _mm256_add_epi64(_mm256_mul_epu32(before, Splat(kTenPow8)), high);
  const __m256i high_quotient = DivideByNineteen(high_dividend);
  const __m256i middle =
      _mm256_sub_epi64(high_dividend, _mm256_mul_epu32(high_quotient, Splat(19)));
  const __m256i low_quotient =
      DivideByNineteen(_mm256_add_epi64(_mm256_mul_epu32(middle, Splat(kTenPow8)), low));
  slot[0] = _mm256_unpacklo_epi64(high_quotient, low_quotient);
  slot[1] = _mm256_unpackhi_epi64(high_quotient, low_quotient);
}

}  // namespace

__attribute__((target("avx2"))) const unsigned char* DivideGroupsAvx2(const unsigned char* bytes,
                                                                      const unsigned char* end,
                                                                      std::uint32_t& remainder,
                                                                      char& held,
                                                                      ReportBuffer& out) {
  // A short run of digits (a line of text) is left to the block loop: a group or two alone
  // overlap with nothing, and the set-up would cost more than it saves.
  __m256i probe_first;
  __m256i probe_second;
  if (end - bytes < 2 * 64 || !LoadDigitGroup(bytes, probe_first, probe_second) ||
      !LoadDigitGroup(bytes + 64, probe_first, probe_second)) {
    return bytes;
  }
  // Locals, so that the stores into the output cannot force reloads of the state.
  std::uint32_t running = remainder;
  char last = held;
  char* cursor = out.cursor();
  // Parsing, dividing and formatting in separate passes over a few groups keeps each loop short
  // enough for the processor to overlap many groups; fused, one group's long chain of
  // multiplies fills the reorder window and the groups run nearly one after another.
  alignas(32) __m256i slots[2 * kGroupsPerPass];
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
      __m256i first;
      __m256i second;
      if (!LoadDigitGroup(bytes + 64 * groups, first, second)) break;
      ParseGroup(first, second, slots + 2 * groups);
    }
    if (groups == 0) break;
    for (std::size_t i = 0; i < groups; ++i) DivideParsedGroup(running, slots + 2 * i);
    cursor[0] = last;
    for (std::size_t i = 0; i < groups; ++i) {
      char* const text = cursor + 1 + 64 * i;
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(text), EightDigitsAsciiX4(slots[2 * i]));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(text + 32),
                          EightDigitsAsciiX4(slots[2 * i + 1]));
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

bool HasAvx2Kernel() { return false; }

const unsigned char* DivideGroupsAvx2(const unsigned char* bytes, const unsigned char*,
                                      std::uint32_t&, char&, ReportBuffer&) {
  return bytes;
}

#endif

}  // namespace dalvo
