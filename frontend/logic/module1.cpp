// Module1's paths and the main window's start-up and shutdown.
#include "module1.h"

#include "caption_text.h"
#include "names.h"
#include "work_dir_check.h"

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
  // An empty temporary directory becomes the root: the work directory then sits directly
  // below it, as it would with any other answer that lacks the final separator.
  temp_dir_ = WithSeparator(platform_.TempDir());
  engine_program_ = app_dir_ + std::string(kEngineName);
}

void Module1::DecorateCaption() {
  std::string caption = view_.MainCaption();
  caption += kCaptionGlue;
  caption += CaptionText();
  view_.SetMainCaption(caption);
}

StartupResult Module1::EnsureWorkDir() {
  // Appended rather than `temp_dir_ + std::string(...)`: g++ 12 at -O3 reports a false overlap
  // (-Wrestrict) inside std::string for the latter.
  std::string path = temp_dir_;
  path += kWorkDirName;
  const EntryInfo info = platform_.Inspect(path);
  if (info.kind == EntryKind::kMissing) {
    if (!platform_.CreatePrivateDir(path)) {
      return {false, WorkDirMessage(path, "it cannot be created")};
    }
    // Look again: between the first look and the creation someone may have put something
    // there, and the creation must have given us a private directory.
    const std::string reason = WorkDirRefusal(platform_.Inspect(path));
    if (!reason.empty()) return {false, WorkDirMessage(path, reason)};
  } else {
    const std::string reason = WorkDirRefusal(info);
    if (!reason.empty()) return {false, WorkDirMessage(path, reason)};
  }
  work_dir_ = path + kSeparator;
  return {};
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
  view_.RefreshFileList();
  view_.SetStatus(std::string(kWelcome));
  return {};
}

void Module1::Form_Activate() { view_.FocusCustomNumber(); }

void Module1::Form_Unload() {
  // The engine is left alone: a run that is still going finishes its files on its own.
  view_.SetViewerText("");
  view_.UnloadViewer();
  view_.SetCustomNumberText("");
}

}  // namespace dalvo
