#include "engine/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/testing/engine_process_runner.h"
#include "engine/testing/test_temp_dir.h"
#include "engine/usage.h"

namespace dalvo {
namespace {

struct ParseCase {
  std::vector<std::string_view> args;
  CommandKind kind;
  char choice;
  const char* input;
  const char* output;
};

std::string Join(const std::vector<std::string_view>& args) {
  std::string joined = "[";
  for (std::string_view a : args) joined.append(" ").append(a);
  return joined + " ]";
}

// Parses the case's arguments and compares every field of the command with the case.
void ExpectParsedAs(const ParseCase& c) {
  const EngineCommand command = ParseCommandLine(c.args);
  EXPECT_EQ(command.kind, c.kind) << Join(c.args);
  EXPECT_EQ(command.choice, c.choice) << Join(c.args);
  EXPECT_EQ(command.input, c.input) << Join(c.args);
  EXPECT_EQ(command.output, c.output) << Join(c.args);
}

TEST(CommandLine, Dispatch) {
  using enum CommandKind;
  const ParseCase kCases[] = {
      {{}, kInteractive, 0, "", ""},
      {{"-awo", "g", "1"}, kAutoGenerate, '1', "", ""},
      {{"-awo", "g", "2"}, kAutoGenerate, '2', "", ""},
      {{"-awox", "gen", "1x"}, kAutoGenerate, '1', "", ""},
      {{"-awo", "g", "3"}, kDivide, 0, "-awo", ""},
      {{"-AWO", "g", "1"}, kDivide, 0, "-AWO", ""},
      {{"-aw", "g", "1"}, kDivide, 0, "-aw", ""},
      {{"-awo", "", "1"}, kDivide, 0, "-awo", ""},
      {{"-awo", "g", ""}, kDivide, 0, "-awo", ""},
      {{"-awo", "d", "19"}, kDivide, 0, "-awo", ""},
      {{"-awo", "d", "19", "in.txt"}, kAutoDivide, 0, "in.txt", ""},
      {{"-awo", "d", "190", "in.txt"}, kAutoDivide, 0, "in.txt", ""},
      {{"-awo", "div", "19", "in.txt"}, kAutoDivide, 0, "in.txt", ""},
      {{"-awo", "d", "1", "in.txt"}, kDivide, 0, "-awo", ""},
      {{"-awo", "d", "18", "in.txt"}, kDivide, 0, "-awo", ""},
      {{"-awo", "g", "19", "in.txt"}, kDivide, 0, "-awo", ""},
      {{"-awo", "g", "1", "in.txt"}, kDivide, 0, "-awo", ""},
      {{"-awo", "d", "19", "in.txt", "out.txt"}, kAutoDivideToFile, 0, "in.txt", "out.txt"},
      {{"-awo", "D", "19", "in.txt", "out.txt"}, kDivide, 0, "-awo", ""},
      {{"-awo", "d", "19", "a", "b", "c"}, kDivide, 0, "-awo", ""},
      {{"number1.txt"}, kDivide, 0, "number1.txt", ""},
      {{"number1.txt", "ignored"}, kDivide, 0, "number1.txt", ""},
      {{"-awo", "g"}, kDivide, 0, "-awo", ""},
  };
  for (const ParseCase& c : kCases) ExpectParsedAs(c);
}

TEST(CommandLine, HelpAndVersionOnlyAsTheWholeAndOnlyArgument) {
  using enum CommandKind;
  const ParseCase kCases[] = {
      {{"--help"}, kHelp, 0, "", ""},
      {{"--version"}, kVersion, 0, "", ""},
      {{"./--help"}, kDivide, 0, "./--help", ""},
      {{"--helpx"}, kDivide, 0, "--helpx", ""},
      {{"--versio"}, kDivide, 0, "--versio", ""},
      {{"-h"}, kDivide, 0, "-h", ""},
      {{"--HELP"}, kDivide, 0, "--HELP", ""},
      {{"--help", "x"}, kDivide, 0, "--help", ""},
      {{"--version", "--help"}, kDivide, 0, "--version", ""},
  };
  for (const ParseCase& c : kCases) ExpectParsedAs(c);
}

TEST(CommandLine, HelpAndVersionPrintOnStandardOutputAndTouchNothing) {
  const struct {
    const char* arg;
    std::string_view text;
  } kCases[] = {{"--help", UsageText()}, {"--version", VersionText()}};
  for (const auto& c : kCases) {
    const TestTempDir dir;
    const ProcessResult r = RunDalvo(dir.path(), {c.arg});
    EXPECT_EQ(r.exit_code, 0) << c.arg;
    EXPECT_EQ(r.out, c.text) << c.arg;
    EXPECT_EQ(r.err, "") << c.arg;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.arg;  // no marker, no file
  }
}

}  // namespace
}  // namespace dalvo
