// The AVX-512 step of the division kernel: a group of 64 digits in one 512-bit vector, one byte
// lane per digit. The pass loop is division_kernel_groups.h's; the lanes here only ever hold a
// digit or a number below 128 that stands for a remainder mod 19, so a group needs byte lookups
// (VBMI) and adds, no multiplies. An acceleration of the rule (division_rule.h), compared only
// with the schoolbook oracle (OracleReport) by DivisionKernel.LongDigitRunsAtEveryGroupOffset;
// the oracle is tied to the rule by DivisionRule.ReportsAgreeWithSchoolbookDivision.
#include "engine/division_kernel_vector.h"

#if defined(__x86_64__)

#include <cstddef>
#include <cstdint>

#include "engine/avx512_intrinsics.h"

#define DALVO_KERNEL_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#include "engine/division_kernel_groups.h"

namespace dalvo {
namespace {

// 10^n mod 19.
constexpr std::uint32_t TenPowerModNineteen(std::uint32_t n) {
  std::uint32_t power = 1;
  for (std::uint32_t i = 0; i < n; ++i) power = power * 10 % 19;
  return power;
}

// A byte lookup of 128 entries (two vectors for vpermi2b; the first half alone for vpermb).
struct alignas(64) ByteTable {
  std::uint8_t bytes[128];
};

// Entry x: multiplier * x mod 19.
constexpr ByteTable TimesModNineteen(std::uint32_t multiplier) {
  ByteTable table{};
  for (std::uint32_t x = 0; x < 128; ++x) {
    table.bytes[x] = static_cast<std::uint8_t>(multiplier * x % 19);
  }
  return table;
}

// The prefix steps' lookups: step s adds the sums 2^s digits back, times 10^(2^s).
constexpr ByteTable kStepTables[6] = {
    TimesModNineteen(TenPowerModNineteen(1)),  TimesModNineteen(TenPowerModNineteen(2)),
    TimesModNineteen(TenPowerModNineteen(4)),  TimesModNineteen(TenPowerModNineteen(8)),
    TimesModNineteen(TenPowerModNineteen(16)), TimesModNineteen(TenPowerModNineteen(32))};
constexpr ByteTable kReduce = TimesModNineteen(1);

// Row r, byte i: r * 10^(i+1) mod 19, what the remainder r before a group adds to the remainder
// after its digit i.
struct alignas(64) CarriedRows {
  std::uint8_t rows[19][64];
};
constexpr CarriedRows kCarried = [] {
  CarriedRows table{};
  for (std::uint32_t r = 0; r < 19; ++r) {
    std::uint32_t carried = r;
    for (auto& byte : table.rows[r]) {
      carried = carried * 10 % 19;
      byte = static_cast<std::uint8_t>(carried);
    }
  }
  return table;
}();

// The ASCII quotient digit q of a step 10 * before + d = 19 * q + after, looked up by
// after - d (mod 64, as vpermb reads its index). That difference t lies in -9..18 and decides
// the step: 10 * before = 19 * q + t, so before = 2 * t mod 19 (10 * 2 = 1 mod 19) and
// q = (10 * before - t) / 19. Negative t land on 55..63, clear of 0..18.
struct alignas(64) QuotientDigits {
  std::uint8_t bytes[64];
};
constexpr QuotientDigits kQuotientDigits = [] {
  QuotientDigits table{};
  for (int t = -9; t <= 18; ++t) {
    const int before = (2 * t % 19 + 19) % 19;
    table.bytes[(t + 64) % 64] = static_cast<std::uint8_t>('0' + (10 * before - t) / 19);
  }
  return table;
}();

// Groups parsed side by side (see ParseSideBySide).
constexpr std::size_t kSideBySide = 8;

struct Avx512Kernel : GroupDivision<Avx512Kernel> {
  struct Digits {
    __m512i values;
  };
  // Between the passes: the group's digit values; byte i of `prefixes` holds the value of its
  // digits 0..i mod 19; `before` is the remainder before the group, set by the second pass.
  struct alignas(64) ParsedGroup {
    std::uint8_t digits[64];
    std::uint8_t prefixes[64];
    std::uint32_t before;
  };

