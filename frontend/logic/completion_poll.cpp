// The completion poll: the engine's last act is writing the completion marker, which the
// front-end's check consumes (deletes) and remembers; Timer1_Timer finishes a run once its marker
// is consumed and the engine has exited, and a failed generation's files are discarded.
#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"

namespace dalvo {
namespace {

bool HasEnded(const EngineStatus& status) { return status.run != EngineRun::kRunning; }

bool HasFailed(const EngineStatus& status) {
  return status.run == EngineRun::kCrashed ||
         (status.run == EngineRun::kExited && status.exit_code != 0);
}

}  // namespace

void Module1::CheckCompletionMarker() {
  const std::string marker(kMarkerName);
  // Any failure ends the check with MarkerSeen as it stands: a marker that cannot be deleted
  // is never taken as seen, so the next tick tries again.
  const Presence before = Present(marker);
  if (before == Presence::kUnknown) return;
  if (before == Presence::kPresent) {
    if (!platform_.DeleteMatching(work_dir_, marker)) return;
    marker_seen_ = true;
  }
  const Presence after = Present(marker);
  if (after == Presence::kUnknown) return;
  marker_seen_ = marker_seen_ && after == Presence::kAbsent;
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
        if (run_kind_ == RunKind::kGeneration) DiscardGeneration();
        AbortRun(std::string(kEngineStopped));
      }
      return;
    }
  }

  // The marker is consumed; the run ends once the process has exited, so its status counts.
  const EngineStatus status = platform_.PollEngine();
  if (!HasEnded(status)) return;
  const bool failed = HasFailed(status);

  if (run_kind_ == RunKind::kGeneration && !division_pending_) {
    view_.SetStatus(std::string(failed ? kGenerationFailed : kGenerationComplete));
    if (failed) {
      view_.Beep();
      // Nothing of a failed generation is published: the previous run's files stay as they
      // are, and only files this run made under new names go.
      DiscardGeneration();
      rename_done_ = true;
    }
    run_kind_ = RunKind::kNone;
  }
  if (run_kind_ == RunKind::kDivision && division_pending_) {
    view_.SetStatus(std::string(failed ? kDivisionFailed : kDivisionComplete));
    if (failed) view_.Beep();
    run_kind_ = RunKind::kNone;
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
  // Whatever stood under the engine's names before the launch is an earlier run's (published
  // or not) and stays, whole or as the engine left it: the engine replaces its files only once
  // a generation is complete, so nothing of an earlier run may be taken for this one's debris.
  // Only a name that did not exist at the launch and holds a file now was made by this failed
  // run; an engine that writes its files one by one can leave such files, and none of them is
  // published.
  for (std::size_t i = 0; i < std::size(kGeneratedNames); ++i) {
    if (i >= generation_before_.size() || generation_before_[i].kind != EntryKind::kMissing) {
      continue;
    }
    const std::string path = work_dir_ + std::string(kGeneratedNames[i]);
    if (platform_.Inspect(path).kind != EntryKind::kRegularFile) continue;
    // A file that cannot be removed stays listed under the engine's name, which shows it.
    (void)platform_.DeleteFile(path);
  }
}

}  // namespace dalvo
