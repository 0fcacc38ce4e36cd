// Test helper: starts the real `dalvo` program (DALVO_BINARY, set by the build) as a child process
// in a given directory with chosen arguments and standard input, and collects its exit status,
// standard output and standard error. Header-only, for the end-to-end tests; a child that cannot
// be started or set up reports exit status 126 or 127, one that does not exit normally -1.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace dalvo {

struct ProcessResult {
  int exit_code = -1;
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

// Runs dalvo with `args` in `dir`, feeding `input` on standard input. Standard output is
// collected, unless `stdout_path` names a file (a device, say) that the child opens for writing
// as its standard output instead, before it changes into `dir`; `out` stays empty then.
inline ProcessResult RunDalvo(const std::filesystem::path& dir,
                              const std::vector<std::string>& args, const std::string& input = "",
                              const std::string& stdout_path = "") {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);

  std::vector<std::string> argv_strings{DALVO_BINARY};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int out_fd = stdout_path.empty() ? fileno(out) : open(stdout_path.c_str(), O_WRONLY);
    if (out_fd < 0 || chdir(dir.c_str()) != 0 || dup2(fileno(in), 0) < 0 ||
        dup2(out_fd, 1) < 0 || dup2(fileno(err), 2) < 0) {
      _exit(126);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  ProcessResult result;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    result.exit_code = WEXITSTATUS(status);
  }
  std::fclose(in);
  result.out = ReadAllAndClose(out);
  result.err = ReadAllAndClose(err);
  return result;
}

}  // namespace dalvo