  static DALVO_KERNEL_TARGET bool LoadDigitGroup(const unsigned char* group, Digits& digits) {
    digits.values = _mm512_sub_epi8(_mm512_loadu_si512(group), _mm512_set1_epi8('0'));
    // A byte is a digit when its value minus '0' is at most 9 as an unsigned byte.
    return _mm512_cmple_epu8_mask(digits.values, _mm512_set1_epi8(9)) == ~__mmask64{0};
  }

  static DALVO_KERNEL_TARGET __m512i Table(const ByteTable& table, int half) {
    return _mm512_load_si512(table.bytes + 64 * half);
  }

  // The bytes of `bytes` moved `count` lanes up (towards later digits), zeros below them.
  template <int count>
  static DALVO_KERNEL_TARGET __m512i ShiftUp(__m512i bytes) {
    if constexpr (count % 8 == 0) {
      return _mm512_alignr_epi64(bytes, _mm512_setzero_si512(), 8 - count / 8);
    } else {
      alignas(64) std::uint8_t from[64] = {};
      for (int i = count; i < 64; ++i) from[i] = static_cast<std::uint8_t>(i - count);
      return _mm512_maskz_permutexvar_epi8(~__mmask64{0} << count, _mm512_load_si512(from),
                                           bytes);
    }
  }

  // One doubling step (see ParseSideBySide) on bytes below 64, and on bytes below 128.
  template <int shift, std::size_t count>
  static DALVO_KERNEL_TARGET void NarrowStep(__m512i (&sums)[count], const ByteTable& table) {
    const __m512i lookup = Table(table, 0);
#pragma GCC unroll 8
    for (std::size_t g = 0; g < count; ++g) {
      sums[g] = _mm512_add_epi8(sums[g], ShiftUp<shift>(_mm512_permutexvar_epi8(sums[g], lookup)));
    }
  }
  template <int shift, std::size_t count>
  static DALVO_KERNEL_TARGET void WideStep(__m512i (&sums)[count], const ByteTable& table) {
    const __m512i low = Table(table, 0);
    const __m512i high = Table(table, 1);
#pragma GCC unroll 8
    for (std::size_t g = 0; g < count; ++g) {
      sums[g] = _mm512_add_epi8(sums[g],
                                ShiftUp<shift>(_mm512_permutex2var_epi8(low, sums[g], high)));
    }
  }

  // The prefix remainders of `count` groups side by side, so that the processor always has
  // other groups' steps to run while one step waits for the one before; by doubling: after step
  // s, byte i holds a number congruent mod 19 to the value of digits i-2^(s+1)+1..i (those that
  // exist). A step adds to each byte the one 2^s lanes below, times 10^(2^s) and reduced by
  // lookup to at most 18, so the bytes grow by at most 18 a step from the digits' 9: 27, 45, 63
  // after the first three steps (within a 64-entry vpermb), 81, 99, 117 after the last three
  // (within the 128 entries of vpermi2b), and one more lookup reduces them.
  template <std::size_t count>
  static DALVO_KERNEL_TARGET void ParseSideBySide(const Digits* digits, ParsedGroup* parsed) {
    __m512i sums[count];
#pragma GCC unroll 8
    for (std::size_t g = 0; g < count; ++g) sums[g] = digits[g].values;
    NarrowStep<1>(sums, kStepTables[0]);
    NarrowStep<2>(sums, kStepTables[1]);
    NarrowStep<4>(sums, kStepTables[2]);
    NarrowStep<8>(sums, kStepTables[3]);
    WideStep<16>(sums, kStepTables[4]);
    WideStep<32>(sums, kStepTables[5]);
    const __m512i low = Table(kReduce, 0);
    const __m512i high = Table(kReduce, 1);
#pragma GCC unroll 8
    for (std::size_t g = 0; g < count; ++g) {
      _mm512_store_si512(parsed[g].digits, digits[g].values);
      _mm512_store_si512(parsed[g].prefixes, _mm512_permutex2var_epi8(low, sums[g], high));
    }
  }

