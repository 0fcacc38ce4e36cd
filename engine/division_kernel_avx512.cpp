// The AVX-512 step of the division kernel: a group of 64 digits in one 512-bit vector. The pass
// loop and the lane arithmetic are division_kernel_groups.h's; here is what the width decides.
#include "division_kernel_vector.h"

#if defined(__x86_64__)

#include <cstdint>

#include "avx512_intrinsics.h"

#define DALVO_KERNEL_TARGET __attribute__((target("avx512f,avx512bw")))
#include "division_kernel_groups.h"

namespace dalvo {
namespace {

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

struct Avx512Kernel : GroupDivision<Avx512Kernel, 64> {
  struct Digits {
    __m512i values;
  };
  // Between the passes: the group's eight 8-digit runs (after the second pass, their
  // quotients), and the remainders of its leading runs, lane k holding the first 8(k+1) digits'
  // value mod 19.
  struct alignas(64) ParsedGroup {
    std::uint64_t runs[8];
    std::uint64_t prefixes[8];
  };

  static DALVO_KERNEL_TARGET Vector MulEven32(Vector a, Vector b) {
    return _mm512_mul_epu32(a, b);
  }
  static DALVO_KERNEL_TARGET Vector MulHigh16(Vector a, Vector b) {
    return _mm512_mulhi_epu16(a, b);
  }

  static DALVO_KERNEL_TARGET bool LoadDigitGroup(const unsigned char* group, Digits& digits) {
    digits.values = _mm512_sub_epi8(_mm512_loadu_si512(group), _mm512_set1_epi8('0'));
    // A byte is a digit when its value minus '0' is at most 9 as an unsigned byte.
    return _mm512_cmple_epu8_mask(digits.values, _mm512_set1_epi8(9)) == ~__mmask64{0};
  }

  // The runs, one per 64-bit lane in reading order, and the remainders of the leading runs.
  static DALVO_KERNEL_TARGET void ParseGroup(const Digits& digits, ParsedGroup& group) {
    // Pairs (d0 * 10 + d1), then groups of four, then of eight; every step stays within 31 bits.
    const __m512i pairs = _mm512_maddubs_epi16(digits.values, _mm512_set1_epi16(0x010A));
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

  // The runs become the 8-digit runs of the quotient.
  static DALVO_KERNEL_TARGET void DivideParsedGroup(std::uint32_t& remainder, ParsedGroup& group) {
    // The remainder before run k is 17^k times the one before the group plus the remainder of
    // the group's first k runs; only the short scalar step below depends on the group before.
    // Both parts are below 19, so one conditional subtraction reduces their sum.
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

  static DALVO_KERNEL_TARGET void WriteQuotient(const ParsedGroup& group, char* text) {
    _mm512_storeu_si512(text, EightDigitsAscii(_mm512_load_si512(group.runs)));
  }
};

}  // namespace

DALVO_KERNEL_TARGET const unsigned char* DivideGroupsAvx512(
    const unsigned char* bytes, const unsigned char* end, std::uint32_t& remainder, char& held,
    ReportBuffer& out) {
  return Avx512Kernel::DivideGroups(bytes, end, remainder, held, out);
}

bool HasAvx512Kernel() {
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0;
}

}  // namespace dalvo

#endif
