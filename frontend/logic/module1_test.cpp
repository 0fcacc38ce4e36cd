#include "frontend/logic/module1.h"

#include <gtest/gtest.h>

#include "frontend/testing/module1_test_support.h"
#include "frontend/logic/viewer_document.h"

namespace dalvo {
namespace {

TEST_F(Module1Test, PathsGetOneFinalSeparator) {
  const struct {
    const char* app;
    const char* temp;
    const char* app_dir;
    const char* work_dir;
  } cases[] = {
      {"/opt/dalvo", "/tmp", "/opt/dalvo/", "/tmp/dalvo work dir/"},
      {"/opt/dalvo/", "/tmp/", "/opt/dalvo/", "/tmp/dalvo work dir/"},
      {"/", "/var/tmp/x", "/", "/var/tmp/x/dalvo work dir/"},
      // No TMPDIR: the private folder in the user's cache, made on the way.
      {"", "", "/", "/home/u/.cache/dalvo/dalvo work dir/"},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    rig.platform_.application_dir_ = c.app;
    rig.platform_.env_ = {{"TMPDIR", c.temp}, {"HOME", "/home/u"}};
    ASSERT_NO_FATAL_FAILURE(rig.Load()) << c.app << " " << c.temp;
    EXPECT_EQ(rig.module_.AppDir(), c.app_dir) << c.app;
    EXPECT_EQ(rig.module_.EngineProgram(), std::string(c.app_dir) + "dalvo") << c.app;
    EXPECT_EQ(rig.module_.WorkDir(), c.work_dir) << c.temp;
    EXPECT_EQ(rig.platform_.current_dir_, c.work_dir) << c.temp;
  }
}

TEST_F(Module1Test, StartupCreatesPrivateWorkDirAndGreets) {
  Load();
  ASSERT_EQ(platform_.created_dirs_, std::vector<std::string>{"/tmp/dalvo work dir"});
  EXPECT_EQ(platform_.Inspect("/tmp/dalvo work dir").mode, 0700u);
  EXPECT_EQ(view_.Status(), "Welcome to dalvo!");
  EXPECT_TRUE(view_.option1_);
  EXPECT_FALSE(view_.option2_);
  EXPECT_EQ(view_.list_pattern_, "*.txt");
  EXPECT_EQ(view_.list_dir_, kWork);
  EXPECT_GE(view_.refreshes_, 1);
  EXPECT_FALSE(view_.timer_enabled_);
  EXPECT_EQ(view_.left_, 1920 / 2 - 513 / 2);
  EXPECT_EQ(view_.top_, 1080 / 2 - 385 / 2);
  // Empty work directory, empty custom number: no file to divide or delete.
  EXPECT_EQ(view_.Buttons(), "1001011");
}

TEST_F(Module1Test, CaptionGetsGlueAndTheTwentyFiveCharacters) {
  Load();
  // The whole caption as the user reads it, written out once here.
  EXPECT_EQ(view_.caption_, "Dalvo  -  Last updated: 2000-02-26  -  Divisible by nineteen: 19");
}

TEST_F(Module1Test, ExistingWorkDirIsKeptWithItsFiles) {
  platform_.entries_["/tmp/dalvo work dir"] = {EntryKind::kDirectory, true, 0700};
  Put("appendix_1_number_1.txt", "19");
  Put("dalvoopc.tmp");
  Load();
  EXPECT_TRUE(platform_.created_dirs_.empty());
  EXPECT_TRUE(Has("appendix_1_number_1.txt"));
  // The stale marker is gone, silently, and the greeting still stands.
  EXPECT_FALSE(Has("dalvoopc.tmp"));
  EXPECT_EQ(view_.Status(), "Welcome to dalvo!");
  EXPECT_EQ(view_.beeps_, 0);
  EXPECT_EQ(view_.Buttons(), "1011011");
}

TEST_F(Module1Test, UnsafeWorkDirEntriesAreRefusedAndNothingIsWritten) {
  const struct {
    const char* what;
    EntryInfo info;
  } cases[] = {
      {"symbolic link", {EntryKind::kSymlink, true, 0777}},
      {"file", {EntryKind::kRegularFile, true, 0600}},
      {"another user's directory", {EntryKind::kDirectory, false, 0700}},
      {"group-writable directory", {EntryKind::kDirectory, true, 0775}},
      {"world-writable directory", {EntryKind::kDirectory, true, 0777}},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    rig.platform_.entries_["/tmp/dalvo work dir"] = c.info;
    const StartupResult result = rig.module_.Form_Load();
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_NE(result.message.find("/tmp/dalvo work dir"), std::string::npos) << c.what;
    EXPECT_NE(result.message.find("TMPDIR"), std::string::npos) << c.what;
    EXPECT_TRUE(rig.platform_.files_.empty()) << c.what;
    EXPECT_TRUE(rig.platform_.created_dirs_.empty()) << c.what;
    EXPECT_TRUE(rig.platform_.current_dir_.empty()) << c.what;
    EXPECT_TRUE(rig.platform_.deleted_.empty()) << c.what;
    EXPECT_TRUE(rig.view_.statuses_.empty()) << c.what;
  }
}

TEST_F(Module1Test, WorkDirThatCannotBeCreatedOrEnteredEndsStartup) {
  platform_.FailNext(FakePlatform::Op::kCreatePrivateDir);
  StartupResult result = module_.Form_Load();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("/tmp/dalvo work dir"), std::string::npos);
  // Nothing stands there, so the advice is TMPDIR, and the missing folder is named.
  EXPECT_NE(result.message.find("\"/tmp\" does not exist"), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("TMPDIR"), std::string::npos) << result.message;

  Module1Rig rig;
  rig.platform_.FailNext(FakePlatform::Op::kSetCurrentDir);
  result = rig.module_.Form_Load();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("/tmp/dalvo work dir/"), std::string::npos);
  EXPECT_TRUE(rig.view_.statuses_.empty());
}

TEST_F(Module1Test, ActivateFocusesTheCustomNumber) {
  Load();
  const int before = view_.focus_count_;
  module_.Form_Activate();
  EXPECT_EQ(view_.focus_count_, before + 1);
}

TEST_F(Module1Test, UnloadEmptiesBothTextsAndUnloadsTheViewerButLeavesTheEngine) {
  Load();
  view_.custom_text_ = "12345";
  view_.SetViewerDocument(std::make_unique<ViewerDocument>(ViewerDocument::FromText("shown")));
  view_.ShowViewer();
  module_.Command1_Click();
  module_.Form_Unload();
  EXPECT_FALSE(view_.viewer_loaded_);
  EXPECT_EQ(view_.viewer_unloads_, 1);
  EXPECT_EQ(view_.custom_text_, "");
  // Nothing stopped the engine or touched the work directory.
  EXPECT_EQ(platform_.engine_.run, EngineRun::kRunning);
  EXPECT_TRUE(platform_.deleted_.empty());
}

}  // namespace
}  // namespace dalvo
