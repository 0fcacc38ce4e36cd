// The engine's entry: what one run does, decided from the command line alone, and the run itself
// with its messages, completion marker and exit status. Parsing never fails: a command line that
// fits no automatic form divides the file named by its first argument.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace dalvo {

enum class CommandKind {
  kInteractive,       // no arguments: the menu reads its choice from standard input
  kAutoGenerate,      // "-awo" "g" "1"|"2": the menu with the choice given, then the marker
  kAutoDivide,        // "-awo" "d" "19" INPUT: division to standard output, then the marker
  kAutoDivideToFile,  // "-awo" "d" "19" INPUT OUTPUT: division into OUTPUT, then the marker
  kDivide,            // anything else: division of the file named by the first argument
  kHelp,              // "--help" alone: the usage on standard output
  kVersion,           // "--version" alone: the version on standard output
};

struct EngineCommand {
  CommandKind kind = CommandKind::kInteractive;
  char choice = 0;     // '1' or '2' for kAutoGenerate
  std::string input;   // the file to divide, for the division kinds
  std::string output;  // the report file, for kAutoDivideToFile
};

// Decides the run from the arguments after the program name. Comparisons are case-sensitive and
// look only at the leading characters they name ("-awox" passes as "-awo", "190" as "19"), but
// "--help" and "--version" count only as the whole and only argument.
EngineCommand ParseCommandLine(std::span<const std::string_view> args);

struct EngineStreams {
  std::FILE* in;   // where the menu reads its choice
  std::FILE* out;  // menu, announcements, division reports and the "Unable to open" message
  // One line per failure that has no text of its own on `out`: "dalvo: ", what failed with the
  // file's name in quotes, and the system's reason in parentheses where there is one.
  std::FILE* err;
};

// Runs the engine for `args` (after the program name) in the current directory and returns the
// exit status: 0 on success and for "q"; 1 when the division input cannot be opened or read, its
// output cannot be written or is the input itself (standard output included), a long-number
// file cannot be fully written, `out` cannot be written, the completion marker cannot be
// created, or an automatic division names the marker as its input or report. Automatic forms
// create the marker last, whatever else happened, except in that last case, where the marker's
// file is left as it was and nothing is divided.
int RunEngine(std::span<const std::string_view> args, const EngineStreams& io);

}  // namespace dalvo
