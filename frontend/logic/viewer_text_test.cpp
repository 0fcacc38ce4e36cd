#include "viewer_text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

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

// Feeds `content` in pieces of `piece` bytes (all at once when 0) and finishes with its size.
std::string Build(const std::string& content, std::size_t line_limit, std::size_t text_limit,
                  std::size_t piece = 0) {
  ViewerTextBuilder builder(line_limit, text_limit);
  const std::size_t step = piece == 0 ? content.size() + 1 : piece;
  for (std::size_t at = 0; at < content.size(); at += step) {
    if (!builder.Add(std::string_view(content).substr(at, step))) break;
  }
  return builder.Finish(content.size());
}

TEST(ViewerText, NotShownNoteGroupsTheCount) {
  const struct {
    std::uint64_t count;
    const char* note;
  } cases[] = {
      {1, "[... 1 more character not shown]"},
      {2, "[... 2 more characters not shown]"},
      {999, "[... 999 more characters not shown]"},
      {1000, "[... 1,000 more characters not shown]"},
      {8951424, "[... 8,951,424 more characters not shown]"},
      {1000000000000ULL, "[... 1,000,000,000,000 more characters not shown]"},
  };
  for (const auto& c : cases) EXPECT_EQ(NotShownNote(c.count), c.note) << c.count;
}

// A line limit of 4 and a text limit far away: lines below, at and above the limit, with every
// kind of line end right at the limit.
TEST(ViewerTextBuilder, CutsEachLongLineAndCountsItsRest) {
  const struct {
    const char* content;
    const char* shown;
  } cases[] = {
      {"abc", "abc\r\n"},
      {"abcd", "abcd\r\n"},
      {"abcde", "abcd\r\n[... 1 more character not shown]\r\n"},
      {"abcdef\r\nxy", "abcd\r\n[... 2 more characters not shown]\r\nxy\r\n"},
      {"abcd\r\nabcd\r", "abcd\r\nabcd\r\n"},
      {"abcd\rx", "abcd\r\nx\r\n"},
      {"abcde\r\r\n", "abcd\r\n[... 1 more character not shown]\r\n\r\n"},
      {"abc\nd", "abc\n\r\n"
                 "[... 1 more character not shown]\r\n"},  // a lone LF counts as a character
      {"abcd\n\r\nab", "abcd\r\n[... 1 more character not shown]\r\nab\r\n"},
      {"\r\nabcdefghij\rabcdefghij", "\r\nabcd\r\n[... 6 more characters not shown]\r\n"
                                     "abcd\r\n[... 6 more characters not shown]\r\n"},
  };
  for (const auto& c : cases) {
    const std::string content = c.content;
    // Every way of cutting the file into pieces must give the same text, whether a piece
    // ends inside the line, at the limit, or between a CR and its LF.
    for (std::size_t piece : {0u, 1u, 2u, 3u, 4u, 5u}) {
      EXPECT_EQ(Build(content, 4, 1000, piece), c.shown)
          << ::testing::PrintToString(content) << " in pieces of " << piece;
    }
  }
}

// A text limit of 10 and a line limit far away: once the text is full nothing more is taken
// in, and a last note counts the file's bytes that were not.
TEST(ViewerTextBuilder, StopsAtTheTextLimitAndCountsTheRestOfTheFile) {
  const struct {
    const char* content;
    const char* shown;
  } cases[] = {
      {"0123456789", "0123456789\r\n"},
      {"012345678\r\n", "012345678\r\n"},
      {"01234567\r\n", "01234567\r\n"},
      {"0123456789x", "0123456789\r\n[... 1 more character not shown]\r\n"},
      {"01234\r\n56789\r\n", "01234\r\n567\r\n[... 4 more characters not shown]\r\n"},
      {"01234\r\n567\r\nab\r\ncd", "01234\r\n567\r\n[... 6 more characters not shown]\r\n"},
      {"0123\r\n4567\r\n\r\n\r\n", "0123\r\n4567\r\n\r\n\r\n"},
      {"0123\r\n4567\r\nabcdef", "0123\r\n4567\r\n[... 6 more characters not shown]\r\n"},
  };
  for (const auto& c : cases) {
    const std::string content = c.content;
    for (std::size_t piece : {0u, 1u, 3u, 7u}) {
      EXPECT_EQ(Build(content, 1000, 10, piece), c.shown)
          << ::testing::PrintToString(content) << " in pieces of " << piece;
    }
  }
}

