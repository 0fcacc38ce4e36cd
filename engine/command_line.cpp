#include "engine/command_line.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "engine/completion_marker.h"
#include "engine/division.h"
#include "engine/menu.h"
#include "engine/number_files.h"
#include "engine/usage.h"

namespace dalvo {
namespace {

constexpr const char* kProgramName = "dalvo";
constexpr const char* kStandardOutputName = "standard output";
constexpr const char* kOutOfMemory = "Out of memory!";

bool IsAutoSwitch(std::string_view arg) { return arg.starts_with("-awo"); }

bool IsGenerateForm(std::span<const std::string_view> args) {
  return IsAutoSwitch(args[0]) && args[1].starts_with('g') &&
         (args[2].starts_with('1') || args[2].starts_with('2'));
}

bool IsDivideForm(std::span<const std::string_view> args) {
  return IsAutoSwitch(args[0]) && args[1].starts_with('d') && args[2].starts_with("19");
}

bool IsAutomatic(CommandKind kind) {
  return kind == CommandKind::kAutoGenerate || kind == CommandKind::kAutoDivide ||
         kind == CommandKind::kAutoDivideToFile;
}

// One line on standard error: the program, what failed, and the system's reason if known.
void ReportFailure(std::FILE* err, const std::string& what, int error) {
  if (error != 0) {
    std::fprintf(err, "%s: %s (%s)\n", kProgramName, what.c_str(), std::strerror(error));
  } else {
    std::fprintf(err, "%s: %s\n", kProgramName, what.c_str());
  }
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string UnableToWrite(const std::string& name) {
  return "Unable to write file " + Quoted(name) + "!";
}

// The reason of the first failed write to standard output; a later one often only repeats it.
struct OutputFailure {
  bool failed = false;
  int error = 0;

  void Note(int reason) {
    if (!failed) error = reason;
    failed = true;
  }
};

// Turns a division's outcome into its message and whether the run still succeeds. A report to
// standard output that failed is left to RunEngine's final check, so it is named only once.
bool ReportDivision(const EngineCommand& command, DivisionOutcome outcome,
                    const EngineStreams& io, OutputFailure& out_failure) {
  switch (outcome.status) {
    case DivisionStatus::kOk:
      return true;
    case DivisionStatus::kInputUnopenable:
      if (std::fputs(UnableToOpenMessage(command.input).c_str(), io.out) == EOF) {
        out_failure.Note(errno);
      }
      return false;
    case DivisionStatus::kInputUnreadable:
      ReportFailure(io.err, "Unable to read file " + Quoted(command.input) + "!", outcome.error);
      return false;
    case DivisionStatus::kSameFile:
      // Standard output has no name of its own: the file is the input.
      ReportFailure(io.err,
                    "Input and output are the same file: " +
                        Quoted(command.output.empty() ? command.input : command.output) + "!",
                    0);
      return false;
    case DivisionStatus::kOutputUnwritable:
      if (command.kind == CommandKind::kAutoDivideToFile) {
        ReportFailure(io.err, UnableToWrite(command.output), outcome.error);
      } else {
        out_failure.Note(outcome.error);
      }
      return false;
  }
  return false;
}

bool RunGeneration(const EngineCommand& command, const EngineStreams& io,
                   OutputFailure& out_failure) {
  const RunMode mode = command.kind == CommandKind::kAutoGenerate ? RunMode::kAutoGenerate
                                                                  : RunMode::kInteractive;
  const MenuOutcome menu = RunMenu(mode, command.choice, io.in, io.out, [](const SuraTable& t) {
    return GenerateNumberFiles(t, std::filesystem::path());
  });
  if (menu.out_error != 0) out_failure.Note(menu.out_error);
  for (std::size_t i = 0; i < menu.generation.failed_files.size(); ++i) {
    ReportFailure(io.err, UnableToWrite(menu.generation.failed_files[i]),
                  menu.generation.failure_reasons[i]);
  }
  return menu.generation.ok();
}

// The marker is this run's last act: a division that read it would see it truncated after the
// verdict, one that wrote its report there would see the report wiped. Such a run is refused
// before anything is touched.
bool NamesTheMarker(const EngineCommand& command, const EngineStreams& io) {
  for (const std::string* name : {&command.input, &command.output}) {
    if (!name->empty() && NamesCompletionMarker(*name)) {
      ReportFailure(io.err,
                    "Unable to use file " + Quoted(*name) + ": it is the completion marker " +
                        Quoted(kMarkerName) + "!",
                    0);
      return true;
    }
  }
  return false;
}

// Runs the command itself: the menu and generation, a division, or a text. False when it failed.
bool RunCommand(const EngineCommand& command, const EngineStreams& io,
                OutputFailure& out_failure) {
  bool ok = true;
  switch (command.kind) {
    case CommandKind::kInteractive:
    case CommandKind::kAutoGenerate:
      ok = RunGeneration(command, io, out_failure);
      break;
    case CommandKind::kAutoDivide:
    case CommandKind::kDivide:
      ok = ReportDivision(command, DivideBy19(command.input, io.out), io, out_failure);
      break;
    case CommandKind::kAutoDivideToFile:
      ok = ReportDivision(command, DivideBy19ToFile(command.input, command.output), io,
                          out_failure);
      break;
    case CommandKind::kHelp:
    case CommandKind::kVersion: {
      const std::string_view text =
          command.kind == CommandKind::kHelp ? UsageText() : VersionText();
      std::fwrite(text.data(), 1, text.size(), io.out);
      break;
    }
  }
  return ok;
}

}  // namespace

EngineCommand ParseCommandLine(std::span<const std::string_view> args) {
  EngineCommand command;
  if (args.empty()) return command;  // kInteractive
  // Only these two whole words; a file of that name is still divided as ./--help.
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "--version")) {
    command.kind = args[0] == "--help" ? CommandKind::kHelp : CommandKind::kVersion;
    return command;
  }
  if (args.size() == 3 && IsGenerateForm(args)) {
    command.kind = CommandKind::kAutoGenerate;
    command.choice = args[2][0];
  } else if (args.size() == 4 && IsDivideForm(args)) {
    command.kind = CommandKind::kAutoDivide;
    command.input = args[3];
  } else if (args.size() == 5 && IsDivideForm(args)) {
    command.kind = CommandKind::kAutoDivideToFile;
    command.input = args[3];
    command.output = args[4];
  } else {
    // A malformed automatic form is not reported: it divides a file named like its switch.
    command.kind = CommandKind::kDivide;
    command.input = args[0];
  }
  return command;
}

