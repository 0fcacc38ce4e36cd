// The presence test, the file list, the completion-marker check and the buttons' enabled states.
#include "module1.h"
#include "names.h"
#include "wildcard.h"

namespace dalvo {

Module1::Presence Module1::Present(const std::string& name) {
  if (name.empty()) return Presence::kAbsent;
  const MatchResult match = platform_.FirstMatch(work_dir_, name);
  if (!match.ok) return Presence::kUnknown;
  return EqualsIgnoreCase(match.name, name) ? Presence::kPresent : Presence::kAbsent;
}

void Module1::RefreshFile1() {
  std::vector<std::string> names;
  // A work directory that cannot be listed shows an empty list, never an error.
  (void)platform_.ListMatching(work_dir_, std::string(kListPattern), names);
  view_.RefreshFileList(names);
}

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

void Module1::SetButtonStates(int mode) {
  if (mode == 0) {
    for (int index = 1; index <= 7; ++index) view_.SetButtonEnabled(index, false);
    return;
  }
  // While the engine runs nothing may start a second run in the same work directory, so the
  // idle rules wait for the run's end whoever asks for them.
  if (mode != 1 || run_active_) return;
  view_.SetButtonEnabled(1, true);
  view_.SetButtonEnabled(4, true);
  view_.SetButtonEnabled(5, !view_.CustomNumberEmpty());
  view_.SetButtonEnabled(6, true);
  view_.SetButtonEnabled(7, true);
  view_.SetButtonEnabled(2, Present(view_.SelectedFileName()) == Presence::kPresent);
  const MatchResult listed = platform_.FirstMatch(work_dir_, std::string(kListPattern));
  view_.SetButtonEnabled(3, listed.ok && !listed.name.empty());
}

}  // namespace dalvo
