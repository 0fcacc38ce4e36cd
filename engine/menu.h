// The menu run: builds the sura table, prints the banner and the menu, takes one choice ("1",
// "2" or "q") from standard input or from the command line, and generates the long-number files.
// The caller owns both streams and the generator; write failures on `out` are left in the
// stream's error state, with their reason in the outcome, for the caller to report. The
// completion marker is the caller's job.
#pragma once

#include <cstdio>
#include <functional>

#include "engine/number_files.h"
#include "engine/sura_table.h"

namespace dalvo {

enum class RunMode {
  kInteractive,   // the choice is read from the input stream, one character at a time
  kAutoGenerate,  // the choice comes from the command line; nothing is read
};

// Writes the 22 long-number files for the table it is given. The engine passes one that writes
// into the current directory; tests pass their own.
using NumberGenerator = std::function<GenerationOutcome(const SuraTable&)>;

struct [[nodiscard]] MenuOutcome {
  bool generated = false;         // false when the run ended with "q" or at the end of input
  GenerationOutcome generation;   // what the generator returned, when it ran
  int out_error = 0;              // the errno value of the first failed write to `out`, or 0
};

// Runs the menu on `out`. kInteractive reads single characters from `in` (after flushing `out`)
// until one of "1", "2", "q" or the end of input, which ends the run as "q" does. kAutoGenerate
// takes `auto_choice`, which must be '1' or '2', and reads nothing. On "1" or "2" calls `generate`
// once, with sura 9 set to 129 verses for "2", then prints the completion or failure text.
MenuOutcome RunMenu(RunMode mode, char auto_choice, std::FILE* in, std::FILE* out,
                    const NumberGenerator& generate);

}  // namespace dalvo
