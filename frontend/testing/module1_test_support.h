// Shared set-up of the Module1 tests: a FakePlatform and a FakeView around one Module1, with the
// work directory under "/tmp", and helpers that play the engine's part. Module1Test is one such
// rig per test (StartedModule1Test: with the program started); a table-driven test makes a
// Module1Rig of its own for every case. Test use only.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "frontend/logic/module1.h"
#include "frontend/testing/fake_platform.h"
#include "frontend/testing/fake_view.h"

namespace dalvo {

class Module1Rig {
 public:
  static constexpr const char* kWork = "/tmp/dalvo work dir/";

  // Starts the program; a failed start is a fatal failure (ASSERT_NO_FATAL_FAILURE stops there).
  void Load() {
    const StartupResult result = module_.Form_Load();
    ASSERT_TRUE(result.ok) << result.message;
  }
  void Put(const std::string& name, const std::string& content = "") {
    platform_.PutFile(kWork + name, content);
  }
  bool Has(const std::string& name) const { return platform_.HasFile(kWork + name); }
  std::string Content(const std::string& name) const { return platform_.files_.at(kWork + name); }
  // The engine writes its marker and exits with `code`.
  void EngineFinishes(int code = 0) {
    Put("dalvoopc.tmp");
    platform_.engine_ = {EngineRun::kExited, code};
  }
  // A division's engine writes `report`, then its marker, and exits normally.
  void DivisionEngineFinishes(const std::string& report) {
    Put("latest_division_report.tmp", report);
    EngineFinishes();
  }
  // Ticks until the timer is off; returns the number of ticks, or -1 after `limit` ticks.
  int TickUntilIdle(int limit = 100) {
    for (int i = 1; i <= limit; ++i) {
      module_.Timer1_Timer();
      if (!view_.timer_enabled_) return i;
    }
    return -1;
  }

  FakePlatform platform_;
  FakeView view_;
  Module1 module_{platform_, view_};
};

class Module1Test : public ::testing::Test, public Module1Rig {};

// The same, with the program started before each test.
class StartedModule1Test : public Module1Test {
 protected:
  void SetUp() override { Load(); }
};

}  // namespace dalvo
