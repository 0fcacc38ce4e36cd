// The fast division by 19: exact integer long division on blocks of 16 digits (groups of 64
// with AVX2 or AVX-512, in division_kernel_vector.h, where the machine has them), with an exact
// per-digit step for everything that is not a full block of digits (non-digits, buffer ends).
// It writes the quotient digits of the division's rule (division_rule.h). DivideBlock is
// compared with the rule a byte at a time (ReferenceDivider); every path's whole report with the
// schoolbook oracle (OracleReport), which DivisionRule.ReportsAgreeWithSchoolbookDivision ties to
// the rule; each function names its test. Owns only its small state; output goes into a
// ReportBuffer the caller owns, and the kernel itself cannot fail.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/division_report.h"
#include "engine/division_rule.h"

namespace dalvo {

inline constexpr std::uint64_t kTenPow8 = 100'000'000;
inline constexpr std::uint64_t kTenPow16 = kTenPow8 * kTenPow8;

// Eight bytes from `bytes`, the first byte in the lowest eight bits, whatever the byte order.
inline std::uint64_t LoadEight(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i) swapped = (swapped << 8) | ((word >> (8 * i)) & 0xFF);
    word = swapped;
  }
  return word;
}

// Stores `word` as eight bytes, its lowest eight bits first (the inverse of LoadEight).
inline void StoreEight(std::uint64_t word, char* bytes) {
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i) swapped = (swapped << 8) | ((word >> (8 * i)) & 0xFF);
    word = swapped;
  }
  std::memcpy(bytes, &word, sizeof word);
}

// The digit values of a LoadEight word: each byte minus '0'. Where the bytes are digits this is
// what ParseEightDigits adds up, so the digit test and the parse share the subtraction.
inline std::uint64_t DigitValues(std::uint64_t word) { return word - 0x3030303030303030; }

// Non-zero in some top bit when a byte of `values` (DigitValues of a word) was not a digit. Look
// at the lowest such byte: no borrow or carry reaches it from the digits below, so a byte below
// '0' wraps to 0xD0 or more and a byte above '9' reaches 0x80 once 0x76 is added. Bytes above it
// may be disturbed, but one flagged byte is enough.
inline std::uint64_t NonDigitFlags(std::uint64_t values) {
  return (values | (values + 0x7676767676767676)) & 0x8080808080808080;
}

// True when all eight bytes of a LoadEight word are ASCII digits.
inline bool AreEightDigits(std::uint64_t word) { return NonDigitFlags(DigitValues(word)) == 0; }

// True when all sixteen bytes of two LoadEight words are ASCII digits, with a single branch.
inline bool AreSixteenDigits(std::uint64_t first, std::uint64_t second) {
  return (NonDigitFlags(DigitValues(first)) | NonDigitFlags(DigitValues(second))) == 0;
}

// The value of eight ASCII digits (a LoadEight word that passed AreEightDigits), first byte most
// significant: pairs, then quadruples, then the whole, each by one multiply in parallel lanes.
inline std::uint32_t ParseEightDigits(std::uint64_t word) {
  word = DigitValues(word);
  word = (word * 10 + (word >> 8)) & 0x00FF00FF00FF00FF;
  word = (word * 100 + (word >> 16)) & 0x0000FFFF0000FFFF;
  word = (word * 10000 + (word >> 32)) & 0xFFFFFFFF;
  return static_cast<std::uint32_t>(word);
}

// The four ASCII digits of every value below 10^4, first digit in the lowest eight bits. Turning
// a quotient into text by table takes a quarter of the instructions that arithmetic needs, and
// the table (40 KB, read-only) stays in the caches while a division runs.
inline constexpr std::array<std::uint32_t, 10000> kDigitQuads = [] {
  std::array<std::uint32_t, 10000> quads{};
  for (std::uint32_t i = 0; i < 10000; ++i) {
    quads[i] = (0x30u + i / 1000) | ((0x30u + i / 100 % 10) << 8) |
               ((0x30u + i / 10 % 10) << 16) | ((0x30u + i % 10) << 24);
  }
  return quads;
}();

// The eight ASCII digits of `value` (< 10^8, zero-padded) as a StoreEight word.
inline std::uint64_t EightDigitsAscii(std::uint32_t value) {
  const std::uint32_t high = value / 10000;
  return kDigitQuads[high] | (std::uint64_t{kDigitQuads[value - high * 10000]} << 32);
}

