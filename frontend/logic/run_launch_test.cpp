// A run from its launch to its end: what each command starts, the custom number's file, the
// stale marker, and how ticks end a run that succeeded, failed or lost its marker.
#include <gtest/gtest.h>

#include "frontend/testing/module1_test_support.h"

namespace dalvo {
namespace {

using RunLaunch = Module1Test;

using Args = std::vector<std::string>;
// A bare name: the engine runs in the held work directory and resolves it there.
const std::string kReportPath = "latest_division_report.tmp";

TEST_F(RunLaunch, EachCommandLaunchesItsRun) {
  enum Command { kGenerate127, kGenerate129, kDivideFile, kDivideCustom };
  const struct {
    const char* what;
    Command command;
    Args args;
    const char* status;
    bool division_pending;
    bool refresh_pending;
    RunKind run_kind;
  } cases[] = {
      {"generate 127", kGenerate127, {"-awo", "g", "1"}, "Generating numbers...", false, true,
       RunKind::kGeneration},
      {"generate 129", kGenerate129, {"-awo", "g", "2"}, "Generating numbers...", false, true,
       RunKind::kGeneration},
      {"divide file", kDivideFile, {"-awo", "d", "19", "n14453d.txt", kReportPath},
       "Dividing numberfile: n14453d.txt", true, true, RunKind::kDivision},
      {"divide custom", kDivideCustom, {"-awo", "d", "19", "custom_number.tmp", kReportPath},
       "Dividing custom number...", true, false, RunKind::kDivision},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    rig.Put("n14453d.txt", "14453");
    rig.view_.selected_ = "n14453d.txt";
    rig.view_.custom_text_ = "1 9";
    switch (c.command) {
      case kGenerate127: rig.module_.Command1_Click(); break;
      case kGenerate129:
        rig.view_.SetOption2Selected(true);
        rig.module_.Command1_Click();
        break;
      case kDivideFile: rig.module_.Command2_Click(); break;
      case kDivideCustom: rig.module_.Command5_Click(); break;
    }
    ASSERT_EQ(rig.platform_.started_.size(), 1u) << c.what;
    EXPECT_EQ(rig.platform_.started_[0].program, "/opt/dalvo/dalvo") << c.what;
    EXPECT_EQ(rig.platform_.started_[0].args, c.args) << c.what;
    EXPECT_EQ(rig.platform_.started_[0].working_dir, kWork) << c.what;
    EXPECT_EQ(rig.platform_.current_dir_, kWork) << c.what;
    EXPECT_EQ(rig.view_.Status(), c.status) << c.what;
    EXPECT_EQ(rig.module_.DivisionPending(), c.division_pending) << c.what;
    EXPECT_EQ(rig.module_.RefreshPending(), c.refresh_pending) << c.what;
    EXPECT_EQ(rig.module_.RunKind(), c.run_kind) << c.what;
    EXPECT_FALSE(rig.module_.MarkerSeen()) << c.what;
    EXPECT_TRUE(rig.view_.timer_enabled_) << c.what;
    EXPECT_EQ(rig.view_.Buttons(), "0000000") << c.what;
  }
}

TEST_F(RunLaunch, CustomNumberIsWrittenUnchangedWithCrlf) {
  Load();
  view_.custom_text_ = "12 34\nabc 5";
  module_.Command5_Click();
  EXPECT_EQ(Content("custom_number.tmp"), "12 34\nabc 5\r\n");
}

TEST_F(RunLaunch, CustomNumberThatCannotBeWrittenStartsNoEngine) {
  Load();
  Put("custom_number.tmp", "111\r\n");
  view_.custom_text_ = "19";
  platform_.FailNext(FakePlatform::Op::kWriteFile, "custom_number.tmp");
  module_.Command5_Click();
  EXPECT_TRUE(platform_.started_.empty());
  EXPECT_EQ(view_.Status(), "Number division failed!");
  EXPECT_EQ(view_.beeps_, 1);
  EXPECT_FALSE(view_.timer_enabled_);
  EXPECT_FALSE(module_.RunActive());
  EXPECT_EQ(view_.Buttons(), "1001111");
}

TEST_F(RunLaunch, StaleMarkerIsRemovedAtLaunchAndNotTakenAsTheEnd) {
  Load();
  Put("dalvoopc.tmp");
  module_.Command1_Click();
  EXPECT_FALSE(Has("dalvoopc.tmp"));
  EXPECT_FALSE(module_.MarkerSeen());
  for (int i = 0; i < 5; ++i) module_.Timer1_Timer();
  EXPECT_TRUE(view_.timer_enabled_);
  EXPECT_EQ(view_.Status(), "Generating numbers...");
  EXPECT_EQ(view_.Buttons(), "0000000");
}

TEST_F(RunLaunch, RunningTicksOnlyLookForTheMarker) {
  Load();
  module_.Command1_Click();
  const auto deleted_before = platform_.deleted_.size();
  for (int i = 0; i < 10; ++i) module_.Timer1_Timer();
  EXPECT_EQ(module_.RunKind(), RunKind::kGeneration);
  EXPECT_FALSE(module_.MarkerSeen());
  EXPECT_TRUE(view_.timer_enabled_);
  EXPECT_EQ(platform_.deleted_.size(), deleted_before);
  EXPECT_TRUE(platform_.renamed_.empty());
  EXPECT_EQ(view_.Buttons(), "0000000");
}

TEST_F(RunLaunch, GenerationFinishesInOneTick) {
  Load();
  module_.Command1_Click();
  module_.Timer1_Timer();
  Put("number1.txt", "1");
  Put("n14453d.txt", "2");
  EngineFinishes();
  const int refreshes = view_.refreshes_;
  module_.Timer1_Timer();
  EXPECT_EQ(view_.Status(), "Number generation complete!");
  EXPECT_EQ(view_.beeps_, 0);
  EXPECT_TRUE(Has("appendix_1_number_1.txt"));
  EXPECT_TRUE(Has("n14453d.txt"));
  EXPECT_FALSE(Has("dalvoopc.tmp"));
  EXPECT_EQ(module_.RunKind(), RunKind::kNone);
  EXPECT_TRUE(module_.MarkerSeen());
  EXPECT_TRUE(module_.RenameDone());
  EXPECT_FALSE(module_.RefreshPending());
  EXPECT_EQ(view_.refreshes_, refreshes + 1);
  EXPECT_EQ(view_.Buttons(), "1011011");
  EXPECT_FALSE(view_.timer_enabled_);
  EXPECT_FALSE(module_.RunActive());
}

TEST_F(RunLaunch, DivisionWithAutomaticViewShowsTheReport) {
  Load();
  Put("n14453d.txt", "14453");
  view_.selected_ = "n14453d.txt";
  module_.Command2_Click();
  DivisionEngineFinishes("760.6842\n\n5 digits\n");
  EXPECT_EQ(TickUntilIdle(), 1);
  EXPECT_EQ(view_.Status(), "Number division complete!");
  EXPECT_TRUE(view_.viewer_visible_);
  EXPECT_EQ(view_.viewer_text_, "760.6842\r\n\r\n5 digits\r\n");
  EXPECT_FALSE(module_.DivisionPending());
  EXPECT_FALSE(module_.RefreshPending());
  EXPECT_TRUE(platform_.renamed_.empty());
  EXPECT_EQ(view_.Buttons(), "1111011");
}

TEST_F(RunLaunch, DivisionWithoutAutomaticViewKeepsDivisionPending) {
  Load();
  view_.check1_ = false;
  view_.custom_text_ = "38";
  Put("number1.txt", "1");  // must not be renamed after a division
  const int refreshes = view_.refreshes_;
  module_.Command5_Click();
  DivisionEngineFinishes("2.0000\n");
  EXPECT_EQ(TickUntilIdle(), 1);
  EXPECT_EQ(view_.Status(), "Number division complete!");
  EXPECT_FALSE(view_.viewer_loaded_);
  EXPECT_TRUE(module_.DivisionPending());
  EXPECT_TRUE(Has("number1.txt"));
  EXPECT_TRUE(platform_.renamed_.empty());
  // The custom division leaves the file list alone.
  EXPECT_EQ(view_.refreshes_, refreshes);
  // The next launch clears what was left.
  module_.Command1_Click();
  EXPECT_FALSE(module_.DivisionPending());
}

TEST_F(RunLaunch, EngineThatCannotBeStartedIsReportedWithWhatFailed) {
  const struct {
    EngineStartError error;
    const char* status;
  } cases[] = {
      {EngineStartError::kMissing, "The engine program is missing!"},
      {EngineStartError::kNotExecutable, "The engine program cannot be executed!"},
      {EngineStartError::kFailed, "The engine could not be started!"},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    rig.platform_.engine_fails_to_start_ = true;
    rig.platform_.start_error_ = c.error;
    rig.module_.Command1_Click();
    EXPECT_EQ(rig.view_.Status(), c.status);
    EXPECT_EQ(rig.view_.beeps_, 1) << c.status;
    EXPECT_FALSE(rig.view_.timer_enabled_) << c.status;
    EXPECT_EQ(rig.module_.RunKind(), RunKind::kNone) << c.status;
    EXPECT_FALSE(rig.module_.DivisionPending()) << c.status;
    EXPECT_FALSE(rig.module_.RunActive()) << c.status;
    EXPECT_EQ(rig.view_.Buttons(), "1001011") << c.status;
  }
}

TEST_F(RunLaunch, EngineEndingWithoutMarkerFreesTheWindow) {
  for (EngineStatus ended : {EngineStatus{EngineRun::kCrashed, 0}, EngineStatus{EngineRun::kExited, 0},
                             EngineStatus{EngineRun::kExited, 1}}) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    rig.module_.Command1_Click();
    rig.module_.Timer1_Timer();
    rig.platform_.engine_ = ended;
    rig.module_.Timer1_Timer();
    EXPECT_EQ(rig.view_.Status(), "The engine stopped before finishing!") << ended.exit_code;
    EXPECT_EQ(rig.view_.beeps_, 1);
    EXPECT_FALSE(rig.view_.timer_enabled_);
    EXPECT_FALSE(rig.module_.RunActive());
    EXPECT_EQ(rig.module_.RunKind(), RunKind::kNone);
    EXPECT_EQ(rig.view_.Buttons(), "1001011");
  }
}

TEST_F(RunLaunch, MarkerWrittenJustBeforeExitIsNotMissed) {
  Load();
  module_.Command1_Click();
  module_.Timer1_Timer();
  // The engine writes its marker and exits at the moment its status is asked.
  platform_.on_poll_ = [this] {
    EngineFinishes();
    platform_.on_poll_ = nullptr;
  };
  module_.Timer1_Timer();
  EXPECT_EQ(view_.Status(), "Number generation complete!");
  EXPECT_EQ(view_.beeps_, 0);
}

TEST_F(RunLaunch, UndeletableMarkerKeepsTheRunGoingAfterTheEngineExits) {
  Load();
  module_.Command1_Click();
  EngineFinishes();
  platform_.undeletable_.insert(std::string(kWork) + "dalvoopc.tmp");
  for (int i = 0; i < 5; ++i) module_.Timer1_Timer();
  EXPECT_EQ(view_.Status(), "Generating numbers...");
  EXPECT_TRUE(view_.timer_enabled_);
  EXPECT_EQ(view_.beeps_, 0);
  platform_.undeletable_.clear();
  EXPECT_EQ(TickUntilIdle(), 1);
  EXPECT_EQ(view_.Status(), "Number generation complete!");
}

TEST_F(RunLaunch, RunFinishesOnlyOnceTheProcessHasExited) {
  Load();
  module_.Command1_Click();
  Put("dalvoopc.tmp");  // the marker is there, the process still exiting
  module_.Timer1_Timer();
  EXPECT_TRUE(module_.MarkerSeen());
  EXPECT_EQ(view_.Status(), "Generating numbers...");
  EXPECT_TRUE(view_.timer_enabled_);
  EXPECT_EQ(view_.Buttons(), "0000000");
  platform_.engine_ = {EngineRun::kExited, 0};
  EXPECT_EQ(TickUntilIdle(), 1);
  EXPECT_EQ(view_.Status(), "Number generation complete!");
}

TEST_F(RunLaunch, FailedGenerationPublishesNothingAndKeepsEveryEarlierFile) {
  const struct {
    const char* what;
    bool marker;
    EngineStatus end;
    const char* status;
  } endings[] = {
      {"failed", true, {EngineRun::kExited, 1}, "Number generation failed!"},
      {"stopped", false, {EngineRun::kCrashed, 0}, "The engine stopped before finishing!"},
  };
  for (const auto& e : endings) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    const std::string work(kWork);
    // An earlier generation's files, published and under the engine's names.
    rig.Put("appendix_1_number_1.txt", "earlier");
    rig.Put("n14453d.txt", "earlier n14453d");
    rig.Put("number2.txt", "older number2");
    rig.module_.Command1_Click();
    // The run writes two files under new names, one cut short, rewrites two earlier ones, then
    // fails: the earlier names are not this run's to remove, whatever they hold now.
    rig.Put("number1.txt", "1234");
    rig.Put("ap24-63.txt", "");
    rig.Put("number2.txt", "older number2");
    rig.Put("n14453d.txt", "rewritten");
    if (e.marker) rig.Put("dalvoopc.tmp");
    rig.platform_.engine_ = e.end;
    for (int tick = 0; tick < 5 && rig.view_.timer_enabled_; ++tick) rig.module_.Timer1_Timer();

    EXPECT_FALSE(rig.view_.timer_enabled_) << e.what;
    EXPECT_EQ(rig.view_.Status(), e.status) << e.what;
    EXPECT_EQ(rig.view_.beeps_, 1) << e.what;
    EXPECT_EQ(rig.platform_.FilesIn(work),
              (std::vector<std::string>{"appendix_1_number_1.txt", "n14453d.txt", "number2.txt"}))
        << e.what;
    EXPECT_EQ(rig.platform_.files_[work + "appendix_1_number_1.txt"], "earlier") << e.what;
    EXPECT_TRUE(rig.platform_.renamed_.empty()) << e.what;
    EXPECT_EQ(rig.view_.listed_, rig.platform_.FilesIn(work)) << e.what;
    EXPECT_EQ(rig.view_.Buttons(), "1011011") << e.what;
  }
}

