// The one rig of every test that runs the real engine. RealEngineRig is a private world: a fresh
// temporary root holding TMPDIR ("tmp/"), an application directory ("app/") with its own copy of
// the engine that a test may remove or spoil, a directory outside both ("outside/") and one where
// the engine runs on its own as the tests' oracle ("reference/"); Session
// puts the logic over the real platform into it, and real_engine_rig_windows.h the windows. The
// rig owns the root and removes it; set-up failures show in ok(), the probes never throw.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"
#include "frontend/testing/fake_view.h"
#include "frontend/ui/qt_platform.h"

namespace dalvo {

// How a run of the engine started directly, without the front-end, ended.
struct DirectRun {
  bool finished = false;  // it ended before the deadline; otherwise it was killed
  int exit_code = -1;     // its exit status; -1 when a signal ended it or it did not finish
};

class RealEngineRig {
 public:
  // Builds the root, copies `engine_path` into app/ with mode 0755 and points TMPDIR at tmp/.
  // Check ok() afterwards.
  explicit RealEngineRig(const std::string& engine_path);
  // Restores TMPDIR and the current directory and removes the root, names that are not valid
  // text included.
  ~RealEngineRig();
  RealEngineRig(const RealEngineRig&) = delete;
  RealEngineRig& operator=(const RealEngineRig&) = delete;

  // False when any part of the set-up failed; error() then says which.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // Directories, each ending in '/'.
  const std::string& root() const { return root_; }
  const std::string& tmp() const { return tmp_; }
  const std::string& app_dir() const { return app_; }
  const std::string& outside() const { return outside_; }
  // Where RunEngineDirectly runs the engine; tests put its inputs here and read its output.
  const std::string& reference_dir() const { return reference_; }
  // Where the front-end puts its work directory below tmp(), with the final '/'.
  std::string work_dir() const { return tmp_ + std::string(kWorkDirName) + kSeparator; }
  // The rig's copy of the engine (app_dir() + "dalvo"); unique to this rig.
  std::string engine() const { return app_ + std::string(kEngineName); }
  // Puts a fresh executable copy of the engine back in place; false on failure.
  bool RestoreEngine() const;
  // Runs the engine the rig was made from (not its copy in app/, which a test may spoil) in
  // reference_dir() with `args`, passed as bytes (names that are not valid text included), its
  // output discarded. Waits up to a minute; an engine still running then is killed and reaped.
  DirectRun RunEngineDirectly(const std::vector<std::string>& args) const;

 private:
  QTemporaryDir temp_;
  std::string source_engine_;
  std::string root_;
  std::string tmp_;
  std::string app_;
  std::string outside_;
  std::string reference_;
  std::string error_;
  std::optional<std::string> saved_tmpdir_;
  std::string saved_cwd_;
};

// Starts the real front-end `program` on the offscreen platform with `tmp` as its TMPDIR and
// `runtime_dir` as its XDG_RUNTIME_DIR (without one Qt makes its own in TMPDIR, which is not the
// program's doing), in `working_dir`. Check with waitForStarted.
void StartProgram(QProcess& process, const std::string& program, const std::string& tmp,
                  const std::string& working_dir, const QString& runtime_dir);

// Calls Timer1_Timer every `interval_ms`, as the window's timer would, while the view's timer
// is on, at most `max_ticks` times. Returns the number of ticks made, or nullopt when the timer
// was still on after the last one.
std::optional<int> TickUntilIdle(Module1& module, FakeView& view, int max_ticks = 2400,
                                 int interval_ms = 50);

// Every entry below `dir`, keyed by its path relative to `dir`, with a description of its kind,
// mode, owner and (for files) content; links are described, not followed. Entries whose full
// path starts with one of `skip` are left out (with everything below them).
std::map<std::string, std::string> Snapshot(const std::string& dir,
                                            const std::vector<std::string>& skip = {});

// The regular files directly in `dir`, name to content.
std::map<std::string, std::string> FilesIn(const std::string& dir);

// The pids of the processes whose executable is `exe` (an absolute path), zombies excluded.
std::vector<int> PidsOfProgram(const std::string& exe);

// Ends the child `pid` of this process (an engine the front-end let go of) with SIGKILL and
// collects it, waiting up to ten seconds; a test's failure must not leave it running.
void KillAndReap(int pid);

// The children of this process as "pid state" strings, e.g. "4711 Z" for a zombie.
std::vector<std::string> OwnChildren();

// How many file descriptors this process has open; -1 when /proc cannot be read.
int OpenFdCount();

// One front-end (Module1 over the real QtPlatform and a FakeView) in a RealEngineRig of its own,
// with the checks the real-engine tests share. Module1 and the platform can be dropped before the
// rig, as closing the program does. Set-up failures come back as assertion results.
class Session {
 public:
  // The rig gets its own copy of the engine at `engine_path`.
  explicit Session(const std::string& engine_path);

  RealEngineRig& rig() { return rig_; }
  FakeView& view() { return view_; }
  Module1& module() { return *module_; }
  std::string work(const std::string& name = {}) const { return rig_.work_dir() + name; }

  // Start-up as the main window's Load event runs it; must succeed, in the rig's work directory.
  ::testing::AssertionResult Start();

  // Everything of the rig but the work directory, the engine's directory and the reference one.
  std::map<std::string, std::string> Outside() const;

  // Ticks as the window's timer does until the run has ended; fails after two minutes.
  ::testing::AssertionResult RunToEnd();

  std::string Status() const { return view_.Status(); }

  // Starts the division of "huge.txt", a sparse file of 2^38 zero bytes that keeps the engine
  // busy for minutes, and waits until the engine is seen running; `pids` gets its processes.
  ::testing::AssertionResult StartLongDivision(std::vector<int>& pids);

  // Window closed: the viewer goes, then the logic and the platform, as the program ends.
  void Close();

 private:
  RealEngineRig rig_;
  std::unique_ptr<QtPlatform> platform_;
  FakeView view_;
  std::unique_ptr<Module1> module_;
};

// A run is over and the window usable: timer off, no run state left, buttons as `buttons`, no
// engine and no child process left.
void ExpectIdle(Session& s, const std::string& buttons, const std::string& what);

}  // namespace dalvo