  static DALVO_KERNEL_TARGET std::size_t ParseGroups(const unsigned char* bytes, std::size_t most,
                                                     ParsedGroup* parsed) {
    std::size_t groups = 0;
    Digits digits[kSideBySide];
    while (most - groups >= kSideBySide) {
      bool all_digits = true;
#pragma GCC unroll 8
      for (std::size_t g = 0; g < kSideBySide; ++g) {
        all_digits &= LoadDigitGroup(bytes + 64 * (groups + g), digits[g]);
      }
      if (!all_digits) break;
      ParseSideBySide<kSideBySide>(digits, parsed + groups);
      groups += kSideBySide;
    }
    // The last few groups, or those before a non-digit, one at a time.
    for (; groups < most; ++groups) {
      if (!LoadDigitGroup(bytes + 64 * groups, digits[0])) break;
      ParseSideBySide<1>(digits, parsed + groups);
    }
    return groups;
  }

  // Only the remainder runs from group to group: 10^64 = 9 (mod 19).
  static DALVO_KERNEL_TARGET void DivideParsedGroup(std::uint32_t& remainder, ParsedGroup& group) {
    group.before = remainder;
    remainder = kModNineteen[9 * remainder + group.prefixes[63]];
  }

  // Four groups a remainder step: with a, b, c, d their remainders on their own, the remainder
  // after them is 9^4 r + 9^3 a + 9^2 b + 9 c + d = 6 r + 7 a + 5 b + 9 c + d (mod 19), and the
  // ones before the second, third and fourth are the shorter sums. The weighted sums are at most
  // 28 * 18, inside kModNineteen, and only the multiply-add by r waits for the groups before.
  static DALVO_KERNEL_TARGET void DivideParsedGroups(std::uint32_t& remainder,
                                                     ParsedGroup* parsed, std::size_t count) {
    static_assert((6 + 7 + 5 + 9 + 1) * 18 < kSmallValues);
    std::size_t i = 0;
    for (; count - i >= 4; i += 4) {
      const std::uint32_t a = parsed[i].prefixes[63];
      const std::uint32_t b = parsed[i + 1].prefixes[63];
      const std::uint32_t c = parsed[i + 2].prefixes[63];
      const std::uint32_t d = parsed[i + 3].prefixes[63];
      const std::uint32_t r = remainder;
      parsed[i].before = r;
      parsed[i + 1].before = kModNineteen[9 * r + a];
      parsed[i + 2].before = kModNineteen[5 * r + 9 * a + b];
      parsed[i + 3].before = kModNineteen[7 * r + 5 * a + 9 * b + c];
      remainder = kModNineteen[6 * r + 7 * a + 5 * b + 9 * c + d];
    }
    for (; i < count; ++i) DivideParsedGroup(remainder, parsed[i]);
  }

  static DALVO_KERNEL_TARGET void WriteQuotient(const ParsedGroup& group, char* text) {
    // The remainder after each digit: the carried part and the prefix, both at most 18, so
    // their sum stays below 37 and one lookup reduces it.
    const __m512i sums = _mm512_add_epi8(_mm512_load_si512(kCarried.rows[group.before]),
                                         _mm512_load_si512(group.prefixes));
    const __m512i after = _mm512_permutexvar_epi8(sums, Table(kReduce, 0));
    const __m512i index = _mm512_sub_epi8(after, _mm512_load_si512(group.digits));
    _mm512_storeu_si512(text,
                        _mm512_permutexvar_epi8(index, _mm512_load_si512(kQuotientDigits.bytes)));
  }
};

}  // namespace

DALVO_KERNEL_TARGET const unsigned char* DivideGroupsAvx512(
    const unsigned char* bytes, const unsigned char* end, std::uint32_t& remainder, char& held,
    ReportBuffer& out) {
  return Avx512Kernel::DivideGroups(bytes, end, remainder, held, out);
}

bool HasAvx512Kernel() {
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
         __builtin_cpu_supports("avx512vbmi") != 0;
}

}  // namespace dalvo

#endif
