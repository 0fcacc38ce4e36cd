// Micro-benchmarks of the division: the block kernel (the best path of this machine, and the
// portable path) against the division's integer rule a digit at a time on the same bytes, the
// kernel on text with line ends, the whole division of a file (read, divide, write) and the
// generation of the 22 long-number files. Bytes per second are input bytes.
// Run: build-bench/bench-bin/dalvo_division_bench (or through bench/run.sh).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/division.h"
#include "engine/division_chain.h"
#include "engine/division_kernel.h"
#include "engine/number_files.h"
#include "engine/sura_table.h"
#include "engine/testing/reference_divider.h"

namespace {

namespace fs = std::filesystem;

// `size` random digits, the first one non-zero; with `line_length` > 0 a line end follows every
// `line_length` digits, as in a number pasted from a text.
std::string Digits(std::size_t size, std::size_t line_length) {
  std::mt19937_64 random(size);
  std::string text;
  text.reserve(size + (line_length > 0 ? size / line_length : 0));
  for (std::size_t i = 0; i < size; ++i) {
    text += static_cast<char>('0' + random() % 10);
    if (line_length > 0 && (i + 1) % line_length == 0) text += '\n';
  }
  text[0] = '7';
  return text;
}

// A fresh directory below the temporary directory, removed with its content at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "dalvo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The kernel into an output window large enough for the whole quotient, as the pipeline's
// division threads use it: no copy of the quotient is timed. The divider takes `path` as it
// takes any: kWidest is the best path of this machine, kWide the AVX2 one where it exists.
void BM_BlockKernel(benchmark::State& state, std::size_t line_length, dalvo::KernelPath path) {
  const std::string input = Digits(static_cast<std::size_t>(state.range(0)), line_length);
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  std::string window(input.size() + 256, '\0');
  for (auto _ : state) {
    dalvo::ReportBuffer out(window.data(), window.size());
    dalvo::BlockDivider divider(path);
    divider.Consume(bytes, input.size(), out);
    benchmark::DoNotOptimize(divider.state());
    benchmark::DoNotOptimize(window.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

// The remainder chain's pass over a piece (what a piece adds to the division, found without
// dividing it), which lets the pipeline divide pieces side by side.
void BM_SummarizePiece(benchmark::State& state, std::size_t line_length, dalvo::KernelPath path) {
  const std::string input = Digits(static_cast<std::size_t>(state.range(0)), line_length);
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  for (auto _ : state) {
    benchmark::DoNotOptimize(dalvo::SummarizePiece(bytes, input.size(), path));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

// The division's integer rule (division_rule.h) one byte at a time, as ReferenceDivider takes it:
// the speed the faster paths are measured against.
void BM_RulePerDigit(benchmark::State& state) {
  const std::string input = Digits(static_cast<std::size_t>(state.range(0)), 0);
  std::string quotient;
  for (auto _ : state) {
    quotient.clear();
    dalvo::ReferenceDivider divider;
    for (const char c : input) divider.Step(static_cast<unsigned char>(c), quotient);
    benchmark::DoNotOptimize(divider.state());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void BM_DivideFileToFile(benchmark::State& state) {
  ScratchDir dir;
  const std::string input = (dir.path() / "n.txt").string();
  const std::string output = (dir.path() / "r.txt").string();
  const std::string digits = Digits(static_cast<std::size_t>(state.range(0)), 0);
  std::FILE* file = std::fopen(input.c_str(), "wb");
  if (file == nullptr || std::fwrite(digits.data(), 1, digits.size(), file) != digits.size()) {
    state.SkipWithError("cannot write the input file");
  }
  if (file != nullptr) std::fclose(file);
  for (auto _ : state) {
    if (dalvo::DivideBy19ToFile(input, output).status != dalvo::DivisionStatus::kOk) {
      state.SkipWithError("division failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(digits.size()));
}

void BM_GenerateNumberFiles(benchmark::State& state) {
  ScratchDir dir;
  const dalvo::SuraTable table;
  for (auto _ : state) {
    if (!dalvo::GenerateNumberFiles(table, dir.path()).ok()) {
      state.SkipWithError("generation failed");
      break;
    }
  }
}

// The best path of this machine (AVX-512 or AVX2 where they exist), the AVX2 one, then the
// portable one; on bare digits, and the best and the portable also on lines of 70 digits.
constexpr dalvo::KernelPath kBest = dalvo::KernelPath::kWidest;
constexpr dalvo::KernelPath kAvx2 = dalvo::KernelPath::kWide;
constexpr dalvo::KernelPath kPortable = dalvo::KernelPath::kPortable;
const std::vector<std::int64_t> kKernelSizes = {1 << 12, 1 << 17, 1 << 20, 1 << 24};
BENCHMARK_CAPTURE(BM_BlockKernel, Best, 0, kBest)->ArgsProduct({kKernelSizes});
BENCHMARK_CAPTURE(BM_BlockKernel, BestLinesOf70, 70, kBest)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_BlockKernel, Avx2, 0, kAvx2)->Arg(1 << 17)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_BlockKernel, Portable, 0, kPortable)->ArgsProduct({kKernelSizes});
BENCHMARK_CAPTURE(BM_BlockKernel, PortableLinesOf70, 70, kPortable)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_SummarizePiece, Best, 0, kBest)->Arg(1 << 18)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_SummarizePiece, BestLinesOf70, 70, kBest)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_SummarizePiece, Portable, 0, kPortable)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_SummarizePiece, PortableLinesOf70, 70, kPortable)->Arg(1 << 20);
BENCHMARK(BM_RulePerDigit)->Arg(1 << 12)->Arg(1 << 20);
BENCHMARK(BM_DivideFileToFile)->Arg(1 << 20)->Arg(1 << 24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateNumberFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
