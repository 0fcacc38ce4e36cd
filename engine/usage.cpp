#include "engine/usage.h"

// The build passes the project's version; a build without it still says something true.
#ifndef DALVO_VERSION
#define DALVO_VERSION "(unknown version)"
#endif

namespace dalvo {
namespace {

// The "Usage:" and "or:" lines must stay what the manual page's SYNOPSIS renders to.
constexpr std::string_view kUsage =
    "Usage: dalvo\n"
    "  or:  dalvo -awo g 1|2\n"
    "  or:  dalvo -awo d 19 input [output]\n"
    "  or:  dalvo file\n"
    "  or:  dalvo --help\n"
    "  or:  dalvo --version\n"
    "Generate the 22 very long numbers, or divide the digits of a file by 19.\n"
    "\n"
    "Without arguments, show a menu: 1 or 2 writes the 22 number files with 127 or\n"
    "129 verses for sura 9 into the current directory, q quits.\n"
    "  -awo g 1|2              the same without asking: 1 for 127 verses, 2 for 129\n"
    "  -awo d 19 input         divide input; the report goes to standard output\n"
    "  -awo d 19 input output  divide input; the report goes into the file output\n"
    "  file                    divide file; the report goes to standard output\n"
    "  --help                  show this help and exit\n"
    "  --version               show the version and exit\n"
    "\n"
    "The -awo forms create the empty file dalvoopc.tmp last, once all is written.\n"
    "Any other command line divides the file named by its first argument; a file\n"
    "named --help or --version is divided as ./--help or ./--version.\n"
    "Every character of the input that is not a digit is skipped.\n"
    "\n"
    "Exit status: 0 on success and after q; 1 when the input cannot be opened or\n"
    "read, an output or the completion marker cannot be written, or input and\n"
    "output are the same file. Failures are named on standard error as\n"
    "\"dalvo: WHAT (REASON)\"; \"Unable to open file\" goes to standard output.\n";

constexpr std::string_view kVersion = "dalvo " DALVO_VERSION "\n";

}  // namespace

std::string_view UsageText() { return kUsage; }

std::string_view VersionText() { return kVersion; }

}  // namespace dalvo
