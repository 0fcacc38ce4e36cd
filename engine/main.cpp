// dalvo: the number engine's console program. Everything but collecting the arguments lives in
// RunEngine, so the whole run is testable in-process.
#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

#include "command_line.h"

int main(int argc, char** argv) {
  // A reader that went away (dalvo ... | head) is a failed write like any other: the run goes
  // on, names it and still writes its files and its completion marker.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return dalvo::RunEngine(args, dalvo::EngineStreams{stdin, stdout, stderr});
}