int RunEngine(std::span<const std::string_view> args, const EngineStreams& io) {
  const EngineCommand command = ParseCommandLine(args);
  const bool automatic = IsAutomatic(command.kind);
  if (automatic && command.kind != CommandKind::kAutoGenerate && NamesTheMarker(command, io)) {
    return 1;
  }

  bool ok = true;
  OutputFailure out_failure;
  try {
    ok = RunCommand(command, io, out_failure);
  } catch (const std::bad_alloc&) {
    // Every file object on the way out has removed its new file; the marker still follows.
    ReportFailure(io.err, kOutOfMemory, ENOMEM);
    ok = false;
  }

  // Every text of the run is on `out` by now; a write that failed at any point leaves the
  // stream's error flag set, so one check covers the menu, the announcements and the report.
  if (std::fflush(io.out) != 0) out_failure.Note(errno);
  if (std::ferror(io.out) != 0) out_failure.Note(0);
  if (out_failure.failed) {
    ReportFailure(io.err, UnableToWrite(kStandardOutputName), out_failure.error);
    ok = false;
  }

  // The front-end waits for the marker, so it comes last and also after a failure.
  if (automatic) {
    if (const int error = WriteCompletionMarker(); error != 0) {
      ReportFailure(io.err, UnableToWrite(kMarkerName), error);
      ok = false;
    }
  }
  std::fflush(io.err);
  return ok ? 0 : 1;
}

}  // namespace dalvo