// Writes `value` (< 10^16) as exactly 16 ASCII digits, zero-padded, to out[0..15].
inline void WriteSixteenDigits(std::uint64_t value, char* out) {
  StoreEight(EightDigitsAscii(static_cast<std::uint32_t>(value / kTenPow8)), out);
  StoreEight(EightDigitsAscii(static_cast<std::uint32_t>(value % kTenPow8)), out + 8);
}

struct BlockQuotient {
  std::uint64_t quotient;  // below 10^16: exactly 16 quotient digits, zero-padded
  std::uint32_t remainder;
};

// One block of long division: (remainder * 10^16 + block) / 19 and its remainder, sixteen steps
// of the rule (division_rule.h) at once, compared with sixteen steps of ReferenceDivider (the
// rule a byte at a time) by DivisionKernel.BlocksEqualSixteenPerDigitStepsFromEveryRemainder. With
// remainder < 19 and block < 10^16 the dividend stays below 1.9 * 10^17, inside 64 bits.
inline BlockQuotient DivideBlock(std::uint32_t remainder, std::uint64_t block) {
  const std::uint64_t dividend = remainder * kTenPow16 + block;
  const std::uint64_t quotient = dividend / 19;
  return {quotient, static_cast<std::uint32_t>(dividend - 19 * quotient)};
}

// Which loop divides long digit runs once the quotient has started.
enum class KernelPath {
  kPortable,  // 16-digit blocks in 64-bit words, on every machine
  kWide,      // 64-digit groups in AVX2 vectors; only where HasAvx2Kernel() is true
  kWidest,    // 64-digit groups in AVX-512 vectors; only where HasAvx512Kernel() is true
};

// The widest path this machine runs.
KernelPath BestKernelPath();

// The path a division asked for `path` really takes here: the widest of `path` and the ones
// below it that this machine has.
KernelPath AvailableKernelPath(KernelPath path);

// The report's final values for a division that ends in `state` (LastEstimate of the rule).
DivisionTally TallyOf(const DivisionState& state);

// One division in progress, fed buffers of raw bytes in order.
class BlockDivider {
 public:
  // Divides with `path`, or the best one; kWide without AVX2 falls back to kPortable.
  BlockDivider() : BlockDivider(BestKernelPath()) {}
  explicit BlockDivider(KernelPath path) : BlockDivider(path, DivisionState{}) {}
  // Resumes a division at `state`: the digits it writes are those that the division it resumes
  // would have written next.
  BlockDivider(KernelPath path, const DivisionState& state);

  // Takes `size` bytes: digits join the number, other bytes are skipped. Quotient digits go to
  // `out` as they become final: leading zeros never, and the newest digit is held back (it
  // belongs to the report's last value). `out` may be a window over the same memory that
  // starts at least one byte before `bytes`: the quotient then overwrites only bytes already
  // read, as it never runs ahead of the digits.
  void Consume(const unsigned char* bytes, std::size_t size, ReportBuffer& out);

  // The state after the bytes consumed so far, as if the input ended here.
  DivisionTally Tally() const { return TallyOf(state()); }
  DivisionState state() const { return {remainder_, held_, started_, digit_count_}; }

  // The path this divider runs (what the constructor's path became on this machine), and the
  // digits its vector loop has divided so far; 0 on kPortable. Without these a machine could
  // silently lose its wide path and still divide correctly, only slower.
  KernelPath path() const { return path_; }
  std::uint64_t vector_digits() const { return vector_digits_; }

 private:
  // Consumes full blocks of digits while the quotient has started; returns where it stopped.
  const unsigned char* RunStartedBlocks(const unsigned char* bytes, const unsigned char* end,
                                        ReportBuffer& out);
  void UnstartedBlock(std::uint64_t block, ReportBuffer& out);
  void Digit(std::uint32_t digit, ReportBuffer& out);

  KernelPath path_;
  std::uint32_t remainder_;
  char held_;  // the newest quotient digit, not yet written
  bool started_;
  std::uint64_t digit_count_;
  std::uint64_t vector_digits_ = 0;
};

}  // namespace dalvo
