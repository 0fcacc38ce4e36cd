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
  std::FILE* err;  // one line per failure that the run could not report on `out`
};

// Runs the engine for `args` (after the program name) in the current directory and returns the
// exit status: 0 on success and for "q"; 1 when the division input cannot be opened, its output
// cannot be written or is the input itself, a long-number file cannot be fully written, or `out`
// cannot be written. Automatic forms create the completion marker last, whatever happened.
int RunEngine(std::span<const std::string_view> args, const EngineStreams& io);

// Creates or truncates the empty completion marker "dalvoopc.tmp" in the current directory.
// A failure is deliberately ignored: the marker only tells a waiting front-end that the run ended.
void WriteCompletionMarker();

}  // namespace dalvo
