// The engine's automatic command lines: the argument lists the front-end starts the engine with,
// and the equivalent single quoted command line (kept for logging and for platforms that start
// programs from one string). Pure functions; they cannot fail.
#ifndef DALVO_FRONTEND_LOGIC_ENGINE_ARGS_H_
#define DALVO_FRONTEND_LOGIC_ENGINE_ARGS_H_

#include <string>
#include <vector>

namespace dalvo {

// {"-awo", "g", "1"} for 127 verses of sura 9, {"-awo", "g", "2"} for 129.
std::vector<std::string> GenerateArgs(bool verses129);

// {"-awo", "d", "19", input, report}; both are names the engine resolves in its working
// directory, which is the held work directory (bare names, so no path is looked up again).
std::vector<std::string> DivideArgs(const std::string& input, const std::string& report);

// The command-line form: the program in double quotes, then " -awo g 1" (or 2) for generation,
// or " -awo d 19 " and the two quoted names separated by one blank for a division.
std::string CommandLine(const std::string& program, const std::vector<std::string>& args);

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_ENGINE_ARGS_H_
