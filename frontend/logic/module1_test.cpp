#include "frontend/logic/module1.h"

#include <gtest/gtest.h>

#include "frontend/logic/names.h"
#include "frontend/logic/viewer_document.h"
#include "frontend/testing/module1_test_support.h"

namespace dalvo {
namespace {

const std::string kWorkPath = "/tmp/dalvo work dir";

// The commands that reach the work directory, each set up so that it would act.
const struct {
  const char* name;
  void (Module1::*click)();
} kWorkDirCommands[] = {
    {"Command1", &Module1::Command1_Click}, {"Command2", &Module1::Command2_Click},
    {"Command3", &Module1::Command3_Click}, {"Command4", &Module1::Command4_Click},
    {"Command5", &Module1::Command5_Click}, {"File1_Click", &Module1::File1_Click},
    {"File1_DblClick", &Module1::File1_DblClick},
};

// The suite is named after the unit. From here on the name means the fixture; the class is
// dalvo::Module1 (the table above was written before).
using Module1 = Module1Test;

TEST_F(Module1, PathsGetOneFinalSeparator) {
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

TEST_F(Module1, StartupCreatesPrivateWorkDirAndGreets) {
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

TEST_F(Module1, CaptionGetsGlueAndTheTwentyFiveCharacters) {
  Load();
  // The whole caption as the user reads it, written out once here.
  EXPECT_EQ(view_.caption_, "Dalvo  -  Last updated: 2000-02-26  -  Divisible by nineteen: 19");
}

TEST_F(Module1, ExistingWorkDirIsKeptWithItsFiles) {
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

TEST_F(Module1, UnsafeWorkDirEntriesAreRefusedAndNothingIsWritten) {
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

TEST_F(Module1, WorkDirThatCannotBeCreatedOrEnteredEndsStartup) {
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

TEST_F(Module1, ActivateFocusesTheCustomNumber) {
  Load();
  const int before = view_.focus_count_;
  module_.Form_Activate();
  EXPECT_EQ(view_.focus_count_, before + 1);
}

TEST_F(Module1, UnloadEmptiesBothTextsAndUnloadsTheViewerButLeavesTheEngine) {
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

// The work directory after start-up: every command that touches it first makes sure the name
// still means the directory that was checked (KeepWorkDir), takes a new one by the start-up
// rules, or refuses.
// The program started with a listed file, a report and a typed number, so every command acts.
class Module1KeepWorkDir : public Module1Test {
 protected:
  void SetUp() override {
    Load();
    Put("seven.txt", "133");
    Put("latest_division_report.tmp", "7.0000");
    view_.selected_ = "seven.txt";
    view_.custom_text_ = "38";
  }
  // The name no longer means the held directory: `now` stands there instead (nothing when
  // its kind is kMissing).
  void Swap(WorkDirState state, const EntryInfo& now) {
    platform_.work_dir_state_ = state;
    platform_.entries_.erase(kWorkPath);
    if (now.kind != EntryKind::kMissing) platform_.entries_[kWorkPath] = now;
  }
};

TEST_F(Module1KeepWorkDir, ACommandRefusesANameTakenOverAndDoesNothing) {
  for (const auto& command : kWorkDirCommands) {
    Swap(WorkDirState::kReplaced, {EntryKind::kDirectory, false, 0777});
    const auto files = platform_.files_;
    const int beeps = view_.beeps_;
    (module_.*command.click)();
    EXPECT_TRUE(platform_.started_.empty()) << command.name;
    EXPECT_EQ(platform_.files_, files) << command.name;
    EXPECT_TRUE(view_.viewer_texts_.empty()) << command.name;
    EXPECT_EQ(view_.beeps_, beeps + 1) << command.name;
    EXPECT_NE(view_.Status().find("nothing was done!"), std::string::npos) << command.name;
    EXPECT_NE(view_.Status().find("\"" + kWorkPath + "\""), std::string::npos) << command.name;
    EXPECT_NE(view_.Status().find("belongs to another user"), std::string::npos)
        << command.name;
    EXPECT_TRUE(platform_.held_.empty()) << command.name;
    // Nothing of the other user's directory is listed, and nothing can be started from it.
    EXPECT_TRUE(view_.listed_.empty()) << command.name;
    EXPECT_FALSE(view_.timer_enabled_) << command.name;
  }
}

TEST_F(Module1KeepWorkDir, ACommandRefusesTheHeldDirectoryOnceItIsNoLongerPrivate) {
  const struct {
    const char* what;
    EntryInfo now;
    const char* reason;
  } cases[] = {
      {"writable by its group", {EntryKind::kDirectory, true, 0770}, "other users can write"},
      {"writable by all", {EntryKind::kDirectory, true, 01777}, "other users can write"},
      {"given to another user", {EntryKind::kDirectory, false, 0700}, "belongs to another user"},
  };
  for (const auto& c : cases) {
    for (const auto& command : kWorkDirCommands) {
      const std::string what = std::string(c.what) + ", " + command.name;
      platform_.entries_[kWorkPath] = c.now;  // the same directory, still held
      const auto files = platform_.files_;
      const int beeps = view_.beeps_;
      (module_.*command.click)();
      EXPECT_TRUE(platform_.started_.empty()) << what;
      EXPECT_EQ(platform_.files_, files) << what;
      EXPECT_TRUE(view_.viewer_texts_.empty()) << what;
      EXPECT_FALSE(view_.timer_enabled_) << what;
      EXPECT_EQ(view_.beeps_, beeps + 1) << what;
      EXPECT_NE(view_.Status().find("nothing was done!"), std::string::npos) << what;
      EXPECT_NE(view_.Status().find(c.reason), std::string::npos) << what << ": " << view_.Status();
      EXPECT_NE(view_.Status().find("\"" + kWorkPath + "\""), std::string::npos) << what;
    }
  }
  // Made private again, the same directory serves the next command.
  platform_.entries_[kWorkPath] = {EntryKind::kDirectory, true, 0700};
  module_.Command5_Click();
  EXPECT_EQ(platform_.started_.size(), 1u);
  EXPECT_EQ(Content("custom_number.tmp"), "38\r\n");
}

TEST_F(Module1KeepWorkDir, ARemovedOrReplacedDirectoryIsTakenAgainByTheStartupRules) {
  const struct {
    const char* what;
    WorkDirState state;
    EntryInfo now;
    WorkDirLock lock;
    bool runs;
    const char* status_part;  // when refused
  } cases[] = {
      {"removed: made again", WorkDirState::kVanished, {}, WorkDirLock::kLocked, true, ""},
      {"replaced by a private directory of ours", WorkDirState::kReplaced,
       {EntryKind::kDirectory, true, 0700}, WorkDirLock::kLocked, true, ""},
      {"replaced by a link", WorkDirState::kReplaced, {EntryKind::kSymlink, true, 0777},
       WorkDirLock::kLocked, false, "symbolic link"},
      {"replaced by a directory others can write to", WorkDirState::kReplaced,
       {EntryKind::kDirectory, true, 0777}, WorkDirLock::kLocked, false, "other users can write"},
      {"made again, but another copy took it first", WorkDirState::kVanished, {},
       WorkDirLock::kBusy, false, "already running"},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load()) << c.what;
    rig.platform_.work_dir_state_ = c.state;
    rig.platform_.entries_.erase(kWorkPath);
    if (c.now.kind != EntryKind::kMissing) rig.platform_.entries_[kWorkPath] = c.now;
    rig.platform_.lock_answer_ = c.lock;
    const std::size_t created = rig.platform_.created_dirs_.size();

    rig.module_.Command1_Click();
    EXPECT_EQ(rig.platform_.started_.size(), c.runs ? 1u : 0u) << c.what;
    if (c.runs) {
      EXPECT_EQ(rig.platform_.held_, kWorkPath) << c.what;
      EXPECT_TRUE(rig.platform_.locked_) << c.what;
      EXPECT_EQ(rig.platform_.current_dir_, std::string(kWork)) << c.what;
      EXPECT_EQ(rig.view_.Status(), "Generating numbers...") << c.what;
      // Made again only where nothing stood, and private.
      EXPECT_EQ(rig.platform_.created_dirs_.size(), created + (c.now.kind == EntryKind::kMissing))
          << c.what;
      EXPECT_EQ(rig.platform_.Inspect(kWorkPath).mode & 077u, 0u) << c.what;
    } else {
      EXPECT_TRUE(rig.platform_.held_.empty()) << c.what;
      EXPECT_NE(rig.view_.Status().find(c.status_part), std::string::npos)
          << c.what << ": " << rig.view_.Status();
      EXPECT_EQ(rig.view_.beeps_, 1) << c.what;
      EXPECT_EQ(rig.view_.Buttons(), "1001011") << c.what;
    }
  }
}

TEST_F(Module1, ASecondCopyOnALockedWorkDirChangesNothing) {
  platform_.entries_[kWorkPath] = {EntryKind::kDirectory, true, 0700};
  Put("dalvoopc.tmp");
  Put("number1.txt", "7");
  platform_.lock_answer_ = WorkDirLock::kBusy;
  const auto files = platform_.files_;

  const StartupResult result = module_.Form_Load();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("already running"), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("\"" + kWorkPath + "\""), std::string::npos) << result.message;
  // The other copy's marker and files are its own.
  EXPECT_EQ(platform_.files_, files);
  EXPECT_TRUE(platform_.created_dirs_.empty());
  EXPECT_TRUE(platform_.current_dir_.empty());
  EXPECT_TRUE(platform_.held_.empty());
  EXPECT_TRUE(view_.statuses_.empty());
}

TEST_F(Module1, TheFallbackFoldersAreMadePrivateAndChecked) {
  const std::string cache = "/home/u/.cache/dalvo";
  const struct {
    const char* what;
    EntryInfo existing;  // what stands at .cache/dalvo before start-up
    bool starts;
  } cases[] = {
      {"nothing there yet", {}, true},
      {"our own folder", {EntryKind::kDirectory, true, 0700}, true},
      {"a folder others can write to", {EntryKind::kDirectory, true, 0777}, false},
      {"a link", {EntryKind::kSymlink, true, 0777}, false},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    rig.platform_.env_ = {{"HOME", "/home/u"}};
    if (c.existing.kind != EntryKind::kMissing) rig.platform_.entries_[cache] = c.existing;
    const StartupResult result = rig.module_.Form_Load();
    EXPECT_EQ(result.ok, c.starts) << c.what << ": " << result.message;
    if (c.starts) {
      EXPECT_EQ(rig.module_.WorkDir(), cache + "/dalvo work dir/") << c.what;
      for (const std::string& dir : {std::string("/home/u/.cache"), cache}) {
        EXPECT_EQ(rig.platform_.Inspect(dir).kind, EntryKind::kDirectory) << c.what << " " << dir;
        EXPECT_EQ(rig.platform_.Inspect(dir).mode & 077u, 0u) << c.what << " " << dir;
      }
    } else {
      EXPECT_NE(result.message.find("\"" + cache + "\""), std::string::npos) << c.what;
      EXPECT_TRUE(rig.platform_.held_.empty()) << c.what;
    }
  }
}

}  // namespace
}  // namespace dalvo
