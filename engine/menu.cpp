#include "menu.h"

#include <cassert>

namespace dalvo {
namespace {

constexpr const char* kBanner = "\nDalvo - Last updated: 2000-02-26\n";
constexpr const char* kMenuTexts[] = {
    "\n",
    "Type 1 to generate the numbers with 127 verses for sura 9.",
    "\n",
    "Type 2 to generate the numbers with 129 verses for sura 9.",
    "\n",
    "Type q to quit.\n\nMake Your choice, then press enter to ",
    "continue.\n\nYour choice: ",
};
constexpr const char* kInvalidChoice[] = {
    "\n\n\n\n\n\n\n\n",
    "\n\n\n\n\n\n\nYou must choose 1, 2, or q:\n\n",
};
constexpr const char* kAllNumbers = "All numbers will be generated";
constexpr const char* kWith127 = " with 127 verses for sura 9.\n";
constexpr const char* kWarning = "\nWARNING!";
constexpr const char* kWith129 = " with 129 verses for sura 9.";
constexpr const char* kTerminating = "Terminating.";
constexpr const char* kComplete = "\nNumber generation complete!";
constexpr const char* kFailed = "\nNumber generation failed!";
constexpr int kAlternativeSura9Verses = 129;

void Print(std::FILE* out, const char* text) { std::fputs(text, out); }

void PrintLineAndFlush(std::FILE* out) {
  std::fputc('\n', out);
  std::fflush(out);
}

// One character of the answer, or 'q' at the end of input: a closed input must not spin the
// menu forever, and ending as for "q" writes nothing to disk.
char ReadChoice(std::FILE* in, std::FILE* out) {
  std::fflush(out);
  const int c = std::fgetc(in);
  return c == EOF ? 'q' : static_cast<char>(c);
}

}  // namespace

MenuOutcome RunMenu(RunMode mode, char auto_choice, std::FILE* in, std::FILE* out,
                    const NumberGenerator& generate) {
  SuraTable table;
  Print(out, kBanner);

  char choice = 0;
  for (;;) {
    for (const char* text : kMenuTexts) Print(out, text);
    choice = mode == RunMode::kInteractive ? ReadChoice(in, out) : auto_choice;
    if (choice == '1' || choice == '2' || choice == 'q') break;
    // The automatic form is only reached with '1' or '2'; anything else would loop forever.
    assert(mode == RunMode::kInteractive);
    for (const char* text : kInvalidChoice) Print(out, text);
  }

  MenuOutcome outcome;
  if (choice == 'q') {
    PrintLineAndFlush(out);
    Print(out, kTerminating);
    PrintLineAndFlush(out);
    PrintLineAndFlush(out);
    return outcome;
  }

  if (choice == '1') {
    Print(out, "\n");
    Print(out, kAllNumbers);
    Print(out, kWith127);
  } else {
    table.SetSura9Verses(kAlternativeSura9Verses);
    Print(out, kWarning);
    PrintLineAndFlush(out);
    Print(out, kAllNumbers);
    Print(out, kWith129);
    PrintLineAndFlush(out);
  }

  outcome.generation = generate(table);
  outcome.generated = true;
  Print(out, outcome.generation.ok() ? kComplete : kFailed);
  PrintLineAndFlush(out);
  PrintLineAndFlush(out);
  return outcome;
}

}  // namespace dalvo
