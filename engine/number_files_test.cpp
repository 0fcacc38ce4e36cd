#include "engine/number_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

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

}  // namespace
}  // namespace dalvo
