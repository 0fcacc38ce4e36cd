// The completion marker is the protocol between the engine and whoever waits for it: it must not
// exist before the run's output is complete. The engine is held in mid-output by a pipe that
// nobody reads yet; the marker must still be absent then, and present once the output is read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/testing/test_temp_dir.h"

namespace dalvo {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

TEST(CompletionMarker, IsNotCreatedBeforeTheReportHasBeenWrittenOut) {
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
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_FALSE(fs::exists(dir.path() / "dalvoopc.tmp")) << "marker before the report was read";

  std::string report;
  char buffer[65536];
  for (ssize_t got; (got = read(pipe_fds[0], buffer, sizeof buffer)) > 0;) {
    report.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipe_fds[0]);

  // A deadline, so a hung engine fails the test instead of stalling the suite.
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      FAIL() << "the engine did not end";
    }
    std::this_thread::sleep_for(milliseconds(5));
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(report.ends_with("Number of digits read from file \"big.txt\": 1048576\n"
                               "The number is NOT a multiple of 19.\n\n"))
      << report.size() << " bytes of report";
  EXPECT_TRUE(fs::exists(dir.path() / "dalvoopc.tmp"));
}

}  // namespace
}  // namespace dalvo
