// The engine's automatic command lines: the argument lists the front-end starts the engine with
// (no shell, no quoting). Pure functions; they cannot fail.
#pragma once

#include <string>
#include <vector>

namespace dalvo {

// {"-awo", "g", "1"} for 127 verses of sura 9, {"-awo", "g", "2"} for 129.
std::vector<std::string> GenerateArgs(bool verses129);

// {"-awo", "d", "19", input, report}; both are names the engine resolves in its working
// directory, which is the held work directory (bare names, so no path is looked up again).
std::vector<std::string> DivideArgs(const std::string& input, const std::string& report);

}  // namespace dalvo
