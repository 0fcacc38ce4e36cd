#include "engine/division_chain_avx512.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/avx512_intrinsics.h"

namespace dalvo {

#if defined(__x86_64__)

namespace {

// The weights of one group by the phase of its first digit: row p, byte j holds
// 2^((p + j) mod 18) mod 19, at most 18, so a signed byte.
struct alignas(64) WeightRows {
  std::int8_t rows[18][64];
};
constexpr WeightRows kWeights = [] {
  WeightRows weights{};
  for (int phase = 0; phase < 18; ++phase) {
    for (int j = 0; j < 64; ++j) {
      int power = 1;
      for (int k = 0; k < (phase + j) % 18; ++k) power = power * 2 % 19;
      weights.rows[phase][j] = static_cast<std::int8_t>(power);
    }
  }
  return weights;
}();

// (phase + digits) mod 18 for a phase below 18 and up to 64 digits: a load where the division
// would sit in the loop's one dependency chain.
constexpr std::array<std::uint8_t, 18 + 64> kPhaseAfter = [] {
  std::array<std::uint8_t, 18 + 64> table{};
  for (std::size_t x = 0; x < table.size(); ++x) table[x] = static_cast<std::uint8_t>(x % 18);
  return table;
}();

// Groups weighed before the 32-bit lanes are added up: each group adds at most 4 * 9 * 18 to a
// lane, so 2^16 groups stay far below 2^31.
constexpr std::size_t kGroupsPerFold = std::size_t{1} << 16;


}  // namespace

bool HasAvx512Summary() {
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
         __builtin_cpu_supports("avx512vnni") != 0 &&
         __builtin_cpu_supports("avx512vbmi2") != 0 && __builtin_cpu_supports("popcnt") != 0;
}

namespace {

// One group into `sum`: its digit values squeezed to the front (the rest zero), times the
// weights of the current phase, four bytes into each 32-bit lane.
__attribute__((target("avx512f,avx512bw,avx512vnni,avx512vbmi2,popcnt"))) __m512i WeighGroup(
    const unsigned char* group, __m512i sum, std::uint32_t& phase, std::uint64_t& digit_count) {
  const __m512i values = _mm512_sub_epi8(_mm512_loadu_si512(group), _mm512_set1_epi8('0'));
  const __mmask64 digits = _mm512_cmple_epu8_mask(values, _mm512_set1_epi8(9));
  // Long digit runs skip the squeeze; its branch is then always taken the same way.
  const __m512i packed =
      digits == ~__mmask64{0} ? values : _mm512_maskz_compress_epi8(digits, values);
  sum = _mm512_dpbusd_epi32(sum, packed, _mm512_load_si512(kWeights.rows[phase]));
  const auto count = static_cast<std::uint32_t>(__builtin_popcountll(digits));
  phase = kPhaseAfter[phase + count];
  digit_count += count;
  return sum;
}

}  // namespace

__attribute__((target("avx512f,avx512bw,avx512vnni,avx512vbmi2,popcnt"))) std::uint64_t
WeightedDigitGroupsAvx512(const unsigned char*& bytes, const unsigned char* end,
                          std::uint32_t& phase, std::uint64_t& digit_count) {
  std::uint64_t total = 0;
  std::uint32_t current = phase;
  std::uint64_t count = digit_count;
  while (end - bytes >= 64) {
    const std::size_t groups =
        std::min(static_cast<std::size_t>(end - bytes) / 64, kGroupsPerFold);
    const unsigned char* const stop = bytes + 64 * groups;
    // Two sums, so that one group's multiply-add need not wait for the other's.
    __m512i even = _mm512_setzero_si512();
    __m512i odd = _mm512_setzero_si512();
    for (; stop - bytes >= 128; bytes += 128) {
      even = WeighGroup(bytes, even, current, count);
      odd = WeighGroup(bytes + 64, odd, current, count);
    }
    if (bytes != stop) {
      even = WeighGroup(bytes, even, current, count);
      bytes += 64;
    }
    total += static_cast<std::uint32_t>(_mm512_reduce_add_epi32(_mm512_add_epi32(even, odd)));
  }
  phase = current;
  digit_count = count;
  return total;
}

#else

bool HasAvx512Summary() { return false; }

std::uint64_t WeightedDigitGroupsAvx512(const unsigned char*&, const unsigned char*,
                                        std::uint32_t&, std::uint64_t&) {
  return 0;
}

#endif

}  // namespace dalvo
