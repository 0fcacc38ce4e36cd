// dalvo: the number engine's console program. Everything but collecting the arguments lives in
// RunEngine, so the whole run is testable in-process.
#include <cstdio>
#include <string_view>
#include <vector>

#include "command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return dalvo::RunEngine(args, dalvo::EngineStreams{stdin, stdout, stderr});
}
