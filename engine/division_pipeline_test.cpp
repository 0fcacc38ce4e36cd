#include "engine/division_pipeline.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/division_report.h"
#include "engine/testing/division_test_support.h"
#include "engine/testing/test_temp_dir.h"

namespace dalvo {
namespace {

// Every input through the pipeline, however small: threads forced to one, to two and to more
// than this machine has processors, each with chunks divided one after another and side by side.
std::vector<PipelineOptions> ThreadedWays(std::size_t chunk_bytes) {
  std::vector<PipelineOptions> ways;
  for (const unsigned threads : {1u, 2u, std::max(std::thread::hardware_concurrency(), 1u) + 3}) {
    for (const bool side_by_side : {false, true}) {
      PipelineOptions options;
      options.threads = threads;
      options.side_by_side = side_by_side;
      options.chunk_bytes = chunk_bytes;
      options.threaded_from_bytes = 0;
      ways.push_back(options);
    }
  }
  return ways;
}

std::string Describe(const PipelineOptions& options) {
  return std::to_string(options.threads) + " threads, chunks of " +
         std::to_string(options.chunk_bytes) +
         (options.side_by_side ? " side by side" : " one after another");
}

// The file `name` of `dir`, open for reading, closed when the object goes.
class OpenFile {
 public:
  OpenFile(const TestTempDir& dir, const std::string& name)
      : descriptor_(::open((dir.path() / name).c_str(), O_RDONLY)) {}
  ~OpenFile() { ::close(descriptor_); }
  int descriptor() const { return descriptor_; }

 private:
  int descriptor_;
};

// The report DivideDescriptor's result makes, as the division makes it.
std::string ReportOf(int input, const PipelineOptions& options, StreamDivision& result) {
  std::string text;
  ReportBuffer out(&text, 100);
  result = DivideDescriptor(input, out, options);
  out.Append(FormatReportTail(result.tally, "k.txt"));
  out.Drain();
  return text;
}

std::string RandomDigits(std::mt19937_64& random, std::size_t count) {
  std::uniform_int_distribution<int> digit('0', '9');
  std::string digits;
  for (std::size_t i = 0; i < count; ++i) digits += static_cast<char>(digit(random));
  return digits;
}

TEST(DivisionPipeline, ThreadCountsAndChunkSizesGiveTheSameReport) {
  TestTempDir dir;
  std::mt19937_64 random(14);
  std::vector<std::string> inputs;
  for (int round = 0; round < 6; ++round) {
    inputs.push_back(oracle::AwkwardInput(random, 300 + static_cast<std::size_t>(round) * 900));
  }
  // The quotient starting many chunks in, and long runs for the vector paths.
  inputs.push_back(std::string(9000, '0') + "2" + RandomDigits(random, 3000));
  inputs.push_back("7" + RandomDigits(random, 150000) + "\n");
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    dir.Write("n.txt", inputs[i]);
    const std::string expected = oracle::OracleReport(inputs[i], "k.txt");
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{61}, std::size_t{4096}}) {
      if (chunk == 1 && inputs[i].size() > 5000) continue;  // a hand-over per byte
      for (const PipelineOptions& options : ThreadedWays(chunk)) {
        const OpenFile input(dir, "n.txt");
        StreamDivision result;
        EXPECT_EQ(ReportOf(input.descriptor(), options, result), expected)
            << "input " << i << ", " << Describe(options);
        EXPECT_FALSE(result.read_failed || result.write_failed);
      }
    }
  }
}

TEST(DivisionPipeline, InputsOneByteOffAWholeNumberOfChunks) {
  // The last chunk holding a single byte, and the last chunk one byte short of full.
  constexpr std::size_t kChunk = 4096;
  TestTempDir dir;
  std::mt19937_64 random(19);
  for (const std::size_t size : {5 * kChunk - 1, 5 * kChunk + 1}) {
    const std::string input = "9" + RandomDigits(random, size - 1);
    dir.Write("n.txt", input);
    const std::string expected = oracle::OracleReport(input, "k.txt");
    for (const PipelineOptions& options : ThreadedWays(kChunk)) {
      const OpenFile file(dir, "n.txt");
      StreamDivision result;
      EXPECT_EQ(ReportOf(file.descriptor(), options, result), expected)
          << size << " bytes, " << Describe(options);
    }
  }
}

