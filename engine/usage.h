// The engine's answers to "--help" and "--version": fixed texts for standard output. The usage
// lists every form of the command line in the words of the manual page's synopsis, which a test
// compares with it.
#pragma once

#include <string_view>

namespace dalvo {

// The text of "dalvo --help": the command-line forms, what each does, and the exit status.
// Ends with a line end.
std::string_view UsageText();

// The text of "dalvo --version": "dalvo" and the version of this build on one line.
std::string_view VersionText();

}  // namespace dalvo
