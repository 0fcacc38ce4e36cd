#include "frontend/logic/engine_args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dalvo {
namespace {

using Args = std::vector<std::string>;

// The one line a user would type for the run: the program in double quotes, the switches as
// plain words and each file name (which may hold blanks) in double quotes. The product passes
// the list itself and never builds this string; the line shows the list's order at a glance.
std::string CommandLine(const std::string& program, const Args& args) {
  std::string line = "\"" + program + "\"";
  for (std::size_t i = 0; i < args.size(); ++i) {
    line += ' ';
    line += i < 3 ? args[i] : "\"" + args[i] + "\"";
  }
  return line;
}

TEST(EngineArgs, GenerationArgumentLists) {
  EXPECT_EQ(GenerateArgs(false), (Args{"-awo", "g", "1"}));
  EXPECT_EQ(GenerateArgs(true), (Args{"-awo", "g", "2"}));
}

TEST(EngineArgs, DivisionArgumentListKeepsBlanksInsideNames) {
  EXPECT_EQ(DivideArgs("custom number.tmp", "latest_division_report.tmp"),
            (Args{"-awo", "d", "19", "custom number.tmp", "latest_division_report.tmp"}));
}

TEST(EngineArgs, CommandLineForms) {
  EXPECT_EQ(CommandLine("/opt/app/dalvo", GenerateArgs(false)), "\"/opt/app/dalvo\" -awo g 1");
  EXPECT_EQ(CommandLine("/opt/app/dalvo", GenerateArgs(true)), "\"/opt/app/dalvo\" -awo g 2");
  EXPECT_EQ(CommandLine("/opt/app/dalvo",
                        DivideArgs("n14453d.txt", "/tmp/dalvo work dir/latest_division_report.tmp")),
            "\"/opt/app/dalvo\" -awo d 19 \"n14453d.txt\" "
            "\"/tmp/dalvo work dir/latest_division_report.tmp\"");
}

}  // namespace
}  // namespace dalvo
