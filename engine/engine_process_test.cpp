// End-to-end: the real `dalvo` program, started as a child process in a fresh directory, judged
// by what it leaves on disk, what it prints and its exit status.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/number_files.h"
#include "engine/testing/engine_expectations.h"
#include "engine/testing/engine_process_runner.h"
#include "engine/testing/test_temp_dir.h"

namespace dalvo {
namespace {

namespace fs = std::filesystem;

const std::string kBannerAndMenu = kBanner + kMenu;

// ---- Generation ----------------------------------------------------------------------------

struct GenerationCase {
  std::vector<std::string> args;
  std::string input;
  std::int32_t sura9_verses;  // 0: nothing is generated
  std::string out;
  bool marker;
};

TEST(EngineProcess, GenerationFormsWriteTheFilesTheLibraryWrites) {
  const GenerationCase kCases[] = {
      {{"-awo", "g", "1"}, "q\n", 127, kBannerAndMenu + kWith127Verses + kGenerationDone, true},
      {{"-awo", "g", "2"}, "q\n", 129, kBannerAndMenu + kWith129Verses + kGenerationDone, true},
      {{"-awox", "gen", "1x"}, "", 127, kBannerAndMenu + kWith127Verses + kGenerationDone, true},
      {{}, "1\n", 127, kBannerAndMenu + kWith127Verses + kGenerationDone, false},
      {{}, "q\n", 0, kBannerAndMenu + kTerminating, false},
      {{}, "", 0, kBannerAndMenu + kTerminating, false},
  };
  // Plumbing only: each run must reproduce byte for byte what the library writes in-process.
  // What the files hold is pinned independently by
  // NumberFiles.EveryFileOfBothVariantsMatchesItsRecipe in number_files_test.cpp.
  const TestTempDir expected127;
  const TestTempDir expected129;
  ASSERT_TRUE(GenerateExpectedFiles(127, expected127.path()));
  ASSERT_TRUE(GenerateExpectedFiles(129, expected129.path()));

  for (const GenerationCase& c : kCases) {
    const std::string what = Describe(c.args) + " <<< \"" + c.input + "\"";
    const TestTempDir dir;
    const ProcessResult r = RunDalvo(dir.path(), c.args, c.input);
    EXPECT_EQ(r.exit_code, 0) << what;
    EXPECT_EQ(r.out, c.out) << what;
    EXPECT_EQ(r.err, "") << what;

    std::set<std::string> expected_files;
    if (c.sura9_verses != 0) expected_files = NumberFilesAnd({});
    if (c.marker) expected_files.insert(kMarker);
    EXPECT_EQ(dir.Names(), expected_files) << what;
    if (c.marker) {
      EXPECT_EQ(dir.Read(kMarker), "") << what;
    }
    if (c.sura9_verses == 0) continue;
    const TestTempDir& expected = c.sura9_verses == 127 ? expected127 : expected129;
    for (std::string_view name : kNumberFileNames) {
      EXPECT_EQ(dir.Read(std::string(name)), expected.Read(std::string(name))) << what << name;
    }
  }
}

TEST(EngineProcess, AFileThatCannotBeCreatedFailsTheRunAndNoOtherIsWritten) {
  for (const bool automatic : {true, false}) {
    const TestTempDir dir;
    fs::create_directory(dir.path() / "number5.txt");
    const std::vector<std::string> args =
        automatic ? std::vector<std::string>{"-awo", "g", "1"} : std::vector<std::string>{};
    const ProcessResult r = RunDalvo(dir.path(), args, "1\n");
    EXPECT_EQ(r.exit_code, 1) << "automatic " << automatic;
    EXPECT_EQ(r.out, kBannerAndMenu + kWith127Verses + kGenerationFailedOutput)
        << "automatic " << automatic;
    EXPECT_EQ(r.err, "dalvo: Unable to write file \"number5.txt\"! (Is a directory)\n")
        << "automatic " << automatic;
    // A generation is whole or not at all: the other 21 files are not put in place.
    const std::set<std::string> expected = automatic ? std::set<std::string>{"number5.txt", kMarker}
                                                     : std::set<std::string>{"number5.txt"};
    EXPECT_EQ(dir.Names(), expected) << "automatic " << automatic;
  }
}

TEST(EngineProcess, AnOldMarkerIsTruncated) {
  const TestTempDir dir;
  dir.Write(kMarker, "left over");
  EXPECT_EQ(RunDalvo(dir.path(), {"-awo", "g", "1"}).exit_code, 0);
  EXPECT_EQ(dir.Read(kMarker), "");
}

// ---- Division ------------------------------------------------------------------------------

struct DivisionCase {
  std::vector<std::string> args;
  int exit_code;
  std::string out;
  std::string err;
  bool marker;
  std::map<std::string, std::string> files_after;  // beyond "t.txt", which holds "38"
};

TEST(EngineProcess, DivisionForms) {
  const DivisionCase kCases[] = {
      // Malformed automatic forms divide a file named like the switch, which does not exist.
      {{"-awo", "g", "3"}, 1, UnableToOpen("-awo"), "", false, {}},
      {{"-AWO", "g", "1"}, 1, UnableToOpen("-AWO"), "", false, {}},
      {{"-awo", "d", "19"}, 1, UnableToOpen("-awo"), "", false, {}},
      {{"-awo", "d", "19", "t.txt"}, 0, ReportOf38("t.txt"), "", true, {}},
      {{"-awo", "d", "190", "t.txt"}, 0, ReportOf38("t.txt"), "", true, {}},
      {{"-awo", "d", "19", "t.txt", "r.txt"}, 0, "", "", true, {{"r.txt", ReportOf38("t.txt")}}},
      {{"-awo", "d", "190", "t.txt", "r.txt"}, 0, "", "", true, {{"r.txt", ReportOf38("t.txt")}}},
      {{"-awo", "d", "19", "none.txt"}, 1, UnableToOpen("none.txt"), "", true, {}},
      {{"-awo", "d", "19", "none.txt", "r.txt"}, 1, UnableToOpen("none.txt"), "", true, {}},
      {{"-awo", "d", "19", "t.txt", "t.txt"},
       1,
       "",
       "dalvo: Input and output are the same file: \"t.txt\"!\n",
       true,
       {}},
      {{"-awo", "d", "19", "t.txt", "sub"},
       1,
       "",
       "dalvo: Unable to write file \"sub\"! (Is a directory)\n",
       true,
       {}},
      {{"t.txt"}, 0, ReportOf38("t.txt"), "", false, {}},
      {{"t.txt", "other"}, 0, ReportOf38("t.txt"), "", false, {}},
      {{"t.txt", "a", "b", "c", "d", "e"}, 0, ReportOf38("t.txt"), "", false, {}},
      {{"none.txt"}, 1, UnableToOpen("none.txt"), "", false, {}},
  };
  for (const DivisionCase& c : kCases) {
    const std::string what = Describe(c.args);
    const TestTempDir dir;
    dir.Write("t.txt", "38");
    fs::create_directory(dir.path() / "sub");
    const ProcessResult r = RunDalvo(dir.path(), c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << what;
    EXPECT_EQ(r.out, c.out) << what;
    EXPECT_EQ(r.err, c.err) << what;

    std::set<std::string> expected_files{"t.txt", "sub"};
    for (const auto& [name, content] : c.files_after) {
      expected_files.insert(name);
      EXPECT_EQ(dir.Read(name), content) << what << ": " << name;
    }
    if (c.marker) expected_files.insert(kMarker);
    EXPECT_EQ(dir.Names(), expected_files) << what;
    EXPECT_EQ(dir.Read("t.txt"), "38") << what;
  }
}

// ---- Standard output that cannot be written -------------------------------------------------

TEST(EngineProcess, StandardOutputThatCannotBeWrittenFailsTheRun) {
  const struct {
    std::vector<std::string> args;
    bool marker;
    bool generates;
  } kCases[] = {
      {{"-awo", "g", "1"}, true, true},
      {{"-awo", "d", "19", "t.txt"}, true, false},
      {{"t.txt"}, false, false},
      {{"none.txt"}, false, false},
  };
  for (const auto& c : kCases) {
    const std::string what = Describe(c.args) + " > /dev/full";
    const TestTempDir dir;
    dir.Write("t.txt", "38");
    const ProcessResult r = RunDalvo(dir.path(), c.args, "", "/dev/full");
    EXPECT_EQ(r.exit_code, 1) << what;
    EXPECT_EQ(r.err, "dalvo: Unable to write file \"standard output\"! (No space left on device)\n")
        << what;
    std::set<std::string> expected_files{"t.txt"};
    if (c.generates) expected_files = NumberFilesAnd(expected_files);
    if (c.marker) expected_files.insert(kMarker);
    EXPECT_EQ(dir.Names(), expected_files) << what;
  }
}

// ---- The marker comes last ------------------------------------------------------------------
// The completion marker is the protocol between the engine and whoever waits for it: it must not
// exist before the run's output is complete. The engine is held in mid-output by a pipe that
// nobody reads yet; the marker must still be absent then, and present once the output is read.
TEST(EngineProcess, TheMarkerIsNotCreatedBeforeTheReportHasBeenWrittenOut) {
  const TestTempDir dir;
  // Far more quotient than a pipe buffers, so the engine blocks on its standard output.
  dir.Write("big.txt", std::string(1 << 20, '9'));
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);

  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0 || dup2(pipe_fds[1], 1) < 0) _exit(126);
    close(pipe_fds[0]);
    execl(DALVO_BINARY, DALVO_BINARY, "-awo", "d", "19", "big.txt", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_fds[1]);

  // Give the engine ample time to run ahead if it were going to create the marker early.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(fs::exists(dir.path() / kMarker)) << "marker before the report was read";

  std::string report;
  char buffer[65536];
  for (ssize_t got; (got = read(pipe_fds[0], buffer, sizeof buffer)) > 0;) {
    report.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipe_fds[0]);

  // A deadline, so a hung engine fails the test instead of stalling the suite.
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + kDalvoDeadline;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      FAIL() << "the engine did not end";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(report.ends_with("Number of digits read from file \"big.txt\": 1048576\n"
                               "The number is NOT a multiple of 19.\n\n"))
      << report.size() << " bytes of report";
  EXPECT_TRUE(fs::exists(dir.path() / kMarker));
}

}  // namespace
}  // namespace dalvo
