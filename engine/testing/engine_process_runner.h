// Test helper: starts the real `dalvo` program (DALVO_BINARY, set by the build) as a child process
// in a given directory with chosen arguments and standard input, and collects its exit status (or
// the signal that ended it), standard output and standard error. Header-only, for the end-to-end
// tests; a child that cannot be started or set up reports exit status 126 or 127. A child that
// outlives its deadline is killed and its test fails, so a hang costs seconds, not ctest's limit.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace dalvo {

// How long a child may run: far beyond any run of these tests (a second or two), far below
// the TIMEOUT ctest gives a whole test.
inline constexpr std::chrono::seconds kDalvoDeadline{30};

struct ProcessResult {
  int exit_code = -1;  // -1 when the child did not exit normally
  int signal = 0;      // the signal that ended the child, 0 when it exited
  bool timed_out = false;  // the deadline passed and the child was killed (SIGKILL)
  std::string out;
  std::string err;
};

// The whole content of a temporary `file`, which is closed.
inline std::string ReadAllAndClose(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

// Where the child's standard output goes; by default into a temporary file that is collected.
struct StdoutTarget {
  // A file (a device, say) that the child opens for writing as its standard output, before it
  // changes into its directory; nothing is collected then.
  std::string path;
  // A pipe whose reading end is closed before the child starts: every write to it fails.
  bool closed_pipe = false;
};

// Limits set in the child before it starts (as ulimit would); RLIM_INFINITY leaves one as it is.
struct ChildLimits {
  rlim_t file_size_bytes = RLIM_INFINITY;      // RLIMIT_FSIZE (ulimit -f)
  rlim_t address_space_bytes = RLIM_INFINITY;  // RLIMIT_AS (ulimit -v)
};

// A child started by StartDalvo; FinishDalvo waits for it.
struct RunningDalvo {
  pid_t pid = -1;
  std::FILE* out = nullptr;
  std::FILE* err = nullptr;
};

// Starts dalvo with `args` in `dir`, feeding `input` on standard input, and returns at once.
inline RunningDalvo StartDalvo(const std::filesystem::path& dir,
                               const std::vector<std::string>& args, const std::string& input = "",
                               const StdoutTarget& stdout_target = {},
                               const ChildLimits& limits = {}) {
  std::FILE* in = std::tmpfile();
  RunningDalvo child{-1, std::tmpfile(), std::tmpfile()};
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  int pipe_ends[2] = {-1, -1};
  if (stdout_target.closed_pipe && pipe(pipe_ends) == 0) close(pipe_ends[0]);

  std::vector<std::string> argv_strings{DALVO_BINARY};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  child.pid = fork();
  if (child.pid == 0) {
    // The program starts as from a terminal, whatever this test runner ignores: a stop signal
    // ends it and a closed pipe would kill it, unless the program itself says otherwise.
    for (const int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGXFSZ}) signal(s, SIG_DFL);
    for (const auto& [resource, bytes] : {std::pair{RLIMIT_FSIZE, limits.file_size_bytes},
                                          std::pair{RLIMIT_AS, limits.address_space_bytes}}) {
      const rlimit limit{bytes, bytes};
      if (bytes != RLIM_INFINITY && setrlimit(resource, &limit) != 0) _exit(126);
    }
    const int out_fd = stdout_target.closed_pipe  ? pipe_ends[1]
                       : stdout_target.path.empty() ? fileno(child.out)
                                                    : open(stdout_target.path.c_str(), O_WRONLY);
    if (out_fd < 0 || chdir(dir.c_str()) != 0 || dup2(fileno(in), 0) < 0 ||
        dup2(out_fd, 1) < 0 || dup2(fileno(child.err), 2) < 0) {
      _exit(126);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (pipe_ends[1] >= 0) close(pipe_ends[1]);
  std::fclose(in);
  return child;
}

// Waits for a child of StartDalvo, at most `deadline`, and collects what it wrote. A child
// still running then is killed, and the calling test fails.
inline ProcessResult FinishDalvo(const RunningDalvo& child,
                                 std::chrono::seconds deadline = kDalvoDeadline) {
  ProcessResult result;
  int status = 0;
  pid_t ended = -1;
  if (child.pid > 0) {
    const auto give_up = std::chrono::steady_clock::now() + deadline;
    while ((ended = waitpid(child.pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (ended == 0) {
      kill(child.pid, SIGKILL);
      ended = waitpid(child.pid, &status, 0);
      result.timed_out = true;
      ADD_FAILURE() << "dalvo ran longer than " << deadline.count() << " s and was killed";
    }
  }
  if (ended == child.pid) {
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  result.out = ReadAllAndClose(child.out);
  result.err = ReadAllAndClose(child.err);
  return result;
}

// Runs dalvo with `args` in `dir`, feeding `input` on standard input, and waits for it. Standard
// output is collected, unless `stdout_path` names a file that the child opens for writing as its
// standard output instead (see StdoutTarget); `out` stays empty then.
inline ProcessResult RunDalvo(const std::filesystem::path& dir,
                              const std::vector<std::string>& args, const std::string& input = "",
                              const std::string& stdout_path = "") {
  return FinishDalvo(
      StartDalvo(dir, args, input, StdoutTarget{.path = stdout_path, .closed_pipe = false}));
}

}  // namespace dalvo
