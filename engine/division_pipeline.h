// The division of a whole input read from a file descriptor. A small regular file is divided on
// the calling thread alone. Anything longer goes through a pipeline of a few fixed buffers
// (constant memory) on several threads, the calling one included: chunks are read (a file's at
// known offsets, several at once), divided and handed on in order, and reading, dividing and
// writing overlap. Where it pays, each chunk is also summarised as it is read
// (division_chain.h), which tells every chunk the exact state the division reaches before it,
// so chunks are divided side by side. A read error or a failed write stops every thread; the
// result says which. Nothing is thrown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/division_kernel.h"
#include "engine/division_report.h"

namespace dalvo {

// How the input is read: with an offset of 0 or more the contract of pread(2) at that offset,
// with -1 that of read(2) where the descriptor stands (bytes read, 0 at the end, -1 with errno
// set on an error). Called from several threads at once for a file.
using ReadFunction = std::function<long(int descriptor, unsigned char* buffer, std::size_t size,
                                        std::int64_t offset)>;

// The number of processors this machine reports, at least 1.
unsigned DefaultDivisionThreads();

// True where dividing chunks side by side pays on `threads` threads: where the AVX-512 summary
// pass runs and there are three threads or more. With two, one thread can divide all the time
// while the other reads, and reading a chunk costs at least what dividing it does, so the one
// division in order keeps up and the summaries would only add work; from three threads on the
// one division in order becomes the bottleneck.
bool DefaultSideBySide(unsigned threads);

struct PipelineOptions {
  // Threads that read, divide and write, the calling one included (0 is 1). Each takes
  // whatever is ready; with 1 the calling thread does everything.
  unsigned threads = DefaultDivisionThreads();
  // Chunks divided at the same time, each from the start its summary gives; otherwise one
  // after another, each from where the last one ended.
  bool side_by_side = DefaultSideBySide(threads);
  // Bytes per piece, and how many pieces may be in the pipeline at once (0: what the threads
  // need). Memory is about twice their product.
  std::size_t chunk_bytes = 256 * 1024;
  std::size_t chunks = 0;
  // Regular files shorter than this are divided on the calling thread alone, in reads of
  // `read_bytes` (0 is 1): for them threads, their buffers and their hand-overs cost about as
  // much as they save, and more on a busy machine.
  std::uint64_t threaded_from_bytes = 16 * 1024 * 1024;
  std::size_t read_bytes = 128 * 1024;
  KernelPath path = BestKernelPath();
  // Empty: read(2). Tests put a failing reader here.
  ReadFunction read;
};

struct [[nodiscard]] StreamDivision {
  DivisionTally tally;        // of every digit read; meaningful only when nothing failed
  bool read_failed = false;   // the input failed before its end: the digits read are no number
  int read_error = 0;         // errno of the failed read, when read_failed
  bool write_failed = false;  // `out` failed, then or earlier
};

// Divides everything readable from `input` and hands the quotient digits, in order, to `out`,
// all but the report's tail (the caller appends that from `tally`). Returns once the input has
// ended or anything failed, and every thread it started has stopped; `out` is not drained.
StreamDivision DivideDescriptor(int input, ReportBuffer& out, const PipelineOptions& options = {});

}  // namespace dalvo
