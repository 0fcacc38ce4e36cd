#include "engine_args.h"

namespace dalvo {

std::vector<std::string> GenerateArgs(bool verses129) {
  return {"-awo", "g", verses129 ? "2" : "1"};
}

std::vector<std::string> DivideArgs(const std::string& input, const std::string& report) {
  return {"-awo", "d", "19", input, report};
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& args) {
  // The switches are plain words; only the file names (which may hold blanks, as the work
  // directory's name does) are quoted, the way the argument splitter expects them.
  std::string line = "\"" + program + "\"";
  for (std::size_t i = 0; i < args.size(); ++i) {
    line += ' ';
    if (i < 3) {
      line += args[i];
    } else {
      line += "\"" + args[i] + "\"";
    }
  }
  return line;
}

}  // namespace dalvo
