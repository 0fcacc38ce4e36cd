#include "line_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dalvo {
namespace {

struct Line {
  std::uint64_t start;
  std::uint64_t length;
  bool operator==(const Line&) const = default;
};

// The line rule written the plain way, one byte at a time: a line ends at CR, CR LF or LF.
std::vector<Line> SplitLines(const std::string& content) {
  std::vector<Line> lines;
  std::uint64_t start = 0;
  for (std::uint64_t i = 0; i < content.size(); ++i) {
    if (content[i] != '\r' && content[i] != '\n') continue;
    lines.push_back({start, i - start});
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < content.size()) lines.push_back({start, content.size() - start});
  return lines;
}

std::vector<Line> Indexed(const LineIndex& index) {
  std::vector<Line> lines;
  for (std::uint64_t i = 0; i < index.LineCount(); ++i) {
    lines.push_back({index.LineStart(i), index.LineLength(i)});
  }
  return lines;
}

std::string Show(const std::string& content) { return ::testing::PrintToString(content); }

// Every text of up to six bytes made of a character, CR and LF, cut into two pieces at every
// position and also fed a byte at a time: each line break lands at the start, the end and the
// inside of a piece, and each CR LF is split between pieces at least once.
TEST(LineIndex, BreaksAtEveryPositionOfEveryPieceMatchTheLineRule) {
  std::vector<std::string> texts = {""};
  for (int length = 1; length <= 6; ++length) {
    std::vector<std::string> longer;
    for (const std::string& text : texts) {
      if (static_cast<int>(text.size()) != length - 1) continue;
      for (char c : {'7', '\r', '\n'}) longer.push_back(text + c);
    }
    texts.insert(texts.end(), longer.begin(), longer.end());
  }
  for (const std::string& text : texts) {
    const std::vector<Line> expected = SplitLines(text);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      LineIndex index;
      index.Add(std::string_view(text).substr(0, cut));
      index.Add(std::string_view(text).substr(cut));
      index.EndLine();
      ASSERT_EQ(Indexed(index), expected) << Show(text) << " cut at " << cut;
      ASSERT_EQ(index.Bytes(), text.size());
    }
    LineIndex bytewise;
    for (char c : text) bytewise.Add(std::string_view(&c, 1));
    bytewise.EndLine();
    ASSERT_EQ(Indexed(bytewise), expected) << Show(text) << " byte by byte";
  }
}

// Lines of 63 characters or more are kept apart from the short ones; each kind of break after
// them, the CR LF split between pieces, and more than one group of lines.
TEST(LineIndex, LongLinesAndManyGroupsKeepTheirStartsAndLengths) {
  std::string text;
  const char* const breaks[] = {"\r", "\n", "\r\n"};
  for (int i = 0; i < 1500; ++i) {
    const std::size_t lengths[] = {0, 62, 63, 64, 1000, 5};
    text.append(lengths[i % 6], static_cast<char>('0' + i % 10));
    text += breaks[i % 3];
  }
  text += std::string(70, '9');  // the last line has no break
  const std::vector<Line> expected = SplitLines(text);
  ASSERT_EQ(expected.size(), 1501u);
  for (std::size_t piece : {1u, 2u, 63u, 64u, 4096u}) {
    LineIndex index;
    for (std::size_t at = 0; at < text.size(); at += piece) {
      index.Add(std::string_view(text).substr(at, piece));
    }
    index.EndLine();
    EXPECT_EQ(Indexed(index), expected) << "pieces of " << piece;
    // Asked for out of order, from the last group back to the first.
    for (std::uint64_t line = index.LineCount(); line-- > 0;) {
      ASSERT_EQ(index.LineStart(line), expected[line].start) << line;
    }
  }
}

TEST(LineIndex, EndLineEndsAnOpenLineOnlyAndALaterLfIsALineOfItsOwn) {
  const struct {
    const char* before;
    const char* after;
    std::vector<Line> lines;
  } cases[] = {
      {"", "", {}},
      {"abc", "", {{0, 3}}},
      {"abc\r\n", "", {{0, 3}}},
      {"abc", "de\r\n", {{0, 3}, {3, 2}}},     // text after EndLine starts a line
      {"abc\r", "\nde", {{0, 3}, {4, 0}, {5, 2}}},  // the CR's line was ended before the LF came
  };
  for (const auto& c : cases) {
    LineIndex index;
    index.Add(c.before);
    index.EndLine();
    index.Add(c.after);
    index.EndLine();
    EXPECT_EQ(Indexed(index), c.lines) << Show(c.before) << " then " << Show(c.after);
  }
}

}  // namespace
}  // namespace dalvo
