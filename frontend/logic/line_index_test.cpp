#include "frontend/logic/line_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/testing/text_test_support.h"

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

// The ended lines as the index finds them, reading `text` again in stretches of `stretch`.
std::vector<Line> Indexed(const LineIndex& index, const std::string& text,
                          std::size_t stretch = 1 << 20) {
  StringSource source(text, stretch);
  std::vector<Line> lines;
  for (std::uint64_t i = 0; i < index.LineCount(); ++i) {
    lines.push_back({index.LineStart(i, source), index.LineLength(i, source)});
  }
  return lines;
}

std::string Show(const std::string& content) { return ::testing::PrintToString(content); }

// Every text of up to six bytes made of a character, CR and LF, cut into two pieces at every
// position and also fed a byte at a time, with regions of one, two and three bytes (the one-byte
// regions doubled as soon as they pass two checkpoints) read again in stretches of one byte and
// more: each line break lands at the start, the end and the inside of a piece, of a region and
// of a stretch, and each CR LF is split between them at least once.
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
  const LineIndexOptions layouts[] = {{1, 2}, {2, 1 << 20}, {3, 1 << 20}};
  for (const std::string& text : texts) {
    const std::vector<Line> expected = SplitLines(text);
    for (const LineIndexOptions& layout : layouts) {
      for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        LineIndex index(layout);
        index.Add(std::string_view(text).substr(0, cut));
        index.Add(std::string_view(text).substr(cut));
        index.EndLine();
        for (std::size_t stretch : {1u, 2u, 64u}) {
          ASSERT_EQ(Indexed(index, text, stretch), expected)
              << Show(text) << " cut at " << cut << ", regions of " << layout.region_bytes
              << ", stretches of " << stretch;
        }
        ASSERT_EQ(index.Bytes(), text.size());
      }
      LineIndex bytewise(layout);
      for (char c : text) bytewise.Add(std::string_view(&c, 1));
      bytewise.EndLine();
      ASSERT_EQ(Indexed(bytewise, text, 1), expected) << Show(text) << " byte by byte";
    }
  }
}

// Lines short and long, each kind of break after them, the CR LF split between pieces, many
// regions, and checkpoints bounded so tightly that the regions double again and again: the
// checkpoints stay within their bound and every line is still found.
TEST(LineIndex, LongLinesAndManyRegionsKeepTheirStartsAndLengths) {
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
  StringSource source(text, 100);
  for (std::size_t piece : {1u, 2u, 63u, 64u, 4096u}) {
    for (const LineIndexOptions layout : {LineIndexOptions{64, 1 << 20}, LineIndexOptions{7, 16}}) {
      LineIndex index(layout);
      for (std::size_t at = 0; at < text.size(); at += piece) {
        index.Add(std::string_view(text).substr(at, piece));
      }
      index.EndLine();
      EXPECT_EQ(Indexed(index, text, 100), expected) << "pieces of " << piece;
      // Asked for out of order, from the last region back to the first.
      for (std::uint64_t line = index.LineCount(); line-- > 0;) {
        ASSERT_EQ(index.LineStart(line, source), expected[line].start) << line;
      }
      EXPECT_LE(index.HeldBytes(), index.MaxHeldBytes());
      if (layout.max_checkpoints == 16) {
        EXPECT_GE(index.RegionBytes(), text.size() / 16);
      }
    }
  }
}

// EndLine ends a last line only when it has characters; before it, that line is open and
// grows, and a CR's line is ended before its LF comes.
TEST(LineIndex, EndLineEndsAnOpenLineOnlyAndALaterLfJoinsTheCrsBreak) {
  const struct {
    const char* before;
    const char* after;
    std::vector<Line> lines;  // ended, and then the open line
  } cases[] = {
      {"", "", {{0, 0}}},
      {"abc", "", {{0, 3}, {3, 0}}},
      {"abc\r\n", "", {{0, 3}, {5, 0}}},
      {"abc", "de\r\n", {{0, 5}, {7, 0}}},
      {"abc\r", "\nde", {{0, 3}, {5, 2}, {7, 0}}},  // the LF after the CR is no line of its own
      {"abc\r", "", {{0, 3}, {4, 0}}},
  };
  for (const auto& c : cases) {
    const std::string text = std::string(c.before) + c.after;
    LineIndex index;
    index.Add(c.before);
    // While the text grows, its open line is the last one and ends where the text does.
    StringSource source(text);
    EXPECT_EQ(index.LineLength(index.LineCount(), source),
              std::string(c.before).size() - index.LineStart(index.LineCount(), source))
        << Show(c.before);
    index.Add(c.after);
    index.EndLine();
    index.EndLine();  // a second EndLine changes nothing
    std::vector<Line> lines = Indexed(index, text);
    lines.push_back({index.LineStart(index.LineCount(), source),
                     index.LineLength(index.LineCount(), source)});
    EXPECT_EQ(lines, c.lines) << Show(c.before) << " then " << Show(c.after);
  }
}

}  // namespace
}  // namespace dalvo
