// The 22 long-number files: each one a single decimal digit string built from the sura table and
// written item by item in one streaming pass, so no long number is ever held in memory. All 22
// are written as new files first and put in place under their names only once every one is
// whole: a generation that fails on any file names it in the outcome and leaves every older file
// of these names unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sura_table.h"

namespace dalvo {

inline constexpr std::size_t kNumberFileCount = 22;

// The file names, in the order in which GenerateNumberFiles writes them.
inline constexpr std::array<std::string_view, kNumberFileCount> kNumberFileNames = {
    "number1.txt",  "number2.txt",  "number3.txt",  "number4.txt",  "number5.txt",
    "number6.txt",  "number7.txt",  "number8.txt",  "number9.txt",  "number10.txt",
    "number11.txt", "number12.txt", "number13.txt", "number14.txt", "number15.txt",
    "n13038d.txt",  "n37088d.txt",  "ap24-63.txt",  "ap24-64.txt",  "ap24-65.txt",
    "n14453d.txt",  "n20257d.txt",
};

struct [[nodiscard]] GenerationOutcome {
  // Bare names (as in kNumberFileNames) of the files that could not be created or fully
  // written, in writing order. Empty on success.
  std::vector<std::string> failed_files;
  // The system's reason (an errno value) for each of failed_files, at the same position.
  std::vector<int> failure_reasons;

  bool ok() const { return failed_files.empty(); }
};

// Writes all 22 files into `directory` (an empty path means the current directory): each one
// completely written as a new file, then all of them put in place in writing order. A symbolic
// link under a file's name is replaced, never written through; a device or FIFO is written in
// place. Prints nothing. Always attempts every file; the ones that failed are listed in the
// outcome, and then none of the others replaces its older file either.
GenerationOutcome GenerateNumberFiles(const SuraTable& table, const std::filesystem::path& directory);

}  // namespace dalvo
