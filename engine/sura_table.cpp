#include "engine/sura_table.h"

#include <cassert>
#include <cstddef>
#include <cstdint>

namespace dalvo {
namespace {

constexpr std::array<std::int32_t, kSuraCount> kDefaultVerseCount = {
    7,   286, 200, 176, 120, 165, 206, 75,  127, 109,  // 1-10
    123, 111, 43,  52,  99,  128, 111, 110, 98,  135,  // 11-20
    112, 78,  118, 64,  77,  227, 93,  88,  69,  60,   // 21-30
    34,  30,  73,  54,  45,  83,  182, 88,  75,  85,   // 31-40
    54,  53,  89,  59,  37,  35,  38,  29,  18,  45,   // 41-50
    60,  49,  62,  55,  78,  96,  29,  22,  24,  13,   // 51-60
    14,  11,  11,  18,  12,  12,  30,  52,  52,  44,   // 61-70
    28,  28,  20,  56,  40,  31,  50,  40,  46,  42,   // 71-80
    29,  19,  36,  25,  22,  17,  19,  26,  30,  20,   // 81-90
    15,  21,  11,  8,   8,   19,  5,   8,   8,   11,   // 91-100
    11,  8,   3,   9,   5,   4,   7,   3,   6,   3,    // 101-110
    5,   4,   5,   6,                                // 111-114
};

struct InitialLetters {
  std::int32_t sura;
  std::int32_t count;
};

constexpr std::array<InitialLetters, 29> kInitialLetters = {{
    {2, 3},  {3, 3},  {7, 4},  {10, 3}, {11, 3}, {12, 3}, {13, 4}, {14, 3}, {15, 3}, {19, 5},
    {20, 2}, {26, 3}, {27, 2}, {28, 3}, {29, 3}, {30, 3}, {31, 3}, {32, 3}, {36, 2}, {38, 1},
    {40, 2}, {41, 2}, {42, 5}, {43, 2}, {44, 2}, {45, 2}, {46, 2}, {50, 1}, {68, 2},
}};

constexpr std::int32_t kSura9 = 9;

std::size_t Index(std::int32_t sura) {
  assert(sura >= 1 && sura <= kSuraCount);
  return static_cast<std::size_t>(sura - 1);
}

}  // namespace

SuraTable::SuraTable() : verse_count_(kDefaultVerseCount), initial_letter_count_{} {
  // Every sura opens with the unnumbered statement except the first, where it is verse 1, and
  // sura 9, which has none.
  unnumbered_opening_.fill(1);
  unnumbered_opening_[Index(1)] = 0;
  unnumbered_opening_[Index(kSura9)] = 0;
  for (const InitialLetters& entry : kInitialLetters) {
    initial_letter_count_[Index(entry.sura)] = entry.count;
  }
}

void SuraTable::SetSura9Verses(std::int32_t verses) { verse_count_[Index(kSura9)] = verses; }

std::int32_t SuraTable::VerseCount(std::int32_t sura) const { return verse_count_[Index(sura)]; }

std::int32_t SuraTable::UnnumberedOpening(std::int32_t sura) const {
  return unnumbered_opening_[Index(sura)];
}

std::int32_t SuraTable::InitialLetterCount(std::int32_t sura) const {
  return initial_letter_count_[Index(sura)];
}

std::int32_t SuraTable::VerseNumberSum(std::int32_t sura) const {
  const std::int32_t n = VerseCount(sura);
  return n * (n + 1) / 2;
}

std::int32_t SuraTable::TotalVerses() const {
  std::int32_t total = 0;
  for (std::int32_t sura = 1; sura <= kSuraCount; ++sura) total += VerseCount(sura);
  return total;
}

std::int32_t SuraTable::TotalVerseNumberSum() const {
  std::int32_t total = 0;
  for (std::int32_t sura = 1; sura <= kSuraCount; ++sura) total += VerseNumberSum(sura);
  return total;
}

}  // namespace dalvo