TEST_F(RunLaunch, FailedDivisionShowsNoOlderReport) {
  for (EngineStatus failed : {EngineStatus{EngineRun::kExited, 1}, EngineStatus{EngineRun::kCrashed, 0}}) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    rig.Put("latest_division_report.tmp", "older report\n");
    rig.Put("a.txt", "123");
    rig.view_.selected_ = "a.txt";
    rig.module_.Command2_Click();
    rig.Put("dalvoopc.tmp");
    rig.platform_.engine_ = failed;
    rig.module_.Timer1_Timer();
    EXPECT_EQ(rig.view_.Status(), "Number division failed!");
    EXPECT_EQ(rig.view_.beeps_, 1);
    EXPECT_FALSE(rig.view_.viewer_loaded_);
    EXPECT_FALSE(rig.view_.timer_enabled_);
    EXPECT_EQ(rig.view_.Buttons(), "1111011");
  }
}

TEST_F(RunLaunch, ButtonsStayDisabledWhileTheRunLasts) {
  Load();
  Put("a.txt", "1");
  view_.selected_ = "a.txt";
  view_.custom_text_ = "5";
  module_.Command1_Click();
  module_.Text1_Change();
  module_.File1_Click();
  module_.SetButtonStates(1);
  EXPECT_EQ(view_.Buttons(), "0000000");
  EngineFinishes();
  module_.Timer1_Timer();
  EXPECT_EQ(view_.Buttons(), "1111111");
  module_.Text1_Change();
  EXPECT_EQ(view_.Buttons(), "1111111");
}

TEST_F(RunLaunch, ErrorInATickEndsItSilentlyAndTheNextTickResumes) {
  Load();
  module_.Command1_Click();
  Put("number4.txt", "4");
  EngineFinishes();
  module_.Timer1_Timer();  // marker consumed, run finished
  ASSERT_FALSE(view_.timer_enabled_);

  module_.Command1_Click();
  Put("number4.txt", "4b");
  EngineFinishes();
  // Both listings of the marker fail in the next tick: it ends without a trace.
  platform_.FailNext(FakePlatform::Op::kFirstMatch, "dalvoopc.tmp", 2);
  module_.Timer1_Timer();
  EXPECT_TRUE(view_.timer_enabled_);
  EXPECT_EQ(view_.beeps_, 0);
  EXPECT_EQ(TickUntilIdle(), 1);
  EXPECT_EQ(Content("appendix_1_number_4.txt"), "4b");
}

}  // namespace
}  // namespace dalvo
