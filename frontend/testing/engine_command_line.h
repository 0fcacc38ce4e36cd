// For tests only: the single quoted command line equivalent to an engine argument list, the form
// the program's documentation describes a run by. The product passes the list itself and never
// builds this string. A pure function; it cannot fail.
#ifndef DALVO_FRONTEND_TESTING_ENGINE_COMMAND_LINE_H_
#define DALVO_FRONTEND_TESTING_ENGINE_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace dalvo {

// The program in double quotes, then " -awo g 1" (or 2) for generation, or " -awo d 19 " and
// the two quoted names separated by one blank for a division.
inline std::string CommandLine(const std::string& program, const std::vector<std::string>& args) {
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

#endif  // DALVO_FRONTEND_TESTING_ENGINE_COMMAND_LINE_H_
