#include "engine/menu.h"

#include <cassert>
#include <cerrno>

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

// Writes the menu's texts and keeps the reason of the first write that failed: the stream
// keeps only its error flag, and later calls overwrite errno.
class Printer {
 public:
  explicit Printer(std::FILE* out) : out_(out) {}

  void Print(const char* text) { Check(std::fputs(text, out_) != EOF); }
  void Flush() { Check(std::fflush(out_) == 0); }
  void LineAndFlush() {
    Check(std::fputc('\n', out_) != EOF);
    Flush();
  }
  int error() const { return error_; }

 private:
  void Check(bool written) {
    if (!written && error_ == 0) error_ = errno;
  }

  std::FILE* out_;
  int error_ = 0;
};

// One character of the answer, or 'q' at the end of input: a closed input must not spin the
// menu forever, and ending as for "q" writes nothing to disk.
char ReadChoice(std::FILE* in, Printer& out) {
  out.Flush();
  const int c = std::fgetc(in);
  return c == EOF ? 'q' : static_cast<char>(c);
}

}  // namespace

MenuOutcome RunMenu(RunMode mode, char auto_choice, std::FILE* in, std::FILE* out_stream,
                    const NumberGenerator& generate) {
  SuraTable table;
  Printer out(out_stream);
  out.Print(kBanner);

  char choice = 0;
  for (;;) {
    for (const char* text : kMenuTexts) out.Print(text);
    choice = mode == RunMode::kInteractive ? ReadChoice(in, out) : auto_choice;
    if (choice == '1' || choice == '2' || choice == 'q') break;
    // The automatic form is only reached with '1' or '2'; anything else would loop forever.
    assert(mode == RunMode::kInteractive);
    for (const char* text : kInvalidChoice) out.Print(text);
  }

  MenuOutcome outcome;
  if (choice == 'q') {
    out.LineAndFlush();
    out.Print(kTerminating);
    out.LineAndFlush();
    out.LineAndFlush();
    outcome.out_error = out.error();
    return outcome;
  }

  if (choice == '1') {
    out.Print("\n");
    out.Print(kAllNumbers);
    out.Print(kWith127);
  } else {
    table.SetSura9Verses(kAlternativeSura9Verses);
    out.Print(kWarning);
    out.LineAndFlush();
    out.Print(kAllNumbers);
    out.Print(kWith129);
    out.LineAndFlush();
  }

  outcome.generation = generate(table);
  outcome.generated = true;
  out.Print(outcome.generation.ok() ? kComplete : kFailed);
  out.LineAndFlush();
  out.LineAndFlush();
  outcome.out_error = out.error();
  return outcome;
}

}  // namespace dalvo
