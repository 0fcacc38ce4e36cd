#include "engine/sura_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace dalvo {
namespace {

struct TableCase {
  std::int32_t sura9_verses;
  std::int32_t total_verses;
  std::int32_t total_verse_number_sum;
  std::int32_t sura9_verse_number_sum;
};

class SuraTableVariants : public ::testing::TestWithParam<TableCase> {};

TEST_P(SuraTableVariants, DerivedSumsFollowTheVariant) {
  const TableCase& c = GetParam();
  SuraTable table;
  if (c.sura9_verses != 127) table.SetSura9Verses(c.sura9_verses);
  EXPECT_EQ(table.VerseCount(9), c.sura9_verses);
  EXPECT_EQ(table.TotalVerses(), c.total_verses);
  EXPECT_EQ(table.TotalVerseNumberSum(), c.total_verse_number_sum);
  EXPECT_EQ(table.VerseNumberSum(9), c.sura9_verse_number_sum);
  EXPECT_EQ(table.VerseNumberSum(2), 41041);

  std::int32_t with_openings = 0;
  for (std::int32_t k = 1; k <= kSuraCount; ++k) {
    with_openings += table.VerseCount(k) + table.UnnumberedOpening(k);
  }
  EXPECT_EQ(with_openings, c.total_verses + 112);
}

INSTANTIATE_TEST_SUITE_P(Sura9, SuraTableVariants,
                         ::testing::Values(TableCase{127, 6234, 333410, 8128},
                                           TableCase{129, 6236, 333667, 8385}),
                         [](const ::testing::TestParamInfo<TableCase>& case_info) {
                           return "Verses" + std::to_string(case_info.param.sura9_verses);
                         });

TEST(SuraTable, VerseCountsAtTheEdges) {
  const SuraTable table;
  std::int32_t smallest = 1000;
  std::int32_t largest = 0;
  for (std::int32_t k = 1; k <= kSuraCount; ++k) {
    smallest = std::min(smallest, table.VerseCount(k));
    largest = std::max(largest, table.VerseCount(k));
  }
  EXPECT_EQ(smallest, 3);
  EXPECT_EQ(largest, 286);
  for (std::int32_t k : {103, 108, 110}) EXPECT_EQ(table.VerseCount(k), 3) << "sura " << k;
  EXPECT_EQ(table.VerseCount(1), 7);
  EXPECT_EQ(table.VerseCount(114), 6);
}

TEST(SuraTable, EveryVerseCountSitsAtItsSura) {
  // The sum of k * VerseCount(k) over the table's 114 default entries: a swapped or mistyped
  // entry that keeps the plain total still changes this.
  const SuraTable table;
  std::int64_t weighted = 0;
  for (std::int32_t k = 1; k <= kSuraCount; ++k) weighted += std::int64_t{k} * table.VerseCount(k);
  EXPECT_EQ(weighted, 209011);
}

TEST(SuraTable, OnlySuras1And9LackTheUnnumberedOpening) {
  SuraTable table;
  table.SetSura9Verses(129);
  for (std::int32_t k = 1; k <= kSuraCount; ++k) {
    EXPECT_EQ(table.UnnumberedOpening(k), (k == 1 || k == 9) ? 0 : 1) << "sura " << k;
  }
}

TEST(SuraTable, InitialLetters) {
  const SuraTable table;
  std::int32_t with_letters = 0;
  std::int32_t letters = 0;
  for (std::int32_t k = 1; k <= kSuraCount; ++k) {
    if (table.InitialLetterCount(k) != 0) ++with_letters;
    letters += table.InitialLetterCount(k);
  }
  EXPECT_EQ(with_letters, 29);
  EXPECT_EQ(letters, 79);
  EXPECT_EQ(table.InitialLetterCount(68), 2);
  EXPECT_EQ(table.InitialLetterCount(19), 5);
  EXPECT_EQ(table.InitialLetterCount(9), 0);
  EXPECT_EQ(table.InitialLetterCount(1), 0);
}

TEST(SuraTable, SetSura9VersesChangesNothingElse) {
  const SuraTable before;
  SuraTable after;
  after.SetSura9Verses(129);
  for (std::int32_t k = 1; k <= kSuraCount; ++k) {
    if (k != 9) {
      EXPECT_EQ(after.VerseCount(k), before.VerseCount(k)) << "sura " << k;
    }
    EXPECT_EQ(after.UnnumberedOpening(k), before.UnnumberedOpening(k)) << "sura " << k;
    EXPECT_EQ(after.InitialLetterCount(k), before.InitialLetterCount(k)) << "sura " << k;
  }
}

}  // namespace
}  // namespace dalvo
