// The AVX2 step of the division kernel: a group of 64 digits in two 256-bit vectors, eight digits
// to a 32-bit lane. The pass loop is division_kernel_groups.h's. An acceleration of the rule
// (division_rule.h), compared only with the schoolbook oracle (OracleReport) by
// DivisionKernel.LongDigitRunsAtEveryGroupOffset; the oracle is tied to the rule by
// DivisionRule.ReportsAgreeWithSchoolbookDivision.
#include "engine/division_kernel_vector.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstdint>

#define DALVO_KERNEL_TARGET __attribute__((target("avx2")))
#include "engine/division_kernel_groups.h"

namespace dalvo {
namespace {

struct Avx2Kernel : GroupDivision<Avx2Kernel> {
  struct Digits {
    __m256i first;
    __m256i second;
  };
  // Between the passes: the group's eight 8-digit runs in slot[0] and its four 16-digit blocks'
  // own remainders in slot[1]; after the second pass the quotient's runs (see
  // DivideParsedGroup).
  struct ParsedGroup {
    __m256i slot[2];
  };

  // One vector as the intrinsics take it, and as lanes of the compiler's vector types, whose
  // operators work lane by lane. A cast between them moves no data.
  typedef long long Vector __attribute__((vector_size(32)));
  typedef std::uint64_t Lanes64 __attribute__((vector_size(32)));
  typedef std::uint32_t Lanes32 __attribute__((vector_size(32)));
  typedef std::uint16_t Lanes16 __attribute__((vector_size(32)));
  typedef std::uint8_t Lanes8 __attribute__((vector_size(32)));

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
    return As<Vector>(As<Lanes64>(MulEven32(values, Splat(3616814566))) >> 36);
  }

  // The remainders by 19 of values below 2^31 in the 64-bit lanes.
  static DALVO_KERNEL_TARGET Vector ModNineteen(Vector values) {
    const Vector nineteens = MulEven32(DivideByNineteen(values), Splat(19));
    return As<Vector>(As<Lanes64>(values) - As<Lanes64>(nineteens));
  }

