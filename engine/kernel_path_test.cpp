// The division must use the widest loop the processor has. A lost wide path still divides
// correctly, so only a test that learns the processor's features by itself, without the
// engine's detection, notices it.
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "division_kernel.h"
#include "division_output.h"
#include "division_pipeline.h"

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
  if (flags.count("avx512f") != 0 && flags.count("avx512bw") != 0) return KernelPath::kWidest;
  if (flags.count("avx2") != 0) return KernelPath::kWide;
#endif
  return KernelPath::kPortable;
}

TEST(KernelPath, DefaultDivisionTakesTheWidestPathTheProcessorHas) {
  const KernelPath allowed = PathThisProcessorAllows();
  EXPECT_EQ(PipelineOptions{}.path, allowed);

  BlockDivider divider;
  EXPECT_EQ(divider.path(), allowed);

  // A long run of digits once the quotient has started: the vector loop's work, if it runs.
  const std::string input = "1" + std::string(64 * 64, '7');
  std::string quotient;
  ReportBuffer out(&quotient, 4096);
  divider.Consume(reinterpret_cast<const unsigned char*>(input.data()), input.size(), out);
  if (allowed == KernelPath::kPortable) {
    EXPECT_EQ(divider.vector_digits(), 0u);
  } else {
    EXPECT_GT(divider.vector_digits(), input.size() / 2) << "the vector loop barely ran";
  }
}

}  // namespace
}  // namespace dalvo
