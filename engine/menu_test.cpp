#include "engine/menu.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/testing/engine_expectations.h"

namespace dalvo {
namespace {

const std::string kInvalid = std::string(15, '\n') + "You must choose 1, 2, or q:\n\n";

// A stdio stream backed by an anonymous temporary file, so the menu runs against real FILE*s.
class MemoryFile {
 public:
  explicit MemoryFile(const std::string& content = "") : file_(std::tmpfile()) {
    std::fwrite(content.data(), 1, content.size(), file_);
    std::rewind(file_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() { std::fclose(file_); }
  std::FILE* get() const { return file_; }

  // What is left from the current position on.
  std::string Rest() const {
    std::string rest;
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) rest += static_cast<char>(c);
    return rest;
  }
  std::string All() const {
    std::fflush(file_);
    std::rewind(file_);
    return Rest();
  }

 private:
  std::FILE* file_;
};

struct Transcript {
  std::string out;
  std::string unread;
  int generator_calls = 0;
  std::int32_t sura9_verses = 0;  // as the generator saw it
  MenuOutcome outcome;
};

Transcript RunWith(RunMode mode, char auto_choice, const std::string& input,
               GenerationOutcome generated = {}) {
  Transcript t;
  const MemoryFile in(input);
  const MemoryFile out;
  t.outcome = RunMenu(mode, auto_choice, in.get(), out.get(), [&](const SuraTable& table) {
    ++t.generator_calls;
    t.sura9_verses = table.VerseCount(9);
    return generated;
  });
  t.out = out.All();
  t.unread = in.Rest();
  return t;
}

struct InteractiveCase {
  const char* input;
  std::string expected_out;
  std::int32_t sura9_verses;  // 0 when nothing is generated
  const char* unread;
};

TEST(Menu, InteractiveTranscripts) {
  const InteractiveCase kCases[] = {
      {"1\n", kBanner + kMenu + kWith127Verses + kGenerationDone, 127, "\n"},
      {"x\nq\n", kBanner + kMenu + kInvalid + kMenu + kInvalid + kMenu + kTerminating, 0, "\n"},
      {"12\n", kBanner + kMenu + kWith127Verses + kGenerationDone, 127, "2\n"},
      {" 2\n", kBanner + kMenu + kInvalid + kMenu + kWith129Verses + kGenerationDone, 129, "\n"},
      {"q", kBanner + kMenu + kTerminating, 0, ""},
      {"Q1", kBanner + kMenu + kInvalid + kMenu + kWith127Verses + kGenerationDone, 127, ""},
      // The end of input ends the run as "q" does, however many invalid choices came first.
      {"", kBanner + kMenu + kTerminating, 0, ""},
      {"\n\n", kBanner + kMenu + kInvalid + kMenu + kInvalid + kMenu + kTerminating, 0, ""},
  };
  for (const InteractiveCase& c : kCases) {
    const Transcript t = RunWith(RunMode::kInteractive, 0, c.input);
    EXPECT_EQ(t.out, c.expected_out) << "input \"" << c.input << "\"";
    EXPECT_EQ(t.unread, c.unread) << "input \"" << c.input << "\"";
    EXPECT_EQ(t.generator_calls, c.sura9_verses == 0 ? 0 : 1) << "input \"" << c.input << "\"";
    EXPECT_EQ(t.outcome.generated, c.sura9_verses != 0) << "input \"" << c.input << "\"";
    if (c.sura9_verses != 0) {
      EXPECT_EQ(t.sura9_verses, c.sura9_verses) << "input \"" << c.input << "\"";
    }
  }
}

TEST(Menu, AutomaticChoiceReadsNothing) {
  const struct {
    char choice;
    std::string expected_out;
    std::int32_t sura9_verses;
  } kCases[] = {
      {'1', kBanner + kMenu + kWith127Verses + kGenerationDone, 127},
      {'2', kBanner + kMenu + kWith129Verses + kGenerationDone, 129},
  };
  for (const auto& c : kCases) {
    const Transcript t = RunWith(RunMode::kAutoGenerate, c.choice, "q\n");
    EXPECT_EQ(t.out, c.expected_out) << "choice " << c.choice;
    EXPECT_EQ(t.unread, "q\n") << "choice " << c.choice;
    EXPECT_EQ(t.generator_calls, 1) << "choice " << c.choice;
    EXPECT_EQ(t.sura9_verses, c.sura9_verses) << "choice " << c.choice;
  }
}

TEST(Menu, AFailedGenerationIsNotAnnouncedAsComplete) {
  const Transcript t = RunWith(RunMode::kAutoGenerate, '1', "",
                               GenerationOutcome{{"number5.txt", "n37088d.txt"}, {EISDIR, ENOSPC}});
  EXPECT_EQ(t.out, kBanner + kMenu + kWith127Verses + kGenerationFailedOutput);
  EXPECT_TRUE(t.outcome.generated);
  EXPECT_EQ(t.outcome.generation.failed_files,
            (std::vector<std::string>{"number5.txt", "n37088d.txt"}));
}

}  // namespace
}  // namespace dalvo
