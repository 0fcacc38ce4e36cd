#include "viewer_document.h"
#include "text_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dalvo {
namespace {

// What the viewer shows of a file: its lines, each followed by a line break (CR LF here), the
// last one too; a line ends at CR, CR LF or LF.
TEST(ViewerDocument, EveryLineIsShownWholeAndFollowedByABreak) {
  const struct {
    const char* content;
    const char* shown;
  } cases[] = {
      {"", ""},
      {"one\r\ntwo\r\nthree", "one\r\ntwo\r\nthree\r\n"},
      {"one\r\ntwo\r\nthree\r\n", "one\r\ntwo\r\nthree\r\n"},
      {"one\rtwo\r", "one\r\ntwo\r\n"},
      {"one\ntwo", "one\r\ntwo\r\n"},  // the engine's reports end their lines with LF
      {"a\n\r\nb", "a\r\n\r\nb\r\n"},
      {"\r\n", "\r\n"},
      {"\r\r\n\r", "\r\n\r\n\r\n"},
      {"12345678901234567890", "12345678901234567890\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WholeText(ViewerDocument::FromText(c.content), "\r\n"), c.shown)
        << ::testing::PrintToString(std::string(c.content));
  }
}

TEST(ViewerDocument, AnEmptyFileIsOneEmptyLineAndAFinishedOneEndsWithAnEmptyLine) {
  const ViewerDocument empty = ViewerDocument::FromText("");
  EXPECT_EQ(empty.LineCount(), 1u);
  EXPECT_EQ(empty.LineLength(0), 0u);
  const ViewerDocument two = ViewerDocument::FromText("ab\ncde");
  ASSERT_EQ(two.LineCount(), 3u);
  EXPECT_EQ(two.LineLength(1), 3u);
  EXPECT_EQ(two.LineLength(2), 0u);  // the caret's place after the last line break
}

// A division report of ten million digits, shown whole: the quotient on its line, then the
// digit count and the verdict on lines of their own.
TEST(ViewerDocument, ATenMillionDigitReportIsShownWhole) {
  std::string quotient(10'000'000, '3');
  quotient.back() = '8';
  const std::string report = quotient +
                             ".0000\n\nNumber of digits read from file \"t.txt\": 10000001\n"
                             "The number IS a multiple of 19!\n\n";
  ViewerDocument document;
  for (std::size_t at = 0; at < report.size(); at += 1 << 20) {
    document.Add(std::string_view(report).substr(at, 1 << 20));
  }
  document.EndLine();
  ASSERT_EQ(document.LineCount(), 6u);
  EXPECT_EQ(document.LineLength(0), quotient.size() + 5);
  std::string last_digits;
  document.AppendLine(0, quotient.size() - 3, quotient.size() + 5, last_digits);
  EXPECT_EQ(last_digits, "338.0000");
  EXPECT_EQ(TextBetween(document, {3, 0}, EndOf(document), "\n"),
            "The number IS a multiple of 19!\n\n");
  EXPECT_EQ(document.Bytes(), report.size());
}

// Copying from any place to any other in a text stored in blocks of three bytes: every span
// crosses blocks, starts and ends at every column, and spans one line or several.
TEST(ViewerDocument, TextBetweenAnyTwoPositionsCrossesStorageBlocks) {
  const std::string content = "19\r\nabcdefgh\n\nxyz\r7";
  const std::vector<std::string> lines = {"19", "abcdefgh", "", "xyz", "7", ""};
  ViewerDocument document(3);
  for (char c : content) document.Add(std::string_view(&c, 1));
  document.EndLine();
  ASSERT_EQ(document.LineCount(), lines.size());
  for (std::uint64_t a = 0; a < lines.size(); ++a) {
    for (std::uint64_t b = a; b < lines.size(); ++b) {
      for (std::uint64_t ac = 0; ac <= lines[a].size(); ++ac) {
        for (std::uint64_t bc = a == b ? ac : 0; bc <= lines[b].size(); ++bc) {
          std::string expected;
          for (std::uint64_t l = a; l <= b; ++l) {
            const std::uint64_t from = l == a ? ac : 0;
            const std::uint64_t to = l == b ? bc : lines[l].size();
            expected += lines[l].substr(from, to - from);
            if (l != b) expected += "|";
          }
          ASSERT_EQ(TextBetween(document, {a, ac}, {b, bc}, "|"), expected)
              << a << ":" << ac << " to " << b << ":" << bc;
          // Either order gives the same text.
          ASSERT_EQ(TextBetween(document, {b, bc}, {a, ac}, "|"), expected);
        }
      }
    }
  }
}

}  // namespace
}  // namespace dalvo
