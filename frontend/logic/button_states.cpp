// The seven buttons' enabled states: all off during a run, the idle rules otherwise.
#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"

namespace dalvo {

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
