// Shared set-up of the Module1 tests: a FakePlatform and a FakeView around one Module1, with the
// work directory under "/tmp", and helpers that play the engine's part. Test use only.
#ifndef DALVO_FRONTEND_TESTING_MODULE1_TEST_SUPPORT_H_
#define DALVO_FRONTEND_TESTING_MODULE1_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "fake_view.h"
#include "module1.h"

namespace dalvo {

class Module1Test : public ::testing::Test {
 protected:
  static constexpr const char* kWork = "/tmp/dalvo work dir/";

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

}  // namespace dalvo

#endif  // DALVO_FRONTEND_TESTING_MODULE1_TEST_SUPPORT_H_
