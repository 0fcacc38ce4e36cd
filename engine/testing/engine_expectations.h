// Test helper: what the engine's tests expect of the program, each written once: the texts it
// prints (the menu, its answers, the reports of small inputs), the completion marker's name, the
// entries a generation leaves, and the long-number files as the library writes them in-process,
// which a generating run must reproduce byte for byte. Header-only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/number_files.h"
#include "engine/sura_table.h"

namespace dalvo {

// The completion marker the automatic forms leave in the working directory.
inline const std::string kMarker = "dalvoopc.tmp";

// The banner, the menu, and the menu's answers.
inline const std::string kBanner = "\nDalvo - Last updated: 2000-02-26\n";
inline const std::string kMenu =
    "\nType 1 to generate the numbers with 127 verses for sura 9."
    "\nType 2 to generate the numbers with 129 verses for sura 9."
    "\nType q to quit.\n\nMake Your choice, then press enter to continue.\n\nYour choice: ";
inline const std::string kWith127Verses =
    "\nAll numbers will be generated with 127 verses for sura 9.\n";
inline const std::string kWith129Verses =
    "\nWARNING!\nAll numbers will be generated with 129 verses for sura 9.\n";
inline const std::string kTerminating = "\nTerminating.\n\n";
inline const std::string kGenerationDone = "\nNumber generation complete!\n\n";
// The whole output of a failed generation after the variant's line, blank lines included.
inline const std::string kGenerationFailedOutput = "\nNumber generation failed!\n\n";

// What the program prints for an input it cannot open, with the usage after it.
inline std::string UnableToOpen(const std::string& name) {
  return "Unable to open file \"" + name +
         "\"!\n\nUsage: dalvo [filename]\n\nOr run dalvo without parameters to generate the "
         "long numbers.\n\n";
}

// The report for a file `name` holding "38" (2 x 19, two digits).
inline std::string ReportOf38(const std::string& name) {
  return "2.0000\n\nNumber of digits read from file \"" + name +
         "\": 2\nThe number IS a multiple of 19!\n\n";
}

// The command line of a run, to name its case in a failure message.
inline std::string Describe(const std::vector<std::string>& args) {
  std::string text = "dalvo";
  for (const std::string& a : args) text += " " + a;
  return text;
}

// The names of the long-number files and `names`: a directory's entries after a generation.
inline std::set<std::string> NumberFilesAnd(std::set<std::string> names) {
  names.insert(kNumberFileNames.begin(), kNumberFileNames.end());
  return names;
}

// Writes into `directory` the long-number files the library generates with `sura9_verses`
// verses for sura 9 (127 or 129); false when any of them could not be written.
inline bool GenerateExpectedFiles(std::int32_t sura9_verses,
                                  const std::filesystem::path& directory) {
  SuraTable table;
  table.SetSura9Verses(sura9_verses);
  return GenerateNumberFiles(table, directory).ok();
}

}  // namespace dalvo
