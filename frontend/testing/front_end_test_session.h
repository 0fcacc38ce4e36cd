// For tests only: one front-end (Module1 over the real QtPlatform and a FakeView) in a
// RealEngineRig of its own, with the checks the real-engine tests share. Set-up failures come
// back as assertion results; nothing throws.
#ifndef DALVO_FRONTEND_TESTING_FRONT_END_TEST_SESSION_H_
#define DALVO_FRONTEND_TESTING_FRONT_END_TEST_SESSION_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "fake_view.h"
#include "file_test_io.h"
#include "module1.h"
#include "qt_platform.h"
#include "real_engine_rig.h"

namespace dalvo {

// One front-end over the real platform in a rig of its own. Module1 and the platform can be
// dropped before the rig, as closing the program does.
class Session {
 public:
  // The rig gets its own copy of the engine at `engine_path`.
  explicit Session(const std::string& engine_path)
      : rig_(engine_path),
        platform_(std::make_unique<QtPlatform>(rig_.app_dir())),
        module_(std::make_unique<Module1>(*platform_, view_)) {}

  RealEngineRig& rig() { return rig_; }
  FakeView& view() { return view_; }
  Module1& module() { return *module_; }
  std::string work(const std::string& name = {}) const { return rig_.work_dir() + name; }

  // Start-up as the main window's Load event runs it; must succeed.
  ::testing::AssertionResult Start() {
    if (!rig_.ok()) return ::testing::AssertionFailure() << rig_.error();
    const StartupResult started = module_->Form_Load();
    if (!started.ok) return ::testing::AssertionFailure() << started.message;
    if (module_->WorkDir() != rig_.work_dir()) {
      return ::testing::AssertionFailure() << "work directory " << module_->WorkDir();
    }
    return ::testing::AssertionSuccess();
  }

  // Everything of the rig but the work directory and the engine's directory.
  std::map<std::string, std::string> Outside() const {
    return Snapshot(rig_.root(), {rig_.work_dir(), rig_.app_dir(), rig_.root() + "reference/"});
  }

  // Ticks as the window's timer does until the run has ended; fails after two minutes.
  ::testing::AssertionResult RunToEnd() {
    if (!view_.timer_enabled_) return ::testing::AssertionFailure() << "no run: " << Status();
    if (!TickUntilIdle(*module_, view_)) {
      return ::testing::AssertionFailure() << "the run did not end: " << Status();
    }
    return ::testing::AssertionSuccess();
  }

  std::string Status() const { return view_.Status(); }

  // Starts the division of "huge.txt", a sparse file of 2^38 zero bytes that keeps the engine
  // busy for minutes, and waits until the engine is seen running; `pids` gets its processes.
  ::testing::AssertionResult StartLongDivision(std::vector<int>& pids) {
    std::error_code error;
    if (!Spill(work("huge.txt"), "")) return ::testing::AssertionFailure() << "huge.txt";
    std::filesystem::resize_file(work("huge.txt"), std::uintmax_t{1} << 38, error);
    if (error) return ::testing::AssertionFailure() << "huge.txt: " << error.message();
    view_.selected_ = "huge.txt";
    module_->Command2_Click();
    if (!WaitFor([&] { return !(pids = PidsOfProgram(rig_.engine())).empty(); }, 10)) {
      return ::testing::AssertionFailure() << "no engine running: " << Status();
    }
    return ::testing::AssertionSuccess();
  }

  // Window closed: the viewer goes, then the logic and the platform, as the program ends.
  void Close() {
    module_->Form_Unload();
    module_.reset();
    platform_.reset();
  }

 private:
  RealEngineRig rig_;
  std::unique_ptr<QtPlatform> platform_;
  FakeView view_;
  std::unique_ptr<Module1> module_;
};

// A run is over and the window usable: timer off, no run state left, buttons as `buttons`.
inline void ExpectIdle(Session& s, const std::string& buttons, const std::string& what) {
  EXPECT_FALSE(s.view().timer_enabled_) << what;
  EXPECT_FALSE(s.module().RunActive()) << what;
  EXPECT_EQ(s.module().RunKind(), RunKind::kNone) << what;
  EXPECT_EQ(s.view().Buttons(), buttons) << what;
  EXPECT_TRUE(PidsOfProgram(s.rig().engine()).empty()) << what << ": an engine is left";
  EXPECT_TRUE(OwnChildren().empty()) << what << ": a child process is left";
}

}  // namespace dalvo

#endif  // DALVO_FRONTEND_TESTING_FRONT_END_TEST_SESSION_H_
