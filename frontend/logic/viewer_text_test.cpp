#include "viewer_text.h"

#include <gtest/gtest.h>

namespace dalvo {
namespace {

TEST(ViewerText, LinesEndAtCrOrCrlfAndEachGetsCrlf) {
  const struct {
    const char* content;
    const char* shown;
  } cases[] = {
      {"", ""},
      {"one\r\ntwo\r\nthree", "one\r\ntwo\r\nthree\r\n"},
      {"one\r\ntwo\r\nthree\r\n", "one\r\ntwo\r\nthree\r\n"},
      {"one\rtwo\r", "one\r\ntwo\r\n"},
      {"one\ntwo", "one\ntwo\r\n"},          // a lone LF stays inside its line
      {"a\n\r\nb", "a\n\r\nb\r\n"},
      {"\r\n", "\r\n"},
      {"\r\r\n\r", "\r\n\r\n\r\n"},
      {"12345678901234567890", "12345678901234567890\r\n"},
  };
  for (const auto& c : cases) {
    std::string out;
    AppendViewerLines(c.content, out);
    EXPECT_EQ(out, c.shown) << "content: " << ::testing::PrintToString(std::string(c.content));
  }
}

TEST(ViewerText, AppendsAfterExistingText) {
  std::string out = "x\r\n";
  AppendViewerLines("y", out);
  EXPECT_EQ(out, "x\r\ny\r\n");
}

TEST(ViewerText, TenMillionDigitLineStaysOneLine) {
  const std::string digits(10'000'000, '7');
  std::string out;
  AppendViewerLines(digits, out);
  ASSERT_EQ(out.size(), digits.size() + 2);
  EXPECT_EQ(out.compare(0, digits.size(), digits), 0);
  EXPECT_EQ(out.substr(digits.size()), "\r\n");
}

TEST(ViewerText, FileSizeLine) {
  EXPECT_EQ(FileSizeLine("ab.txt", 12), "ab.txt  -  12 bytes.");
  EXPECT_EQ(FileSizeLine("n14453d.txt", 0), "n14453d.txt  -  0 bytes.");
  EXPECT_EQ(FileSizeLine("big.txt", 10'000'000'000ULL), "big.txt  -  10000000000 bytes.");
}

TEST(ViewerText, TextBoxFollowsTheWindowAndNeverGoesNegative) {
  const struct {
    Size outer;
    Size box;
  } cases[] = {
      {{6810, 5825}, {6450, 5025}},
      {{361, 801}, {1, 1}},
      {{360, 800}, {0, 0}},
      {{100, 5000}, {0, 4200}},
      {{0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    const Size box = ViewerTextBoxSize(c.outer);
    EXPECT_EQ(box.width, c.box.width) << c.outer.width << "x" << c.outer.height;
    EXPECT_EQ(box.height, c.box.height) << c.outer.width << "x" << c.outer.height;
  }
}

}  // namespace
}  // namespace dalvo
