// dalvogui's own command-line options, read before any window exists: "--help" and "--version"
// answer on standard output without a display, "--check-display" only tries to open one.
// Every other argument is left to Qt (such as "-platform offscreen"), as before.
#pragma once

#include <optional>

namespace dalvo::ui {

struct ProgramOptions {
  // Set when the program has already answered (help, version) and ends with this status.
  std::optional<int> exit_status;
  // "--check-display": open the display, then end with status 0 without showing a window. When
  // the display cannot be opened the program ends with Qt's message and status 1.
  bool check_display = false;
};

// Reads the arguments of main(). Prints the help or the version on standard output when asked.
// Needs no application object and creates none that outlives the call.
ProgramOptions ReadProgramOptions(int argc, char** argv);

}  // namespace dalvo::ui
