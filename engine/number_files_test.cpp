#include "engine/number_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "engine/sura_table.h"
#include "engine/testing/division_test_support.h"
#include "engine/testing/test_temp_dir.h"

namespace dalvo {
namespace {

namespace fs = std::filesystem;

// Generates one variant into a fresh directory and keeps it for the test's checks.
class Generated {
 public:
  explicit Generated(std::int32_t sura9_verses) {
    SuraTable table;
    table.SetSura9Verses(sura9_verses);
    const GenerationOutcome outcome = GenerateNumberFiles(table, dir_.path());
    EXPECT_TRUE(outcome.ok());
  }
  const TestTempDir& dir() const { return dir_; }

 private:
  TestTempDir dir_;
};

// The remainder modulo 19 of the number whose decimal digits are `digits`, by the tests'
// schoolbook division, independent of the engine's.
int RemainderMod19(const std::string& digits) { return oracle::OracleDivide(digits).remainder; }

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

struct DigitCount {
  const char* name;
  std::size_t with127;
  std::size_t with129;
};

constexpr DigitCount kDigitCounts[] = {
    {"number1.txt", 12692, 12698},  {"number2.txt", 12696, 12702},
    {"number3.txt", 12930, 12936},  {"number4.txt", 12930, 12936},
    {"number5.txt", 12836, 12842},  {"number6.txt", 12836, 12842},
    {"number7.txt", 12836, 12842},  {"number8.txt", 474, 474},
    {"number9.txt", 474, 474},      {"number10.txt", 377, 377},
    {"number11.txt", 612, 612},     {"number12.txt", 12712, 12718},
    {"number13.txt", 235, 235},     {"number14.txt", 12479, 12485},
    {"number15.txt", 12774, 12780}, {"n13038d.txt", 13038, 13044},
    {"n37088d.txt", 37088, 37102},  {"ap24-63.txt", 277, 283},
    {"ap24-64.txt", 3371, 3372},    {"ap24-65.txt", 6635, 6641},
    {"n14453d.txt", 14453, 14459},  {"n20257d.txt", 20257, 20265},
};

TEST(NumberFiles, DigitCountsAndDivisibilityOfBothVariants) {
  ASSERT_EQ(std::size(kDigitCounts), kNumberFileCount);
  const Generated with127(127);
  const Generated with129(129);
  for (const DigitCount& c : kDigitCounts) {
    const std::string a = with127.dir().Read(c.name);
    const std::string b = with129.dir().Read(c.name);
    EXPECT_TRUE(AllDigits(a)) << c.name;
    EXPECT_TRUE(AllDigits(b)) << c.name;
    EXPECT_EQ(a.size(), c.with127) << c.name;
    EXPECT_EQ(b.size(), c.with129) << c.name;
    EXPECT_EQ(RemainderMod19(a), 0) << c.name << " with 127 verses";
    EXPECT_NE(RemainderMod19(b), 0) << c.name << " with 129 verses";
  }
}

struct Landmark {
  std::int32_t sura9_verses;
  const char* name;
  const char* begins;
  const char* ends;  // "" when only the beginning is known
};

constexpr Landmark kLandmarks[] = {
    {127, "number1.txt", "71234567286123", ""},
    {127, "number7.txt", "12345621", "123456728"},
    {127, "number8.txt", "3334106234114172286", ""},
    {127, "number13.txt", "62347286200", "566234"},
    {127, "n13038d.txt", "1712345672286012", ""},
    // Sura 114's last verse, 6, and its counter value 6346 close the file.
    {127, "n37088d.txt", "111223344556677208192103", "634566346"},
    {127, "ap24-63.txt", "9127123", "125126127"},
    {127, "ap24-64.txt", "713572861357913579", ""},
    {127, "n14453d.txt", "23456783456789", ""},
    {127, "n20257d.txt", "1361015212813610", ""},
    {129, "ap24-63.txt", "9129123", "127128129"},
    {129, "number13.txt", "62367286200", "566236"},
    {129, "number8.txt", "3336676236114172286", ""},
    {129, "n37088d.txt", "111223344556677208192103", "634766348"},
};

TEST(NumberFiles, KnownBeginningsAndEndings) {
  const Generated with127(127);
  const Generated with129(129);
  for (const Landmark& c : kLandmarks) {
    const std::string text = (c.sura9_verses == 127 ? with127 : with129).dir().Read(c.name);
    EXPECT_TRUE(text.starts_with(c.begins)) << c.name << " with " << c.sura9_verses;
    EXPECT_TRUE(text.ends_with(c.ends)) << c.name << " with " << c.sura9_verses;
  }
}

TEST(NumberFiles, WritesExactlyTheNamedFilesAndRewritesThemIdentically) {
  const TestTempDir dir;
  dir.Write("number3.txt", std::string(20000, '7'));  // longer than the new content
  const SuraTable table;
  ASSERT_TRUE(GenerateNumberFiles(table, dir.path()).ok());

  std::set<std::string> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
    found.insert(entry.path().filename().string());
  }
  EXPECT_EQ(found, std::set<std::string>(kNumberFileNames.begin(), kNumberFileNames.end()));
  EXPECT_EQ(dir.Read("number3.txt").size(), 12930u);

  std::vector<std::string> first;
  for (std::string_view name : kNumberFileNames) first.push_back(dir.Read(std::string(name)));
  ASSERT_TRUE(GenerateNumberFiles(table, dir.path()).ok());
  for (std::size_t i = 0; i < kNumberFileCount; ++i) {
    EXPECT_EQ(dir.Read(std::string(kNumberFileNames[i])), first[i]) << kNumberFileNames[i];
  }
}

TEST(NumberFiles, AFileThatCannotBeCreatedLeavesTheEarlierGenerationWhole) {
  // An earlier generation with 129 verses is there; a 127-verse one fails at a file in the
  // middle and at the very last one. Each failure is named, and no earlier file is replaced.
  const TestTempDir dir;
  SuraTable with129;
  with129.SetSura9Verses(129);
  ASSERT_TRUE(GenerateNumberFiles(with129, dir.path()).ok());
  for (const char* name : {"number5.txt", "n20257d.txt"}) {
    fs::remove(dir.path() / name);
    fs::create_directory(dir.path() / name);
  }
  const GenerationOutcome outcome = GenerateNumberFiles(SuraTable(), dir.path());
  EXPECT_EQ(outcome.failed_files, (std::vector<std::string>{"number5.txt", "n20257d.txt"}));
  for (const DigitCount& c : kDigitCounts) {
    const fs::path path = dir.path() / c.name;
    if (fs::is_directory(path)) continue;
    EXPECT_EQ(fs::file_size(path), c.with129) << c.name;
  }
  EXPECT_EQ(dir.Names().size(), kNumberFileCount);  // and nothing beside them
}

TEST(NumberFiles, AMissingDirectoryFailsEveryFile) {
  const TestTempDir dir;
  const GenerationOutcome outcome = GenerateNumberFiles(SuraTable(), dir.path() / "absent");
  EXPECT_EQ(outcome.failed_files.size(), kNumberFileCount);
}

// ---- The whole content of every file --------------------------------------------------------
// Pins the whole content of every long-number file, in both variants, against a construction
// written here from the files' recipes with plain strings. Digit counts and "divisible by 19"
// alone would let a reordering of a file's items pass about one time in nineteen.

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

TEST(NumberFiles, EveryFileOfBothVariantsMatchesItsRecipe) {
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