  // The ASCII digits of values below 10^8 in the 64-bit lanes: eight bytes a lane, its most
  // significant digit first.
  static DALVO_KERNEL_TARGET Vector EightDigitsAscii(Vector values) {
    // Split into 4-digit halves (v / 10^4 by a multiply and shift, exact below 10^8)...
    const Lanes64 high = As<Lanes64>(MulEven32(values, Splat(109951163))) >> 40;
    const Lanes64 low =
        As<Lanes64>(values) - As<Lanes64>(MulEven32(As<Vector>(high), Splat(10000)));
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

  static DALVO_KERNEL_TARGET Vector MulEven32(Vector a, Vector b) {
    return _mm256_mul_epu32(a, b);
  }
  static DALVO_KERNEL_TARGET Vector MulHigh16(Vector a, Vector b) {
    return _mm256_mulhi_epu16(a, b);
  }
  static DALVO_KERNEL_TARGET Lanes16 MultiplyHigh16(Lanes16 a, Lanes16 b) {
    return As<Lanes16>(MulHigh16(As<Vector>(a), As<Vector>(b)));
  }

  static DALVO_KERNEL_TARGET bool LoadDigitGroup(const unsigned char* group, Digits& digits) {
    const __m256i zero_char = _mm256_set1_epi8('0');
    const __m256i nine = _mm256_set1_epi8(9);
    digits.first =
        _mm256_sub_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(group)), zero_char);
    digits.second = _mm256_sub_epi8(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(group + 32)), zero_char);
    // A byte is a digit when its value minus '0' is at most 9 as an unsigned byte.
    const __m256i digit_first = _mm256_cmpeq_epi8(_mm256_max_epu8(digits.first, nine), nine);
    const __m256i digit_second = _mm256_cmpeq_epi8(_mm256_max_epu8(digits.second, nine), nine);
    return _mm256_movemask_epi8(_mm256_and_si256(digit_first, digit_second)) == -1;
  }

  // The values of the eight 8-digit runs of a group, one per 32-bit lane, in the order shown at
  // the return.
  static DALVO_KERNEL_TARGET __m256i EightDigitValues(const Digits& digits) {
    // Pairs (d0 * 10 + d1), then groups of four, then of eight; every step stays within 31 bits.
    const __m256i pair_weights = _mm256_set1_epi16(0x010A);
    const __m256i quad_weights = _mm256_set1_epi32(0x00010064);
    const __m256i eight_weights = _mm256_set1_epi32(0x00012710);
    const __m256i quads_first =
        _mm256_madd_epi16(_mm256_maddubs_epi16(digits.first, pair_weights), quad_weights);
    const __m256i quads_second =
        _mm256_madd_epi16(_mm256_maddubs_epi16(digits.second, pair_weights), quad_weights);
    // packus works inside each 128-bit half, so the eights come out as
    // [f0 f1 s0 s1 | f2 f3 s2 s3] where f are the 8-byte runs of `first`, s of `second`.
    return _mm256_madd_epi16(_mm256_packus_epi32(quads_first, quads_second), eight_weights);
  }

  // Each 16-digit block is two runs, high and low; the runs arrive as [h0 l0 h2 l2 | h1 l1 h3 l3],
  // so every 64-bit lane holds one block, in the order 0, 2, 1, 3.
  static DALVO_KERNEL_TARGET void ParseGroup(const Digits& digits, ParsedGroup& group) {
    const __m256i eights = EightDigitValues(digits);
    const __m256i high = _mm256_and_si256(eights, _mm256_set1_epi64x(0xFFFFFFFF));
    const __m256i low = _mm256_srli_epi64(eights, 32);
    group.slot[0] = eights;
    // 10^8 = 17 (mod 19), so h * 17 + l (below 2^31) has the block's remainder.
    group.slot[1] = ModNineteen(_mm256_add_epi64(_mm256_mul_epu32(high, Splat(17)), low));
  }

  // The quotient's eight 8-digit runs, one per 64-bit lane, in reading order (blocks 0 and 1 in
  // slot[0], blocks 2 and 3 in slot[1], each block's high half first).
  static DALVO_KERNEL_TARGET void DivideParsedGroup(std::uint32_t& remainder, ParsedGroup& group) {
    const __m256i high = _mm256_and_si256(group.slot[0], _mm256_set1_epi64x(0xFFFFFFFF));
    const __m256i low = _mm256_srli_epi64(group.slot[0], 32);
    alignas(32) std::uint64_t own[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(own), group.slot[1]);
    // 10^16 = 4 (mod 19): the remainder before block i+1 is 4 * (the one before block i) + the
    // block's own. Unrolled from the running remainder, only one short step per group depends
    // on the group before; the weights are powers of 4, any number congruent mod 19 will do.
    const auto own1 = static_cast<std::uint32_t>(own[0]);
    const auto own12 = 4 * own1 + static_cast<std::uint32_t>(own[2]);
    const auto own123 = 4 * own12 + static_cast<std::uint32_t>(own[1]);
    const auto own1234 = 4 * own123 + static_cast<std::uint32_t>(own[3]);
    const std::uint32_t r = remainder;
    remainder = kModNineteen[9 * r + own1234];  // 10^64 = 9
    const __m256i before = _mm256_set_epi64x(kModNineteen[7 * r + own123],
                                             kModNineteen[4 * r + own1],
                                             kModNineteen[16 * r + own12], r);
    // Long division of each block in two 8-digit steps; every dividend is below 19 * 10^8, so
    // all eight quotients come from 32-bit lanes, side by side.
    const __m256i high_dividend =
        _mm256_add_epi64(_mm256_mul_epu32(before, Splat(kTenPow8)), high);
    const __m256i high_quotient = DivideByNineteen(high_dividend);
    const __m256i middle =
        _mm256_sub_epi64(high_dividend, _mm256_mul_epu32(high_quotient, Splat(19)));
    const __m256i low_quotient =
        DivideByNineteen(_mm256_add_epi64(_mm256_mul_epu32(middle, Splat(kTenPow8)), low));
    group.slot[0] = _mm256_unpacklo_epi64(high_quotient, low_quotient);
    group.slot[1] = _mm256_unpackhi_epi64(high_quotient, low_quotient);
  }

  static DALVO_KERNEL_TARGET void WriteQuotient(const ParsedGroup& group, char* text) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(text), EightDigitsAscii(group.slot[0]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(text + 32), EightDigitsAscii(group.slot[1]));
  }
};

}  // namespace

DALVO_KERNEL_TARGET const unsigned char* DivideGroupsAvx2(
    const unsigned char* bytes, const unsigned char* end, std::uint32_t& remainder, char& held,
    ReportBuffer& out) {
  return Avx2Kernel::DivideGroups(bytes, end, remainder, held, out);
}

bool HasAvx2Kernel() { return __builtin_cpu_supports("avx2") != 0; }

}  // namespace dalvo

#endif
