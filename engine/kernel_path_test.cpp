// The division must use the widest loop the processor has. A lost wide path still divides
// correctly, so only a test that learns the processor's features by itself, without the
// engine's detection, notices it.
#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/division_kernel.h"
#include "engine/division_pipeline.h"
#include "engine/division_report.h"

namespace dalvo {
namespace {

// The feature flags of the first processor in /proc/cpuinfo; empty where there is none.
std::set<std::string> CpuFlags() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("flags", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    std::set<std::string> flags;
    for (std::string word; words >> word;) flags.insert(word);
    return flags;
  }
  return {};
}

// The path the engine must choose on this processor, from the kernel's own list of features.
KernelPath PathThisProcessorAllows() {
#if defined(__x86_64__)
  const std::set<std::string> flags = CpuFlags();
  if (flags.count("avx512f") != 0 && flags.count("avx512bw") != 0 &&
      flags.count("avx512vbmi") != 0) {
    return KernelPath::kWidest;
  }
  if (flags.count("avx2") != 0) return KernelPath::kWide;
#endif
  return KernelPath::kPortable;
}

// A long run of digits once the quotient has started: the vector loop's work, if it runs.
const std::string kLongRun = "1" + std::string(64 * 64, '7');

// The digits `divider`'s vector loop takes of kLongRun.
std::uint64_t VectorDigitsOfLongRun(BlockDivider& divider) {
  std::string quotient;
  ReportBuffer out(&quotient, 4096);
  divider.Consume(reinterpret_cast<const unsigned char*>(kLongRun.data()), kLongRun.size(), out);
  return divider.vector_digits();
}

TEST(KernelPath, DefaultDivisionTakesTheWidestPathTheProcessorHas) {
  const KernelPath allowed = PathThisProcessorAllows();
  EXPECT_EQ(PipelineOptions{}.path, allowed);

  BlockDivider divider;
  EXPECT_EQ(divider.path(), allowed);
  if (allowed == KernelPath::kPortable) {
    EXPECT_EQ(VectorDigitsOfLongRun(divider), 0u);
  } else {
    EXPECT_GT(VectorDigitsOfLongRun(divider), kLongRun.size() / 2) << "the vector loop barely ran";
  }
}

// The narrower vector path stays in use where the wider one exists (the kernel tests compare
// its output on every machine that has it): asked for, it runs its own loop.
TEST(KernelPath, TheAvx2PathRunsItsLoopWhereTheProcessorHasAvx2) {
  if (CpuFlags().count("avx2") == 0) GTEST_SKIP() << "no AVX2 here";
  BlockDivider divider(KernelPath::kWide);
  EXPECT_EQ(divider.path(), KernelPath::kWide);
  EXPECT_GT(VectorDigitsOfLongRun(divider), kLongRun.size() / 2) << "the AVX2 loop barely ran";
}

}  // namespace
}  // namespace dalvo
