#include "engine/division.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "engine/testing/division_test_support.h"
#include "engine/testing/test_temp_dir.h"
#include "engine/testing/test_tmpfs.h"

namespace dalvo {
namespace {

namespace fs = std::filesystem;

// Everything written to a temporary FILE*, read back.
std::string ContentOf(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  return text;
}

struct Divided {
  DivisionStatus status;
  std::string text;
};

Divided DivideToTemporaryFile(const std::string& input, const DivisionOptions& buffers = {}) {
  std::FILE* report = std::tmpfile();
  const DivisionStatus status = DivideBy19(input, report, buffers).status;
  Divided result{status, ContentOf(report)};
  std::fclose(report);
  return result;
}

struct TableRow {
  const char* content;
  const char* quotient_text;
  int digit_count;
  const char* verdict;  // "IS", "NOT" or "" for none
  const char* amount;   // the text after "of 19:  ", or "" for none
};

const TableRow kTable[] = {
    {"38", "2.0000", 2, "IS", ""},
    {"19", "1.0000", 2, "IS", ""},
    {"1", "0.0526", 1, "NOT", ""},
    {"18", "0.9474", 2, "NOT", ""},
    {"20", "1.0526", 2, "NOT", ""},
    {"0", "0.0000", 1, "", ""},
    {"", "0.0000", 0, "", ""},
    {"abc", "0.0000", 0, "", ""},
    {"190", "10.0000", 3, "IS", ""},
    {"0038", "2.0000", 4, "IS", ""},
    {"3\n8\n", "2.0000", 2, "IS", ""},
    {"-38", "2.0000", 2, "IS", ""},
    {"3.8", "2.0000", 2, "IS", ""},
    {"1000", "52.6316", 4, "NOT", ""},
    {"999", "52.5789", 3, "NOT", ""},
    {"1000000000000000018", "52631578947368422.0000", 19, "IS", "19 = 19x1"},
    {"1000000000000000019", "52631578947368422.0526", 19, "NOT", ""},
    {"10000000000000000000000000000000000009", "526315789473684210526315789473684211.0000", 38,
     "IS", "38 = 19x2"},
};

std::string ExpectedReport(const TableRow& row, const std::string& name) {
  std::string text = std::string(row.quotient_text) + "\n\nNumber of digits read from file \"" +
                     name + "\": " + std::to_string(row.digit_count) + "\n";
  if (std::string(row.verdict) == "IS") text += "The number IS a multiple of 19!\n";
  if (std::string(row.verdict) == "NOT") text += "The number is NOT a multiple of 19.\n";
  if (*row.amount != '\0') {
    text += std::string("The amount of digits read is also a multiple\nof 19:  ") + row.amount +
            "\n\n";
  } else {
    text += "\n";
  }
  return text;
}

TEST(Division, TableRowsAgreeWithSchoolbookDivision) {
  for (const TableRow& row : kTable) {
    EXPECT_EQ(ExpectedReport(row, "t.txt"), oracle::OracleReport(row.content, "t.txt"))
        << "content \"" << row.content << "\"";
  }
}

TEST(Division, TableRowsToAStreamAndToAFile) {
  for (const TableRow& row : kTable) {
    TestTempDir dir;
    const std::string input = (dir.path() / "t.txt").string();
    dir.Write("t.txt", row.content);
    const std::string expected = ExpectedReport(row, input);

    const Divided streamed = DivideToTemporaryFile(input);
    EXPECT_EQ(streamed.status, DivisionStatus::kOk) << "content \"" << row.content << "\"";
    EXPECT_EQ(streamed.text, expected) << "content \"" << row.content << "\"";

    const std::string output = (dir.path() / "report.tmp").string();
    EXPECT_EQ(DivideBy19ToFile(input, output).status, DivisionStatus::kOk)
        << "content \"" << row.content << "\"";
    EXPECT_EQ(dir.Read("report.tmp"), expected) << "content \"" << row.content << "\"";
    EXPECT_EQ(dir.Read("t.txt"), row.content) << "content \"" << row.content << "\"";
  }
}

TEST(Division, RelativeNamesAreWrittenAsGiven) {
  TestTempDir dir;
  dir.Write("t.txt", "38");
  const fs::path previous = fs::current_path();
  fs::current_path(dir.path());
  const Divided divided = DivideToTemporaryFile("./t.txt");
  fs::current_path(previous);
  EXPECT_EQ(divided.text, ExpectedReport(kTable[0], "./t.txt"));
}

// The real read loop with tiny buffers, against a division that shares nothing with it.
TEST(Division, SmallBuffersGiveTheSameReport) {
  std::mt19937_64 random(4242);
  TestTempDir dir;
  const std::string input = (dir.path() / "n.txt").string();
  const std::string output = (dir.path() / "r.txt").string();
  for (int round = 0; round < 60; ++round) {
    const std::string content =
        oracle::AwkwardInput(random, 20 + static_cast<std::size_t>(round) * 37);
    dir.Write("n.txt", content);
    const std::string expected = oracle::OracleReport(content, input);
    const DivisionOptions buffers{static_cast<std::size_t>(round % 40),
                                  static_cast<std::size_t>(round * 3 % 90)};
    EXPECT_EQ(DivideToTemporaryFile(input, buffers).text, expected) << "round " << round;
    ASSERT_EQ(DivideBy19ToFile(input, output, buffers).status, DivisionStatus::kOk);
    EXPECT_EQ(dir.Read("r.txt"), expected) << "round " << round;
  }
}

// A file long enough for the threads, with the product's own buffer sizes and thread count.
TEST(Division, LongFileThroughTheThreadsGivesTheSameReport) {
  std::mt19937_64 random(1619);
  std::uniform_int_distribution<int> digit('0', '9');
  std::string content(17 << 20, '0');
  for (std::size_t i = 0; i < content.size(); ++i) {
    content[i] = i % 100000 == 99999 ? '\n' : static_cast<char>(digit(random));
  }
  TestTempDir dir;
  dir.Write("n.txt", content);
  const std::string input = (dir.path() / "n.txt").string();
  ASSERT_EQ(DivideBy19ToFile(input, (dir.path() / "r.txt").string()).status, DivisionStatus::kOk);
  EXPECT_TRUE(dir.Read("r.txt") == oracle::OracleReport(content, input));
}

TEST(Division, LongerOldOutputIsTruncated) {
  TestTempDir dir;
  dir.Write("t.txt", "19");
  dir.Write("r.txt", std::string(5000, 'x'));
  const std::string input = (dir.path() / "t.txt").string();
  ASSERT_EQ(DivideBy19ToFile(input, (dir.path() / "r.txt").string()).status, DivisionStatus::kOk);
  EXPECT_EQ(dir.Read("r.txt"), ExpectedReport(kTable[1], input));
}

TEST(Division, OutputModeIsTheUmasksOrTheReplacedFiles) {
  const struct {
    mode_t umask;
    int old_mode;  // of the report before the run; -1 for none
    mode_t mode;
  } kCases[] = {{0, -1, 0666}, {077, -1, 0600}, {022, 0600, 0600}, {077, 0644, 0644},
                {0, 0640, 0640}};
  for (const auto& c : kCases) {
    TestTempDir dir;
    dir.Write("t.txt", "38");
    const fs::path report = dir.path() / "r.txt";
    if (c.old_mode >= 0) {
      dir.Write("r.txt", "old");
      ASSERT_EQ(::chmod(report.c_str(), static_cast<mode_t>(c.old_mode)), 0);
    }
    const mode_t previous = ::umask(c.umask);
    const DivisionStatus status =
        DivideBy19ToFile((dir.path() / "t.txt").string(), report.string()).status;
    ::umask(previous);
    ASSERT_EQ(status, DivisionStatus::kOk);
    struct stat st {};
    ASSERT_EQ(::stat(report.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode) << std::oct << "umask " << c.umask << ", old mode "
                                          << c.old_mode;
  }
}

// Inputs that cannot be opened, by kind of file (root reads everything, so no permission
// bits): nothing is written, nothing is created, an existing output keeps its content.
TEST(Division, UnopenableInputsWriteAndCreateNothing) {
  TestTempDir dir;
  dir.Write("plain.txt", "38");
  fs::create_directory(dir.path() / "folder");
  const std::string names[] = {"missing.txt", "folder", "plain.txt/below", "nodir/x.txt"};
  for (const std::string& name : names) {
    const std::string input = (dir.path() / name).string();
    const Divided streamed = DivideToTemporaryFile(input);
    EXPECT_EQ(streamed.status, DivisionStatus::kInputUnopenable) << name;
    EXPECT_EQ(streamed.text, "") << name;

    dir.Write("old.txt", "old report");
    const std::string output = (dir.path() / "old.txt").string();
    EXPECT_EQ(DivideBy19ToFile(input, output).status, DivisionStatus::kInputUnopenable) << name;
    EXPECT_EQ(dir.Read("old.txt"), "old report") << name;
    EXPECT_FALSE(fs::exists(dir.path() / "new.txt")) << name;
    EXPECT_EQ(DivideBy19ToFile(input, (dir.path() / "new.txt").string()).status,
              DivisionStatus::kInputUnopenable)
        << name;
    EXPECT_FALSE(fs::exists(dir.path() / "new.txt")) << name;
  }
  EXPECT_FALSE(fs::exists(dir.path() / "missing.txt"));
  EXPECT_FALSE(fs::exists(dir.path() / "nodir"));
}

TEST(Division, UnopenableInputWinsOverSameFile) {
  TestTempDir dir;
  fs::create_directory(dir.path() / "folder");
  const std::string folder = (dir.path() / "folder").string();
  EXPECT_EQ(DivideBy19ToFile(folder, folder).status, DivisionStatus::kInputUnopenable);
}

TEST(Division, SameFileUnderAnyNameIsRefusedAndKeptIntact) {
  TestTempDir dir;
  const std::string content = "1000000000000000018\n";
  dir.Write("n.txt", content);
  fs::create_directory(dir.path() / "sub");
  fs::create_hard_link(dir.path() / "n.txt", dir.path() / "hard.txt");
  fs::create_symlink(dir.path() / "n.txt", dir.path() / "soft.txt");
  const std::string input = (dir.path() / "n.txt").string();
  const std::string outputs[] = {"n.txt", "hard.txt", "soft.txt", "sub/../n.txt"};
  for (const std::string& name : outputs) {
    EXPECT_EQ(DivideBy19ToFile(input, (dir.path() / name).string()).status,
              DivisionStatus::kSameFile)
        << name;
    EXPECT_EQ(dir.Read("n.txt"), content) << name;
    // And the other way round: reading through the link, writing to the original.
    EXPECT_EQ(DivideBy19ToFile((dir.path() / name).string(), input).status,
              DivisionStatus::kSameFile)
        << name;
    EXPECT_EQ(dir.Read("n.txt"), content) << name;
  }
}

TEST(Division, SameInodeNumberOnAnotherFileSystemIsNotTheSameFile) {
  // Two fresh file systems number their files alike: a report there is no danger to the input.
  const TestTmpfs first("size=64k");
  const TestTmpfs second("size=64k");
  if (!first.mounted() || !second.mounted()) GTEST_SKIP() << first.problem() << second.problem();
  first.dir().Write("n.txt", "38");
  second.dir().Write("r.txt", "old");
  struct stat in {};
  struct stat out {};
  ASSERT_EQ(::stat((first.path() / "n.txt").c_str(), &in), 0);
  ASSERT_EQ(::stat((second.path() / "r.txt").c_str(), &out), 0);
  if (in.st_ino != out.st_ino) GTEST_SKIP() << "the file systems numbered differently";

  const std::string input = (first.path() / "n.txt").string();
  ASSERT_EQ(DivideBy19ToFile(input, (second.path() / "r.txt").string()).status,
            DivisionStatus::kOk);
  EXPECT_EQ(second.dir().Read("r.txt"), ExpectedReport(kTable[0], input));
}

TEST(Division, UnwritableOutputsAreReported) {
  TestTempDir dir;
  dir.Write("t.txt", "38");
  fs::create_directory(dir.path() / "folder");
  const std::string input = (dir.path() / "t.txt").string();
  const std::string outputs[] = {(dir.path() / "nodir" / "r.txt").string(),
                                 (dir.path() / "folder").string(),
                                 (dir.path() / "t.txt" / "r.txt").string(), "/dev/full"};
  for (const std::string& output : outputs) {
    EXPECT_EQ(DivideBy19ToFile(input, output).status, DivisionStatus::kOutputUnwritable)
        << output;
  }
  EXPECT_EQ(dir.Read("t.txt"), "38");
}

TEST(Division, FullReportStreamIsReported) {
  TestTempDir dir;
  dir.Write("t.txt", "38");
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(DivideBy19((dir.path() / "t.txt").string(), full).status,
            DivisionStatus::kOutputUnwritable);
  std::fclose(full);
}

TEST(Division, UnableToOpenMessageText) {
  EXPECT_EQ(UnableToOpenMessage("a b.txt"),
            "Unable to open file \"a b.txt\"!\n\nUsage: dalvo [filename]\n\n"
            "Or run dalvo without parameters to generate the long numbers.\n\n");
}

}  // namespace
}  // namespace dalvo
