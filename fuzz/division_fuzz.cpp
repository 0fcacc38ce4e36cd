// libFuzzer target: the division by 19 on arbitrary file contents. Every input is divided four
// ways (DivideBy19 with the product's buffers, DivideBy19 with tiny buffers chosen by the input,
// DivideBy19ToFile, and the threaded pipeline in tiny pieces chosen by the input) and each report
// must equal the one the tests' oracle (engine/testing) builds by a plain per-digit long
// division. The report's quotient and remainder are also checked as a big number on their own:
// quotient * 19 + remainder must give back the digits read. A mismatch prints both texts and
// aborts, which libFuzzer records as a crash with the input that caused it.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/division.h"
#include "engine/division_pipeline.h"
#include "engine/division_report.h"
#include "engine/testing/division_test_support.h"

namespace {

void Require(bool holds, std::string_view what, std::string_view got = {},
             std::string_view wanted = {}) {
  if (holds) return;
  std::fprintf(stderr, "division fuzz: %.*s\n--- got:\n%.*s\n--- wanted:\n%.*s\n",
               static_cast<int>(what.size()), what.data(), static_cast<int>(got.size()),
               got.data(), static_cast<int>(wanted.size()), wanted.data());
  std::abort();
}

// The digits of the input in order, leading zeros included.
std::string DigitsOf(std::string_view bytes) {
  std::string digits;
  for (const char c : bytes) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

// The number's value modulo 19, summed from the last digit up with the powers of ten mod 19.
int ModNineteen(const std::string& digits) {
  int sum = 0;
  int power = 1;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum = (sum + (*it - '0') * power) % 19;
    power = power * 10 % 19;
  }
  return sum;
}

// `number` (decimal digits) times 19 plus `addend` (< 19), schoolbook, least significant first.
std::string TimesNineteenPlus(const std::string& number, int addend) {
  std::string product(number.size() + 2, '0');
  int carry = addend;
  std::size_t out = product.size();
  for (auto it = number.rbegin(); it != number.rend(); ++it) {
    const int value = (*it - '0') * 19 + carry;
    product[--out] = static_cast<char>('0' + value % 10);
    carry = value / 10;
  }
  while (carry != 0) {
    product[--out] = static_cast<char>('0' + carry % 10);
    carry /= 10;
  }
  return product.substr(out);
}

std::string WithoutLeadingZeros(const std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

// Checks the report's first line as a big number: "Q.FFFF" with Q the quotient without leading
// zeros and FFFF the remainder in nineteenths; Q * 19 + remainder must be the number read.
void CheckQuotientLine(const std::string& report, const std::string& digits) {
  const std::size_t point = report.find('.');
  Require(point != std::string::npos && point > 0 && report.size() > point + 5 &&
              report[point + 5] == '\n',
          "first line is not Q.FFFF", report);
  const std::string quotient = report.substr(0, point);
  const std::string fraction = report.substr(point + 1, 4);
  Require(DigitsOf(quotient) == quotient && DigitsOf(fraction) == fraction,
          "quotient line holds a non-digit", report);
  Require(quotient == "0" || quotient[0] != '0', "quotient has a leading zero", report);
  // FFFF / 10000 lies within 0.00005 of remainder / 19, so FFFF * 19 / 10000 rounds to it.
  const int remainder = (std::stoi(fraction) * 19 + 5000) / 10000;
  Require(remainder < 19, "fraction is no remainder", report);
  Require(remainder == ModNineteen(digits), "remainder differs from the number mod 19", report);
  const std::string product = WithoutLeadingZeros(TimesNineteenPlus(quotient, remainder));
  Require(product == WithoutLeadingZeros(digits), "quotient * 19 + remainder is not the number",
          product, digits);
}

// An anonymous in-memory file holding `bytes`; its name under /proc/self/fd opens it anew.
int MemoryFile(const char* label, std::string_view bytes) {
  const int fd = memfd_create(label, MFD_CLOEXEC);
  Require(fd >= 0, "memfd_create failed");
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    Require(n > 0, "writing the memory file failed");
    done += static_cast<std::size_t>(n);
  }
  return fd;
}

std::string FdName(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::string ReadWhole(int fd) {
  std::string text;
  char chunk[4096];
  for (off_t offset = 0;;) {
    const ssize_t n = pread(fd, chunk, sizeof chunk, offset);
    Require(n >= 0, "reading back a memory file failed");
    if (n == 0) return text;
    text.append(chunk, static_cast<std::size_t>(n));
    offset += n;
  }
}

// DivideBy19 into an in-memory stream; the whole report it wrote.
std::string DivideToMemory(const std::string& name, const dalvo::DivisionOptions& buffers) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* stream = open_memstream(&data, &size);
  Require(stream != nullptr, "open_memstream failed");
  const dalvo::DivisionOutcome outcome = dalvo::DivideBy19(name, stream, buffers);
  std::fclose(stream);
  std::string report(data, size);
  std::free(data);
  Require(outcome.status == dalvo::DivisionStatus::kOk, "DivideBy19 did not succeed", report);
  return report;
}

// The pipeline on three threads, with pieces of `chunk_bytes` divided side by side or one after
// another, on a fresh descriptor of the file `name`; the whole report it makes.
std::string DivideThreaded(const std::string& name, std::size_t chunk_bytes, bool side_by_side) {
  dalvo::PipelineOptions options;
  options.threads = 3;
  options.side_by_side = side_by_side;
  options.chunk_bytes = chunk_bytes;
  options.threaded_from_bytes = 0;
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  Require(fd >= 0, "reopening the input failed");
  std::string report;
  dalvo::ReportBuffer out(&report, 64);
  const dalvo::StreamDivision divided = dalvo::DivideDescriptor(fd, out, options);
  close(fd);
  out.Append(dalvo::FormatReportTail(divided.tally, name));
  out.Drain();
  Require(!divided.read_failed && !divided.write_failed, "the pipeline failed", report);
  return report;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const int input_fd = MemoryFile("dalvo-fuzz-input", bytes);
  const std::string input_name = FdName(input_fd);
  const std::string digits = DigitsOf(bytes);
  const std::string wanted = dalvo::oracle::OracleReport(digits, input_name);

  const std::string product = DivideToMemory(input_name, dalvo::DivisionOptions{});
  Require(product == wanted, "DivideBy19 report differs", product, wanted);
  CheckQuotientLine(product, digits);

  // Tiny buffers move every buffer end through the digits; the input picks where.
  const dalvo::DivisionOptions tiny{size == 0 ? 1 : 1u + data[0] % 33u,
                                    size == 0 ? 1 : 1u + data[size - 1] % 71u};
  const std::string small = DivideToMemory(input_name, tiny);
  Require(small == wanted, "DivideBy19 report with tiny buffers differs", small, wanted);

  // Pieces this small put the cuts between threads everywhere; the input picks their size.
  const std::size_t piece = size == 0 ? 1 : 1u + data[size / 2] % 97u;
  const std::string threaded = DivideThreaded(input_name, piece, size % 2 == 0);
  Require(threaded == wanted, "threaded report differs", threaded, wanted);

  const int output_fd = MemoryFile("dalvo-fuzz-output", "stale text that must be truncated");
  const dalvo::DivisionOutcome to_file = dalvo::DivideBy19ToFile(input_name, FdName(output_fd));
  const std::string written = ReadWhole(output_fd);
  Require(to_file.status == dalvo::DivisionStatus::kOk, "DivideBy19ToFile did not succeed");
  Require(written == wanted, "DivideBy19ToFile report differs", written, wanted);

  // The same file as input and output is refused and the number survives.
  const dalvo::DivisionOutcome same = dalvo::DivideBy19ToFile(input_name, input_name);
  Require(same.status == dalvo::DivisionStatus::kSameFile, "same file not refused");
  Require(ReadWhole(input_fd) == bytes, "input changed by a refused division");

  close(output_fd);
  close(input_fd);
  return 0;
}
