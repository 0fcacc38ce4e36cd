#include "frontend/ui/engine_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace dalvo {
namespace {

// Why posix_spawn failed with `error` for `program`, judged by what stands at its path.
EngineStartError Classify(int error, const std::string& program) {
  struct stat st {};
  if (::stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return EngineStartError::kMissing;
  }
  if (error == EACCES || error == EPERM || error == ENOEXEC) {
    return EngineStartError::kNotExecutable;
  }
  return EngineStartError::kFailed;
}

// posix_spawn's attribute and file-action objects, destroyed with the scope.
class SpawnSetup {
 public:
  SpawnSetup() {
    ok_ = ::posix_spawnattr_init(&attr_) == 0;
    ok_ = ::posix_spawn_file_actions_init(&actions_) == 0 && ok_;
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // The child: at `place`, on the null device, with default signals and an empty mask.
  bool Prepare(const EngineSpawnPlace& place) {
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    // This program ignores SIGPIPE; an ignored signal survives exec, and the engine must get
    // its own default behaviour.
    ok_ = ok_ && ::posix_spawnattr_setsigdefault(&attr_, &all) == 0 &&
          ::posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
          ::posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) == 0;
    if (place.dir_fd >= 0) {
      // dup2 onto itself clears close-on-exec in the child only: the engine keeps the held
      // directory, and with it the lock, until it ends.
      ok_ = ok_ && ::posix_spawn_file_actions_addfchdir_np(&actions_, place.dir_fd) == 0 &&
            ::posix_spawn_file_actions_adddup2(&actions_, place.dir_fd, place.dir_fd) == 0;
    } else {
      ok_ = ok_ && ::posix_spawn_file_actions_addchdir_np(&actions_, place.dir.c_str()) == 0;
    }
    ok_ = ok_ && ::posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0) == 0 &&
          ::posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0) == 0 &&
          ::posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0) == 0;
    return ok_;
  }
  const posix_spawnattr_t* attr() const { return &attr_; }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }

 private:
  bool ok_ = false;
  posix_spawnattr_t attr_{};
  posix_spawn_file_actions_t actions_{};
};

// The status `wait_status` of an ended child.
EngineStatus Ended(int wait_status) {
  if (WIFEXITED(wait_status)) return {EngineRun::kExited, WEXITSTATUS(wait_status)};
  return {EngineRun::kCrashed, 0};
}

}  // namespace

EngineProcess::~EngineProcess() {
  if (pid_ > 0) forgotten_.push_back(pid_);
  CollectForgotten();
}

void EngineProcess::CollectForgotten() {
  std::erase_if(forgotten_, [](pid_t pid) {
    int wait_status = 0;
    const pid_t got = ::waitpid(pid, &wait_status, WNOHANG);
    return got == pid || (got < 0 && errno == ECHILD);
  });
}

EngineStartError EngineProcess::Start(const std::string& program,
                                      const std::vector<std::string>& args,
                                      const EngineSpawnPlace& place) {
  if (pid_ > 0) forgotten_.push_back(pid_);
  pid_ = -1;
  status_ = {};
  CollectForgotten();
  SpawnSetup setup;
  if (!setup.Prepare(place)) return EngineStartError::kFailed;
  // The bytes themselves, as the file system gave them: no conversion to text on the way.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  // glibc's posix_spawn reports a failed exec (missing, not executable) as its result.
  const int error =
      ::posix_spawn(&pid, program.c_str(), setup.actions(), setup.attr(), argv.data(), environ);
  if (error != 0) return Classify(error, program);
  pid_ = pid;
  status_ = {EngineRun::kRunning, 0};
  return EngineStartError::kNone;
}

EngineStatus EngineProcess::Poll() {
  CollectForgotten();
  if (pid_ <= 0) return status_;
  int wait_status = 0;
  const pid_t got = ::waitpid(pid_, &wait_status, WNOHANG);
  if (got == 0 || (got < 0 && errno == EINTR)) return status_;
  // A child collected by someone else has ended too, with a status nobody can tell: it counts
  // as stopped, never as a success.
  status_ = got == pid_ ? Ended(wait_status) : EngineStatus{EngineRun::kCrashed, 0};
  pid_ = -1;
  return status_;
}

}  // namespace dalvo
