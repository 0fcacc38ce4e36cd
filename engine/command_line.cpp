#include "command_line.h"

#include "division.h"
#include "menu.h"
#include "number_files.h"

namespace dalvo {
namespace {

constexpr const char* kMarkerName = "dalvoopc.tmp";
constexpr const char* kStandardOutputName = "standard output";

bool IsAutoSwitch(std::string_view arg) { return arg.starts_with("-awo"); }

bool IsGenerateForm(std::span<const std::string_view> args) {
  return IsAutoSwitch(args[0]) && args[1].starts_with('g') &&
         (args[2].starts_with('1') || args[2].starts_with('2'));
}

bool IsDivideForm(std::span<const std::string_view> args) {
  return IsAutoSwitch(args[0]) && args[1].starts_with('d') && args[2].starts_with("19");
}

void ReportUnwritable(std::FILE* err, const std::string& name) {
  std::fprintf(err, "Unable to write file \"%s\"!\n", name.c_str());
}

void ReportSameFile(std::FILE* err, const std::string& name) {
  std::fprintf(err, "Input and output are the same file: \"%s\"!\n", name.c_str());
}

// Turns a division's outcome into its message and whether the run still succeeds. A report to
// standard output that failed is left to RunEngine's final check, so it is named only once.
bool ReportDivision(const EngineCommand& command, DivisionOutcome outcome,
                    const EngineStreams& io, bool& out_failed) {
  switch (outcome.status) {
    case DivisionStatus::kOk:
      return true;
    case DivisionStatus::kInputUnopenable:
      std::fputs(UnableToOpenMessage(command.input).c_str(), io.out);
      return false;
    case DivisionStatus::kInputUnreadable:
      std::fprintf(io.err, "Unable to read file \"%s\"!\n", command.input.c_str());
      return false;
    case DivisionStatus::kSameFile:
      ReportSameFile(io.err, command.output);
      return false;
    case DivisionStatus::kOutputUnwritable:
      if (command.kind == CommandKind::kAutoDivideToFile) {
        ReportUnwritable(io.err, command.output);
      } else {
        out_failed = true;
      }
      return false;
  }
  return false;
}

bool RunGeneration(const EngineCommand& command, const EngineStreams& io) {
  const RunMode mode = command.kind == CommandKind::kAutoGenerate ? RunMode::kAutoGenerate
                                                                  : RunMode::kInteractive;
  const MenuOutcome menu = RunMenu(mode, command.choice, io.in, io.out, [](const SuraTable& t) {
    return GenerateNumberFiles(t, std::filesystem::path());
  });
  for (const std::string& name : menu.generation.failed_files) ReportUnwritable(io.err, name);
  return menu.generation.ok();
}

}  // namespace

EngineCommand ParseCommandLine(std::span<const std::string_view> args) {
  EngineCommand command;
  if (args.empty()) return command;  // kInteractive
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
  bool ok = true;
  bool out_failed = false;
  switch (command.kind) {
    case CommandKind::kInteractive:
    case CommandKind::kAutoGenerate:
      ok = RunGeneration(command, io);
      break;
    case CommandKind::kAutoDivide:
    case CommandKind::kDivide:
      ok = ReportDivision(command, DivideBy19(command.input, io.out), io, out_failed);
      break;
    case CommandKind::kAutoDivideToFile:
      ok = ReportDivision(command, DivideBy19ToFile(command.input, command.output), io,
                          out_failed);
      break;
  }

  // Every text of the run is on `out` by now; a write that failed at any point leaves the
  // stream's error flag set, so one check covers the menu, the announcements and the report.
  if (std::fflush(io.out) != 0 || std::ferror(io.out) != 0 || out_failed) {
    ReportUnwritable(io.err, kStandardOutputName);
    ok = false;
  }
  std::fflush(io.err);

  // The front-end waits for the marker, so it comes last and also after a failure.
  if (command.kind == CommandKind::kAutoGenerate || command.kind == CommandKind::kAutoDivide ||
      command.kind == CommandKind::kAutoDivideToFile) {
    WriteCompletionMarker();
  }
  return ok ? 0 : 1;
}

void WriteCompletionMarker() {
  if (std::FILE* marker = std::fopen(kMarkerName, "wb")) std::fclose(marker);
}

}  // namespace dalvo
