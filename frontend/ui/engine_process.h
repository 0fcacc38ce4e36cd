// EngineProcess: the engine's child process, started with posix_spawn so that every argument
// reaches the engine as its exact bytes (a file name that is not valid text included) and a
// failure to start says why. The child may keep one descriptor of ours open (the locked work
// directory), so the lock lasts as long as the engine. Owned by QtPlatform; an engine still
// running when this object goes is left running, neither waited for nor stopped.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "frontend/logic/platform.h"

namespace dalvo {

// Where the child starts and what it keeps of ours.
struct EngineSpawnPlace {
  // The child's working directory: `dir_fd` when it is >= 0 (entered with fchdir, and kept
  // open in the child, with whatever lock it carries), else the path `dir`.
  int dir_fd = -1;
  std::string dir;
};

class EngineProcess {
 public:
  EngineProcess() = default;
  // Collects any child that has ended; one that still runs is left alone.
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  // Starts `program` with `args` at `place`, standard input, output and error on the null
  // device and every signal at its default. kNone when it runs; otherwise why not, and
  // nothing was started. A process started before is forgotten, not stopped.
  EngineStartError Start(const std::string& program, const std::vector<std::string>& args,
                         const EngineSpawnPlace& place);
  // How the last started process stands; collects it once it has ended. Never blocks.
  EngineStatus Poll();

 private:
  // Collects the forgotten processes that have ended.
  void CollectForgotten();

  pid_t pid_ = -1;       // the last started process; -1 when none or collected
  EngineStatus status_;  // what Poll last found
  std::vector<pid_t> forgotten_;  // earlier processes, still to be collected
};

}  // namespace dalvo
