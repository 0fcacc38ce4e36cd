#include "frontend/logic/publication_names.h"

#include <gtest/gtest.h>

namespace dalvo {
namespace {

TEST(NumberSuffix, KeepsAtMostTwoDigitsAndTheExtension) {
  const struct {
    const char* name;
    const char* suffix;
  } cases[] = {
      {"number1.txt", "1.txt"},       {"number7.txt", "7.txt"},
      {"number9.txt", "9.txt"},       {"number10.txt", "10.txt"},
      {"number12.txt", "12.txt"},     {"number15.txt", "15.txt"},
      {"number123.txt", "23.txt"},    {"number.txt", "r.txt"},
      {"numberx5.txt", "5.txt"},      {"NUMBER3.TXT", "3.TXT"},
      {"0.txt", "0.txt"},             {"12345", "12345"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberSuffix(c.name), c.suffix) << c.name;
}

TEST(LastChars, WholeNameWhenShorter) {
  EXPECT_EQ(LastChars("ap24-63.txt", 6), "63.txt");
  EXPECT_EQ(LastChars("a.txt", 6), "a.txt");
  EXPECT_EQ(LastChars("", 6), "");
}

}  // namespace
}  // namespace dalvo
