// Starting an engine run (the run's kind and options, the marker cleared first, the engine
// started in the work directory) and ending one that cannot go on.
#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"

namespace dalvo {
namespace {

// The status line for an engine that could not be started: what actually failed.
std::string_view EngineStartFailureText(EngineStartError error) {
  switch (error) {
    case EngineStartError::kMissing:
      return kEngineMissing;
    case EngineStartError::kNotExecutable:
      return kEngineNotExecutable;
    case EngineStartError::kNone:
    case EngineStartError::kFailed:
      break;
  }
  return kEngineNotStarted;
}

}  // namespace

void Module1::ResetRunFlags() {
  marker_seen_ = false;
  division_pending_ = false;
  refresh_pending_ = false;
  run_kind_ = RunKind::kNone;
}

void Module1::Launch(const LaunchOptions& options, const std::string& status_text,
                     const std::vector<std::string>& args) {
  SetButtonStates(0);
  run_active_ = true;
  // A marker left by an earlier run goes before the new engine starts, so it cannot be taken
  // for this run's end.
  CheckCompletionMarker();
  ResetRunFlags();
  run_kind_ = options.kind;
  division_pending_ = options.kind == RunKind::kDivision;
  refresh_pending_ = options.refresh_list;
  if (options.kind == RunKind::kGeneration) {
    rename_done_ = false;
    deletion_done_ = false;
    abandoned_rename_ticks_ = 0;
    // How the engine's names stand before it writes: what differs afterwards is this run's.
    generation_before_.clear();
    for (const std::string_view name : kGeneratedNames) {
      generation_before_.push_back(platform_.Inspect(work_dir_ + std::string(name)));
    }
  }
  view_.SetStatus(status_text);
  if (options.write_custom_number) {
    // Without the fresh number the engine would divide whatever an earlier division left.
    const std::string text = view_.CustomNumberText() + "\r\n";
    if (!platform_.WriteFile(work_dir_ + std::string(kCustomNumberName), text)) {
      AbortRun(std::string(kDivisionFailed));
      return;
    }
  }
  // The engine is started in the held work directory itself; making it ours again only keeps
  // the two in step, so a failure here changes nothing for the run.
  (void)platform_.SetCurrentDir(work_dir_);
  if (!platform_.StartEngine(engine_program_, args, work_dir_)) {
    AbortRun(std::string(EngineStartFailureText(platform_.LastStartError())));
    return;
  }
  view_.SetTimerEnabled(true);
}

void Module1::AbortRun(const std::string& status_text) {
  view_.SetStatus(status_text);
  view_.Beep();
  if (refresh_pending_) RefreshFile1();
  ResetRunFlags();
  run_active_ = false;
  SetButtonStates(1);
  view_.SetTimerEnabled(false);
}

}  // namespace dalvo
