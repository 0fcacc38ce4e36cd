// Streaming division by 19 of the decimal digits of a text file, and the division report.
// The input is read once, front to back, in constant memory; the quotient is written while the
// input is read. Callers own the streams they pass; failures come back as values, and only the
// engine's main turns them into messages and an exit status.
//
// The division's files, in the order a division runs through them:
//   read    division_pipeline.h  the input in chunks; long inputs on several threads
//   divide  division_rule.h      the rule: one digit turns the remainder into a quotient digit
//           division_kernel.h    the rule 16 and 64 digits at a time (the _avx2, _avx512,
//                                _groups and _vector files hold its vector steps)
//           division_chain.h     the state before each chunk, so chunks divide side by side
//                                (its AVX-512 pass in division_chain_avx512.h)
//   report  division_report.h    the buffer the quotient goes through, and the report's tail
//   write   division.h (here)    the output, put in place once whole (replacement_file.h)
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace dalvo {

enum class DivisionStatus {
  kOk,                // the whole report was written
  kInputUnopenable,   // input missing, unreadable or a directory; nothing was written or created
  kInputUnreadable,   // a read failed before the end of the input; no verdict was written
  kSameFile,          // input and output name the same file; nothing was opened for writing
  kOutputUnwritable,  // the report stream or output file could not be created or fully written
};

struct [[nodiscard]] DivisionOutcome {
  DivisionStatus status = DivisionStatus::kOk;
  int error = 0;  // the errno value of kInputUnreadable and kOutputUnwritable, 0 when unknown
};

// Reads the input as POSIX read does: the count of bytes read, 0 at the end, -1 with errno set
// on a failure. The product reads its descriptor; tests put a failing reader here.
using InputReader = ssize_t (*)(int descriptor, void* buffer, std::size_t size);

// Buffer sizes and the reader of one division. The defaults serve the product (constant memory,
// large enough reads and writes, ::read); tests pass tiny buffers to move the buffer ends through
// the digits. A size of 0 is taken as 1; a null reader is ::read. The output is the same
// whatever the options.
struct DivisionOptions {
  std::size_t read_bytes = 128 * 1024;
  std::size_t write_bytes = 128 * 1024;
  InputReader reader = nullptr;
};

// Divides the digits of `input_name` by 19 and writes quotient and report to `report`, which is
// flushed before return. kOutputUnwritable when a write or the flush fails; kSameFile, with
// nothing written, when `report` is a regular file and the input itself (`dalvo a >> a`).
DivisionOutcome DivideBy19(const std::string& input_name, std::FILE* report,
                           const DivisionOptions& options = {});

// The same, into `output_name`. Input and output are compared by device and inode (links
// included) before the output is opened: kSameFile then. The report is written as a new file
// and put in place under the output's name once complete, keeping an old output's mode, owner
// and attributes (a new one gets 0666 less the umask); on any failure an existing output keeps
// its content. A device or FIFO, a link to one or to this process's own standard output, and a
// file with several hard links are written in place (replacement_file.h). The output is closed
// before return, so a completion marker may follow at once.
DivisionOutcome DivideBy19ToFile(const std::string& input_name, const std::string& output_name,
                                 const DivisionOptions& options = {});

// The text written to standard output when the input cannot be opened (both operations).
std::string UnableToOpenMessage(const std::string& input_name);

}  // namespace dalvo
