#include "engine_args.h"
#include "engine_command_line.h"

#include <gtest/gtest.h>

namespace dalvo {
namespace {

using Args = std::vector<std::string>;

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