// Input that can only be read in order (a pipe, fed in uneven pieces by another thread).
TEST(DivisionPipeline, PipeInputGivesTheSameReport) {
  std::mt19937_64 random(15);
  const std::string content = oracle::AwkwardInput(random, 70000);
  const std::string expected = oracle::OracleReport(content, "k.txt");
  for (const PipelineOptions& options : ThreadedWays(4096)) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::thread feeder([&content, in = ends[1]] {
      for (std::size_t at = 0; at < content.size();) {
        const std::size_t piece = std::min<std::size_t>(content.size() - at, 1 + at % 9000);
        const long put = ::write(in, content.data() + at, piece);
        if (put <= 0) break;
        at += static_cast<std::size_t>(put);
      }
      ::close(in);
    });
    StreamDivision result;
    EXPECT_EQ(ReportOf(ends[0], options, result), expected) << Describe(options);
    EXPECT_FALSE(result.read_failed || result.write_failed) << Describe(options);
    feeder.join();
    ::close(ends[0]);
  }
}

// Reads the file as the pipeline asks, but only its first `good` bytes: a read at or past them
// fails, as a disk fails.
ReadFunction FailingAfter(std::size_t good) {
  return [good](int input, unsigned char* buffer, std::size_t size, std::int64_t offset) -> long {
    const auto at = static_cast<std::size_t>(offset >= 0 ? offset : ::lseek(input, 0, SEEK_CUR));
    if (at >= good) {
      errno = EIO;
      return -1;
    }
    const std::size_t allowed = std::min(size, good - at);
    return offset >= 0 ? ::pread(input, buffer, allowed, offset) : ::read(input, buffer, allowed);
  };
}

// A read error at the start, in the middle while the writer is busy, and at the last byte; on
// the calling thread alone and in the pipeline.
TEST(DivisionPipeline, ReadErrorIsReportedNotTakenForTheEnd) {
  TestTempDir dir;
  std::mt19937_64 random(5);
  const std::string content = "9" + RandomDigits(random, 300000);
  dir.Write("n.txt", content);
  for (const std::size_t good : {std::size_t{0}, std::size_t{150001}, content.size() - 1}) {
    std::vector<PipelineOptions> ways = ThreadedWays(4096);
    ways.emplace_back();  // a file this small is divided on the calling thread
    for (PipelineOptions& options : ways) {
      options.read = FailingAfter(good);
      const OpenFile input(dir, "n.txt");
      StreamDivision result;
      (void)ReportOf(input.descriptor(), options, result);
      EXPECT_TRUE(result.read_failed) << "good " << good << ", " << Describe(options);
      EXPECT_FALSE(result.write_failed) << "good " << good << ", " << Describe(options);
    }
  }
}

// A quotient that cannot be written, to a full device and to a pipe that nobody reads (EPIPE,
// with SIGPIPE ignored as the engine ignores it): the failure is reported and the reader stops
// within a few chunks instead of reading the whole input.
TEST(DivisionPipeline, FailingOutputStopsTheReader) {
  TestTempDir dir;
  std::mt19937_64 random(6);
  const std::string content = "5" + RandomDigits(random, 1 << 20);
  dir.Write("n.txt", content);
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  for (const bool use_pipe : {false, true}) {
    for (PipelineOptions options : ThreadedWays(4096)) {
      int ends[2] = {-1, -1};
      std::FILE* output = nullptr;
      if (use_pipe) {
        ASSERT_EQ(::pipe(ends), 0);
        ::close(ends[0]);
        output = ::fdopen(ends[1], "wb");
      } else {
        output = std::fopen("/dev/full", "wb");
      }
      ASSERT_NE(output, nullptr);
      std::setvbuf(output, nullptr, _IONBF, 0);
      std::atomic<std::size_t> read_total = 0;
      options.read = [&read_total](int fd, unsigned char* buffer, std::size_t size,
                                   std::int64_t offset) {
        const long got = offset >= 0 ? ::pread(fd, buffer, size, offset)
                                     : ::read(fd, buffer, size);
        if (got > 0) read_total += static_cast<std::size_t>(got);
        return got;
      };
      const OpenFile input(dir, "n.txt");
      ReportBuffer out(output, 4096);
      const StreamDivision result = DivideDescriptor(input.descriptor(), out, options);
      const std::string what = (use_pipe ? "pipe, " : "full device, ") + Describe(options);
      EXPECT_TRUE(result.write_failed) << what;
      EXPECT_FALSE(result.read_failed) << what;
      EXPECT_LT(read_total, content.size() / 4) << what;
      std::fclose(output);
    }
  }
  std::signal(SIGPIPE, previous);
}

}  // namespace
}  // namespace dalvo
