// Pins the whole content of every long-number file, in both variants, against a construction
// written here from the files' recipes with plain strings. Digit counts and "divisible by 19"
// alone would let a reordering of a file's items pass about one time in nineteen.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/number_files.h"
#include "engine/sura_table.h"
#include "engine/testing/test_temp_dir.h"

namespace dalvo {
namespace {

// Builds one file's text from its recipe. Kept deliberately naive: strings appended item by item,
// sums recomputed from the table, nothing shared with the generator but the table itself.
class Recipe {
 public:
  explicit Recipe(const SuraTable& table) : t_(table) {
    for (std::int32_t k = 1; k <= kSuraCount; ++k) {
      total_verses_ += t_.VerseCount(k);
      total_sum_ += Sum(k);
    }
  }

  std::string Build(const std::string& name) const {
    std::string s;
    const std::string T = std::to_string(total_verses_);
    const std::string SS = std::to_string(total_sum_);
    if (name == "number1.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += V(k) + Verses(k);
    } else if (name == "number2.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += Verses(k) + V(k);
      s += T;
    } else if (name == "number3.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += Verses(k) + std::to_string(k) + V(k);
      s += T;
    } else if (name == "number4.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += V(k) + Verses(k) + std::to_string(k);
      s += T;
    } else if (name == "number5.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += Verses(k) + S(k);
    } else if (name == "number6.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += S(k) + Verses(k);
    } else if (name == "number7.txt") {
      for (std::int32_t k = kSuraCount; k >= 1; --k) s += Verses(k) + S(k);
    } else if (name == "number8.txt") {
      s += SS + T + "114";
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += std::to_string(k) + V(k);
    } else if (name == "number9.txt") {
      s += SS + T + "114";
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += V(k) + std::to_string(k);
    } else if (name == "number10.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += S(k);
      s += SS;
    } else if (name == "number11.txt") {
      s += "114" + T;
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += std::to_string(k) + S(k);
    } else if (name == "number12.txt") {
      s += "114" + T + SS;
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += std::to_string(k) + Verses(k);
    } else if (name == "number13.txt") {
      s += T;
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += V(k);
      s += T;
    } else if (name == "number14.txt") {
      s += T + "114";
      for (std::int32_t k = 1; k <= kSuraCount; ++k) s += Verses(k);
      s += T + "114";
    } else if (name == "number15.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        s += Verses(k) + std::to_string(k + t_.VerseCount(k));
      }
    } else if (name == "n13038d.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        s += std::to_string(k) + V(k) + (t_.UnnumberedOpening(k) == 1 ? "0" : "") + Verses(k);
      }
    } else if (name == "n37088d.txt") {
      int counter = 0;
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        s += std::to_string(k);
        if (t_.UnnumberedOpening(k) == 1) s += "0" + std::to_string(++counter);
        for (std::int32_t v = 1; v <= t_.VerseCount(k); ++v) {
          s += std::to_string(v) + std::to_string(++counter);
        }
      }
    } else if (name == "ap24-63.txt") {
      s += "9" + V(9) + Verses(9);
    } else if (name == "ap24-64.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        s += V(k);
        for (std::int32_t v = 1; v <= t_.VerseCount(k); v += 2) s += std::to_string(v).back();
      }
    } else if (name == "ap24-65.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        if (t_.InitialLetterCount(k) == 0) s += Verses(k);
      }
    } else if (name == "n14453d.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        for (std::int32_t v = 1; v <= t_.VerseCount(k); ++v) s += std::to_string(k + v);
      }
    } else if (name == "n20257d.txt") {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        std::int32_t partial = 0;
        for (std::int32_t v = 1; v <= t_.VerseCount(k); ++v) s += std::to_string(partial += v);
      }
    }
    return s;
  }

 private:
  std::int32_t Sum(std::int32_t k) const {
    std::int32_t sum = 0;
    for (std::int32_t v = 1; v <= t_.VerseCount(k); ++v) sum += v;
    return sum;
  }
  std::string V(std::int32_t k) const { return std::to_string(t_.VerseCount(k)); }
  std::string S(std::int32_t k) const { return std::to_string(Sum(k)); }
  std::string Verses(std::int32_t k) const {
    std::string s;
    for (std::int32_t v = 1; v <= t_.VerseCount(k); ++v) s += std::to_string(v);
    return s;
  }

  const SuraTable& t_;
  std::int32_t total_verses_ = 0;
  std::int32_t total_sum_ = 0;
};

TEST(NumberFilesContent, EveryFileOfBothVariantsMatchesItsRecipe) {
  for (const std::int32_t sura9_verses : {127, 129}) {
    SuraTable table;
    table.SetSura9Verses(sura9_verses);
    const TestTempDir dir;
    ASSERT_TRUE(GenerateNumberFiles(table, dir.path()).ok());
    const Recipe recipe(table);
    for (std::string_view name : kNumberFileNames) {
      const std::string expected = recipe.Build(std::string(name));
      ASSERT_FALSE(expected.empty()) << name << " has no recipe here";
      // Whole-content comparison, but a failure prints only the sizes, not 37,000 digits.
      const std::string actual = dir.Read(std::string(name));
      EXPECT_TRUE(actual == expected)
          << name << " with " << sura9_verses << " verses: " << actual.size() << " digits, "
          << expected.size() << " expected";
    }
  }
}

}  // namespace
}  // namespace dalvo
