// dalvo: the number engine's console program. Everything but collecting the arguments lives in
// RunEngine, so the whole run is testable in-process.
#include <csignal>
#include <cstdio>
#include <new>
#include <string_view>
#include <vector>

#include "engine/command_line.h"

int main(int argc, char** argv) {
  // A reader that went away (dalvo ... | head) is a failed write like any other: the run goes
  // on, names it and still writes its files and its completion marker.
  std::signal(SIGPIPE, SIG_IGN);
  // So is a file size limit (ulimit -f): the write fails with EFBIG and is named, instead of the
  // program ending without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return dalvo::RunEngine(args, dalvo::EngineStreams{stdin, stdout, stderr});
  } catch (const std::bad_alloc&) {
    // RunEngine reports a shortage during the run itself; this is for one before it begins.
    std::fputs("dalvo: Out of memory! (Cannot allocate memory)\n", stderr);
    return 1;
  }
}
