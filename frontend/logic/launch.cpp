// Launching an engine run and the completion poll that finishes it.
#include "engine_args.h"
#include "module1.h"
#include "names.h"

namespace dalvo {
namespace {

bool HasEnded(const EngineStatus& status) { return status.run != EngineRun::kRunning; }

bool HasFailed(const EngineStatus& status) {
  return status.run == EngineRun::kCrashed ||
         (status.run == EngineRun::kExited && status.exit_code != 0);
}

}  // namespace

void Module1::ResetRunFlags() {
  marker_seen_ = false;
  division_pending_ = false;
  refresh_pending_ = false;
  run_kind_ = 0;
}

void Module1::Launch(int run_kind, bool refresh, const std::string& status_text,
                     const std::vector<std::string>& args, bool write_custom_number) {
  SetButtonStates(0);
  run_active_ = true;
  // A marker left by an earlier run goes before the new engine starts, so it cannot be taken
  // for this run's end.
  CheckCompletionMarker();
  ResetRunFlags();
  run_kind_ = run_kind;
  division_pending_ = run_kind == 2;
  refresh_pending_ = refresh;
  if (run_kind == 1) {
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
  if (write_custom_number) {
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
    AbortRun(std::string(kEngineNotStarted));
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

void Module1::Timer1_Timer() {
  const std::string marker(kMarkerName);
  if (!marker_seen_) {
    // Ask about the process before looking for the marker: the engine writes the marker and
    // then exits, so a process seen ended here has written any marker it was going to.
    const EngineStatus before = platform_.PollEngine();
    CheckCompletionMarker();
    if (!marker_seen_) {
      // A marker that is there but cannot be deleted means the engine did finish; the next
      // tick tries the deletion again.
      if (HasEnded(before) && Present(marker) == Presence::kAbsent) {
        if (run_kind_ == 1) DiscardGeneration();
        AbortRun(std::string(kEngineStopped));
      }
      return;
    }
  }

  // The marker is consumed; the run ends once the process has exited, so its status counts.
  const EngineStatus status = platform_.PollEngine();
  if (!HasEnded(status)) return;
  const bool failed = HasFailed(status);

  if (run_kind_ == 1 && !division_pending_) {
    view_.SetStatus(std::string(failed ? kGenerationFailed : kGenerationComplete));
    if (failed) {
      view_.Beep();
      // Nothing of a failed generation is published: the previous run's publication names
      // stay as they are, and this run's files go.
      DiscardGeneration();
      rename_done_ = true;
    }
    run_kind_ = 0;
  }
  if (run_kind_ == 2 && division_pending_) {
    view_.SetStatus(std::string(failed ? kDivisionFailed : kDivisionComplete));
    if (failed) view_.Beep();
    run_kind_ = 0;
  }
  if (!division_pending_ && !rename_done_) {
    if (RenameGeneratedFiles() == RenameOutcome::kAbandoned) {
      // Each abandoned call ends the tick and is retried on the next one, but not for ever: a
      // file that stays locked must not keep the window disabled.
      if (++abandoned_rename_ticks_ < kMaxAbandonedRenameTicks) return;
      rename_done_ = true;
      if (!failed) view_.SetStatus(std::string(kGenerationCompleteUnrenamed));
    }
  }
  // A failed division wrote no report of its own: an older one must not pass for it.
  if (division_pending_ && !failed && view_.Check1Ticked()) {
    const Presence marker_now = Present(marker);
    const Presence report = Present(std::string(kReportName));
    if (marker_now == Presence::kUnknown || report == Presence::kUnknown) return;
    if (marker_now == Presence::kAbsent && report == Presence::kPresent) {
      ViewDivisionReport();
      division_pending_ = false;
    }
  }
  if (refresh_pending_) {
    RefreshFile1();
    refresh_pending_ = false;
  }
  run_active_ = false;
  SetButtonStates(1);
  if (Present(marker) == Presence::kAbsent) view_.SetTimerEnabled(false);
}

void Module1::DiscardGeneration() {
  // The run's files are whatever it left under the engine's names, whole or cut short: a
  // generation that failed part-way is a mix of this run and older files, so none of it is
  // kept. A file the run did not touch (the same file, unchanged) is older and stays.
  for (std::size_t i = 0; i < std::size(kGeneratedNames); ++i) {
    const std::string path = work_dir_ + std::string(kGeneratedNames[i]);
    const EntryInfo now = platform_.Inspect(path);
    if (now.kind != EntryKind::kRegularFile) continue;
    if (i < generation_before_.size() && SameVersion(now, generation_before_[i])) continue;
    // A file that cannot be removed stays listed under the engine's name, which shows it.
    (void)platform_.DeleteFile(path);
  }
}

}  // namespace dalvo
