// libFuzzer target: the engine's command-line dispatch. The input is split at NUL bytes into
// an argument vector (as a real argv can hold any byte but NUL) and ParseCommandLine's decision
// is compared with the dispatch rules restated here: an automatic form only with exactly 3, 4
// or 5 arguments whose leading characters match, help or version only for "--help" or
// "--version" as the only argument, every other non-empty command line divides the file named
// by its first argument. A violation prints the arguments and aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/command_line.h"

namespace {

using dalvo::CommandKind;

std::string Describe(const std::vector<std::string_view>& args) {
  std::string text;
  for (const std::string_view a : args) text.append(" [").append(a).append("]");
  return text;
}

void Require(bool holds, const char* what, const std::vector<std::string_view>& args) {
  if (holds) return;
  std::fprintf(stderr, "command line fuzz: %s for%s\n", what, Describe(args).c_str());
  std::abort();
}

// True when `arg` begins with the characters of `head`; later characters do not matter.
bool Begins(std::string_view arg, std::string_view head) {
  return arg.size() >= head.size() && arg.substr(0, head.size()) == head;
}

CommandKind ExpectedKind(const std::vector<std::string_view>& args) {
  const std::size_t count = args.size();
  if (count == 0) return CommandKind::kInteractive;
  if (count == 1 && args[0] == "--help") return CommandKind::kHelp;
  if (count == 1 && args[0] == "--version") return CommandKind::kVersion;
  const bool automatic = count >= 3 && count <= 5 && Begins(args[0], "-awo");
  if (automatic && count == 3 && Begins(args[1], "g") &&
      (Begins(args[2], "1") || Begins(args[2], "2"))) {
    return CommandKind::kAutoGenerate;
  }
  if (automatic && count >= 4 && Begins(args[1], "d") && Begins(args[2], "19")) {
    return count == 4 ? CommandKind::kAutoDivide : CommandKind::kAutoDivideToFile;
  }
  return CommandKind::kDivide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> args;
  if (!bytes.empty()) {
    std::size_t start = 0;
    for (std::size_t nul = bytes.find('\0'); nul != std::string_view::npos;
         nul = bytes.find('\0', start)) {
      args.push_back(bytes.substr(start, nul - start));
      start = nul + 1;
    }
    args.push_back(bytes.substr(start));
  }

  const dalvo::EngineCommand command = dalvo::ParseCommandLine(args);
  const CommandKind kind = ExpectedKind(args);
  Require(command.kind == kind, "wrong kind", args);
  switch (kind) {
    case CommandKind::kInteractive:
      Require(command.choice == 0 && command.input.empty() && command.output.empty(),
              "interactive run with a choice or a file", args);
      break;
    case CommandKind::kAutoGenerate:
      Require(args.size() == 3 && command.choice == args[2][0], "wrong choice", args);
      Require(command.input.empty() && command.output.empty(), "generation with a file", args);
      break;
    case CommandKind::kAutoDivide:
      Require(args.size() == 4 && command.input == args[3] && command.output.empty(),
              "wrong files of the four-argument division", args);
      Require(command.choice == 0, "division with a choice", args);
      break;
    case CommandKind::kAutoDivideToFile:
      Require(args.size() == 5 && command.input == args[3] && command.output == args[4],
              "wrong files of the five-argument division", args);
      Require(command.choice == 0, "division with a choice", args);
      break;
    case CommandKind::kDivide:
      Require(!args.empty() && command.input == args[0] && command.output.empty(),
              "plain division not of the first argument", args);
      Require(command.choice == 0, "division with a choice", args);
      break;
    case CommandKind::kHelp:
    case CommandKind::kVersion:
      Require(command.choice == 0 && command.input.empty() && command.output.empty(),
              "help or version with a choice or a file", args);
      break;
  }
  return 0;
}
