#include "frontend/logic/viewer_document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frontend/testing/fake_platform.h"
#include "frontend/testing/text_test_support.h"

namespace dalvo {
namespace {

constexpr char kPath[] = "/tmp/dalvo work dir/shown.txt";

// A document of the file kPath of `platform`, held open.
std::unique_ptr<ViewerDocument> Open(FakePlatform& platform, ViewerDocumentOptions options = {},
                                     std::string tail = {}) {
  return std::make_unique<ViewerDocument>(platform.OpenForReading(kPath), std::move(tail),
                                          options);
}

void IndexWhole(ViewerDocument& document, std::uint64_t step = 1 << 20) {
  while (document.IndexMore(step) == IndexProgress::kMore) {
  }
}

// What the viewer shows of `bytes` with each line break as "|": while indexing, the lines so
// far, the last one growing; once whole, a last line without a break is ended too (and the
// empty line after the last break shows nothing).
std::string Shown(const std::string& bytes, bool whole) {
  std::string shown;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      shown += bytes[i];
      continue;
    }
    shown += '|';
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (whole && !bytes.empty() && bytes.back() != '\r' && bytes.back() != '\n') shown += '|';
  return shown;
}

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
  FakePlatform platform;
  platform.PutFile(kPath, report);
  const std::unique_ptr<ViewerDocument> owner = Open(platform);
  ViewerDocument& document = *owner;
  IndexWhole(document);
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
  FakePlatform platform;
  platform.PutFile(kPath, content);
  const std::unique_ptr<ViewerDocument> owner = Open(platform, {3, 6, 16, 1});
  ViewerDocument& document = *owner;
  IndexWhole(document, 1);
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

// Lines spanning blocks and regions, a file without a line break, a file of nothing but line
// breaks, CR LFs split between blocks: at every block size (regions the same, their
// checkpoints bounded tightly) and every indexing step, what is shown so far and then the whole
// file are the lines of the bytes indexed.
TEST(ViewerDocument, ShowsTheLinesIndexedSoFarAtEveryBlockSizeAndStep) {
  std::string mixed;
  for (int i = 0; i < 300; ++i) {
    mixed.append(static_cast<std::size_t>(i % 37), static_cast<char>('a' + i % 26));
    mixed += i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r";
  }
  const std::string contents[] = {
      std::string(5000, '7'),                    // no line break at all
      std::string(3000, '\n'),                   // only line breaks
      std::string(1500, '\r') + std::string(1500, '\n'),
      "\r\n\r\n\r\r\n\n\r",
      std::string(2000, '3') + "\r\n" + std::string(2000, '4') + "\n\nverdict\n",
      mixed,
  };
  const ViewerDocumentOptions layouts[] = {
      {1, 4, 2, 1}, {3, 9, 4, 5}, {64, 256, 8, 100}, {4096, 8192, 1 << 20, 1 << 20}};
  for (const std::string& content : contents) {
    for (const ViewerDocumentOptions& layout : layouts) {
      SCOPED_TRACE(::testing::Message() << content.size() << " bytes, blocks of "
                                        << layout.block_bytes);
      FakePlatform platform;
      platform.PutFile(kPath, content);
      const std::unique_ptr<ViewerDocument> document = Open(platform, layout);
      for (int steps = 0; document->IndexMore(997) == IndexProgress::kMore; ++steps) {
        const std::string so_far = content.substr(0, document->Bytes());
        ASSERT_TRUE(WholeText(*document, "|") == Shown(so_far, false)) << "step " << steps;
      }
      ASSERT_TRUE(document->Indexed());
      ASSERT_TRUE(WholeText(*document, "|") == Shown(content, true));
      ASSERT_EQ(document->Bytes(), content.size());
    }
  }
}

TEST(ViewerDocument, ATailFollowsTheFileOnceItIsWhole) {
  for (const char* content : {"help\r\ntext\r\n", "help\r\ntext", ""}) {
    FakePlatform platform;
    platform.PutFile(kPath, content);
    const std::unique_ptr<ViewerDocument> document =
        Open(platform, {2, 8, 4, 3}, "/opt/dalvo/\r\n/tmp/w/\r\n");
    ASSERT_EQ(document->IndexMore(3), std::string(content).size() > 3 ? IndexProgress::kMore
                                                                    : IndexProgress::kDone);
    IndexWhole(*document);
    EXPECT_EQ(WholeText(*document, "|"), Shown(content, true) + "/opt/dalvo/|/tmp/w/|");
  }
}

// The size check of a copy asks the document instead of counting a hundred million lines: its
// bound never falls short of the characters between any two positions (line breaks of one or
// two bytes, the tail after the file).
TEST(ViewerDocument, ACopysSizeIsBoundedWithoutCountingTheLines) {
  for (const char* content : {"ab\r\ncd\nef\rgh", "\n\n\r\n", "no break", ""}) {
    FakePlatform platform;
    platform.PutFile(kPath, content);
    const std::unique_ptr<ViewerDocument> document = Open(platform, {2, 8, 4, 3}, "/opt/\r\n");
    IndexWhole(*document);
    const TextPos end = EndOf(*document);
    for (TextPos from; from <= end; from = from.col < document->LineLength(from.line)
                                              ? TextPos{from.line, from.col + 1}
                                              : TextPos{from.line + 1, 0}) {
      for (TextPos to = from; to <= end; to = to.col < document->LineLength(to.line)
                                                  ? TextPos{to.line, to.col + 1}
                                                  : TextPos{to.line + 1, 0}) {
        const std::uint64_t chars = CharsBetween(*document, from, to, 1);
        const std::uint64_t bound = document->CharsBound(from, to).value_or(0);
        // Over by at most a byte a CR LF, and within the tail by the tail and one break.
        ASSERT_GE(bound, chars) << content << " " << from.line << ":" << from.col << "-"
                                << to.line << ":" << to.col;
        ASSERT_LE(bound, chars + 2 + 7 + 2) << content;
        ASSERT_FALSE(MoreCharsThan(*document, from, to, bound)) << content;
        if (chars > 0) {
          ASSERT_TRUE(MoreCharsThan(*document, from, to, chars - 1)) << content;
        }
      }
    }
  }
}

// The file is held open: renamed over or removed while shown, it is still the one shown. Cut
// shorter in place, it shows what remains once Recheck has seen it; lines past its new end
// are empty, the line count stays, and before the recheck the bytes that are gone read as
// blanks, never as fewer characters than asked for.
TEST(ViewerDocument, AFileReplacedIsStillShownAndATruncatedOneShowsWhatRemains) {
  const std::string content = "first line\n" + std::string(300, '5') + "\r\nthird\nfourth\n";
  FakePlatform platform;
  platform.PutFile(kPath, content);
  const std::unique_ptr<ViewerDocument> document = Open(platform, {16, 32, 4, 16});
  IndexWhole(*document);
  const std::string whole = WholeText(*document, "|");
  platform.PutFile(kPath, "renamed over");
  platform.files_.clear();
  EXPECT_FALSE(document->Recheck());
  EXPECT_TRUE(WholeText(*document, "|") == whole);

  FakePlatform truncating;
  truncating.PutFile(kPath, content);
  const std::unique_ptr<ViewerDocument> cut = Open(truncating, {16, 32, 4, 16});
  IndexWhole(*cut);
  const std::uint64_t lines = cut->LineCount();
  truncating.TruncateFile(kPath, 100);
  std::string row;
  cut->AppendLine(1, 280, 300, row);  // past the new end, not in the cache
  EXPECT_EQ(row, std::string(20, ' '));
  EXPECT_TRUE(cut->Recheck());
  EXPECT_EQ(cut->LineCount(), lines);
  EXPECT_EQ(WholeText(*cut, "|"), "first line|" + std::string(89, '5') + "|||");
  EXPECT_FALSE(cut->Recheck());

  // Shorter than its size when opened: indexing ends where the bytes end.
  FakePlatform shrinking;
  shrinking.PutFile(kPath, content);
  const std::unique_ptr<ViewerDocument> early = Open(shrinking, {16, 32, 4, 16});
  ASSERT_EQ(early->IndexMore(16), IndexProgress::kMore);
  shrinking.TruncateFile(kPath, 40);
  IndexWhole(*early);
  EXPECT_EQ(early->Bytes(), 40u);
  EXPECT_EQ(WholeText(*early, "|"), Shown(content.substr(0, 40), true));
}

// Reading a file many times the size of the cache, in order and out of it, keeps the
// document's memory within its bound, and the bound far below the file's size.
TEST(ViewerDocument, MemoryStaysWithinItsBoundWhateverIsRead) {
  std::string content;
  for (int i = 0; content.size() < (std::size_t{4} << 20); ++i) {
    content += std::to_string(i * 7919) + (i % 5 == 0 ? std::string(5000, '9') : "") + "\n";
  }
  FakePlatform platform;
  platform.PutFile(kPath, content);
  const ViewerDocumentOptions options{4096, 64 << 10, 64, 1 << 16};
  const std::unique_ptr<ViewerDocument> document = Open(platform, options);
  IndexWhole(*document);
  EXPECT_LT(document->MaxHeldBytes(), content.size() / 32);
  EXPECT_TRUE(WholeText(*document, "|") == Shown(content, true));
  EXPECT_LE(document->HeldBytes(), document->MaxHeldBytes());
  std::string piece;
  for (std::uint64_t line = document->LineCount(); line > 0; line -= 997) {
    document->AppendLine(line - 1, 0, document->LineLength(line - 1), piece);
    if (line <= 997) break;
  }
  EXPECT_LE(document->HeldBytes(), document->MaxHeldBytes());
  EXPECT_GE(document->HeldBytes(), std::size_t{64} << 10);  // the cache was used to its bound
}

}  // namespace
}  // namespace dalvo
