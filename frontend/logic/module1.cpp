// Module1's paths and the main window's start-up and shutdown.
#include "frontend/logic/module1.h"

#include "frontend/logic/caption_text.h"
#include "frontend/logic/names.h"
#include "frontend/logic/temp_dir.h"
#include "frontend/logic/work_dir_check.h"

namespace dalvo {
namespace {

std::string WithSeparator(std::string dir) {
  if (dir.empty() || dir.back() != kSeparator) dir += kSeparator;
  return dir;
}

}  // namespace

Module1::Module1(Platform& platform, View& view) : platform_(platform), view_(view) {}

void Module1::InitPaths() {
  app_dir_ = WithSeparator(platform_.ApplicationDir());
  TempDirChoice temp = ChooseTempDir(platform_);
  temp_problem_ = std::move(temp.problem);
  temp_make_first_ = std::move(temp.make_first);
  temp_dir_ = temp.dir.empty() ? std::string() : WithSeparator(temp.dir);
  engine_program_ = app_dir_ + std::string(kEngineName);
}

void Module1::DecorateCaption() {
  std::string caption = view_.MainCaption();
  caption += kCaptionGlue;
  caption += CaptionText();
  view_.SetMainCaption(caption);
}

StartupResult Module1::EnsureWorkDir() {
  if (temp_dir_.empty()) return {false, temp_problem_};
  for (const std::string& dir : temp_make_first_) {
    EntryInfo info = platform_.Inspect(dir);
    if (info.kind == EntryKind::kMissing) {
      if (!platform_.CreatePrivateDir(dir)) {
        return {false, WorkDirCreateMessage(dir, CreationFailure(dir))};
      }
      info = platform_.Inspect(dir);
    }
    const std::string reason = WorkDirRefusal(info);
    if (!reason.empty()) return {false, WorkDirMessage(dir, reason)};
  }
  // Appended rather than `temp_dir_ + std::string(...)`: g++ 12 at -O3 reports a false overlap
  // (-Wrestrict) inside std::string for the latter.
  std::string path = temp_dir_;
  path += kWorkDirName;
  const TakeResult taken = TakeWorkDir(path);
  if (taken.busy) return {false, WorkDirBusyMessage(path)};
  if (taken.not_made) return {false, WorkDirCreateMessage(path, taken.reason)};
  if (!taken.ok) return {false, WorkDirMessage(path, taken.reason)};
  work_dir_ = path + kSeparator;
  return {};
}

Module1::TakeResult Module1::TakeWorkDir(const std::string& path) {
  WorkDirHold hold = platform_.HoldWorkDir(path);
  if (!hold.held && hold.entry.kind == EntryKind::kMissing) {
    if (!platform_.CreatePrivateDir(path)) return {false, false, true, CreationFailure(path)};
    // Held only now, and checked through the hold: between the creation and the open someone
    // may have put something else there, and the creation must have given us a private
    // directory.
    hold = platform_.HoldWorkDir(path);
  }
  std::string reason = WorkDirRefusal(hold.entry);
  if (reason.empty() && !hold.held) reason = "it cannot be opened";
  if (!reason.empty()) {
    platform_.ReleaseWorkDir();
    return {false, false, false, reason};
  }
  switch (platform_.LockWorkDir()) {
    case WorkDirLock::kLocked:
      RemoveLeftoverTemporaries(path + kSeparator);
      return {};
    case WorkDirLock::kBusy:
      platform_.ReleaseWorkDir();
      return {false, true, false, {}};
    case WorkDirLock::kFailed:
      break;
  }
  platform_.ReleaseWorkDir();
  return {false, false, false, "it cannot be locked"};
}

std::string Module1::CreationFailure(const std::string& path) {
  const std::string parent = path.substr(0, path.rfind(kSeparator));
  if (!parent.empty() && platform_.Inspect(parent).kind == EntryKind::kMissing) {
    return "the folder \"" + parent + "\" does not exist";
  }
  return "it cannot be made there";
}

bool Module1::KeepWorkDir() {
  if (platform_.CheckWorkDir() == WorkDirState::kSame) {
    // The same directory, but not necessarily as safe as it was: once group or others may
    // write to it, anyone may plant a pipe or a link under a name the program writes.
    const std::string reason = WorkDirRefusal(platform_.InspectHeldWorkDir());
    if (reason.empty()) return true;
    view_.Beep();
    view_.SetStatus(WorkDirUnsafeStatus(work_dir_.substr(0, work_dir_.size() - 1), reason));
    SetButtonStates(1);
    return false;
  }
  // Removed (a temp cleaner, the user) or replaced: the same rules as at start-up decide
  // whether what now stands under the name may be used; a name that another user took over
  // is never followed.
  const std::string path = work_dir_.substr(0, work_dir_.size() - 1);
  const TakeResult taken = TakeWorkDir(path);
  if (taken.ok) {
    (void)platform_.SetCurrentDir(work_dir_);
    return true;
  }
  view_.Beep();
  view_.SetStatus(taken.busy ? WorkDirBusyMessage(path)
                             : WorkDirLostStatus(path, taken.reason, taken.not_made));
  RefreshFile1();
  SetButtonStates(1);
  return false;
}

StartupResult Module1::Form_Load() {
  InitPaths();
  DecorateCaption();
  StartupResult result = EnsureWorkDir();
  if (!result.ok) return result;

  const Size screen = view_.ScreenSize();
  const Size window = view_.MainWindowSize();
  view_.MoveMainWindow(screen.width / 2 - window.width / 2, screen.height / 2 - window.height / 2);

  view_.SetOption1Selected(true);
  view_.SetOption2Selected(false);
  view_.SetFileListPattern(std::string(kListPattern));
  view_.SetFileListDir(work_dir_);
  if (!platform_.SetCurrentDir(work_dir_)) {
    return {false, WorkDirMessage(work_dir_, "it cannot be made the current directory")};
  }
  CheckCompletionMarker();
  SetButtonStates(1);
  RefreshFile1();
  view_.SetStatus(std::string(kWelcome));
  return {};
}

void Module1::Form_Activate() { view_.FocusCustomNumber(); }

void Module1::Form_Unload() {
  // The engine is left alone: a run that is still going finishes its files on its own.
  view_.ClearViewer();
  view_.UnloadViewer();
  view_.SetCustomNumberText("");
}

}  // namespace dalvo
