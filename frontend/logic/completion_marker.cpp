// The completion-marker check: the engine's last act is writing the marker; the front-end
// consumes it (deletes it) and remembers that it did.
#include "module1.h"
#include "names.h"

namespace dalvo {

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

}  // namespace dalvo