TEST(ViewerTextBuilder, AnswersFalseOnceFullAndIgnoresWhatFollows) {
  ViewerTextBuilder builder(1000, 4);
  EXPECT_TRUE(builder.Add("ab"));
  EXPECT_TRUE(builder.Add("cd"));  // exactly full: the next character decides
  EXPECT_FALSE(builder.Add("e\r\nlater"));
  EXPECT_FALSE(builder.Add("more"));
  // The file held 100 bytes; 4 were taken in.
  EXPECT_EQ(builder.Finish(100), "abcd\r\n[... 96 more characters not shown]\r\n");
}

TEST(ViewerTextBuilder, ShowsTheEndOfACutLineAfterItsNote) {
  // Line limit 4, tail 3: the rest of a line is shown whole when it fits in the tail.
  const struct {
    const char* content;
    const char* shown;
  } cases[] = {
      {"abcde", "abcde\r\n"},
      {"abcdefg", "abcdefg\r\n"},
      {"abcdefgh", "abcd\r\n[... 1 more character not shown]\r\nfgh\r\n"},
      {"abcdefghij\r\nxy", "abcd\r\n[... 3 more characters not shown]\r\nhij\r\nxy\r\n"},
      {"abcdefghi\nV\r", "abcd\r\n[... 4 more characters not shown]\r\ni\nV\r\n"},
  };
  for (const auto& c : cases) {
    const std::string content = c.content;
    for (std::size_t piece : {0u, 1u, 2u, 3u, 5u}) {
      ViewerTextBuilder builder(4, 1000, 3);
      const std::size_t step = piece == 0 ? content.size() + 1 : piece;
      for (std::size_t at = 0; at < content.size(); at += step) {
        builder.Add(std::string_view(content).substr(at, step));
      }
      EXPECT_EQ(builder.Finish(content.size()), c.shown)
          << ::testing::PrintToString(content) << " in pieces of " << piece;
    }
  }
}

TEST(ViewerTextBuilder, RealLimitsShowALongNumberWholeAndTheVerdictOfATenMillionDigitReport) {
  // The longest long-number file holds 37,102 digits and no line end.
  std::string number(37102, '0');
  for (std::size_t i = 0; i < number.size(); ++i) number[i] = static_cast<char>('0' + i * 7 % 10);
  ViewerTextBuilder whole(kViewerLineLimit, kViewerTextLimit, kViewerLineTail);
  whole.Add(number);
  EXPECT_EQ(whole.Finish(number.size()), number + "\r\n");

  // The engine ends its report lines with lone LFs, so the digit count and the verdict are part
  // of the quotient's line: they must survive the cut as its tail.
  const std::string quotient(10'000'000, '3');
  const std::string ending =
      "\n\nNumber of digits read from file \"t.txt\": 10000001\n"
      "The number IS a multiple of 19!\n\n";
  const std::string report = quotient + ".0000" + ending;
  ViewerTextBuilder builder(kViewerLineLimit, kViewerTextLimit, kViewerLineTail);
  for (std::size_t at = 0; at < report.size(); at += kViewerReadPiece) {
    ASSERT_TRUE(builder.Add(std::string_view(report).substr(at, kViewerReadPiece)));
  }
  const std::string shown = builder.Finish(report.size());
  const std::string expected = quotient.substr(0, kViewerLineLimit) + "\r\n" +
                               NotShownNote(report.size() - kViewerLineLimit - kViewerLineTail) +
                               "\r\n" + report.substr(report.size() - kViewerLineTail) + "\r\n";
  EXPECT_EQ(shown.size(), expected.size());
  EXPECT_TRUE(shown == expected);  // not EXPECT_EQ: a failure would print megabytes
  EXPECT_NE(shown.find("The number IS a multiple of 19!"), std::string::npos);
}

TEST(ViewerTextBuilder, ManyShortLinesStopNearTheTextLimit) {
  std::string content;
  for (int i = 0; i < 1'000'000; ++i) content += "0123456789\r\n";  // 12 MB
  const std::string shown = Build(content, kViewerLineLimit, kViewerTextLimit, kViewerReadPiece);
  const std::size_t full_lines = kViewerTextLimit / 12;
  const std::size_t partial = kViewerTextLimit % 12;  // characters of the cut line shown
  const std::string prefix = content.substr(0, full_lines * 12 + partial);
  EXPECT_TRUE(shown.compare(0, prefix.size(), prefix) == 0);
  EXPECT_EQ(shown.substr(prefix.size()),
            "\r\n" + NotShownNote(content.size() - prefix.size()) + "\r\n");
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
