// Where the work directory goes: a temporary directory of the user's own. TMPDIR wins when it
// is set (made absolute once, at start-up, against the current directory); otherwise the
// user's runtime directory when it is private; otherwise a private folder in the user's cache.
// Rules over the Platform's answers only; the choice creates nothing and cannot throw.
#pragma once

#include <string>
#include <vector>

#include "frontend/logic/platform.h"

namespace dalvo {

struct TempDirChoice {
  // The temporary directory, absolute, without a final separator; "" when none can be chosen.
  std::string dir;
  // Directories to make private (mode 0700) when missing, in this order, before the work
  // directory: the fallback's own folders. The last one is `dir`.
  std::vector<std::string> make_first;
  // When `dir` is "": why, and what the user can do.
  std::string problem;
};

// Chooses from TMPDIR, XDG_RUNTIME_DIR (absolute, a real directory of the user's, mode 0700
// or stricter) and HOME (absolute: HOME/.cache/dalvo), in this order.
TempDirChoice ChooseTempDir(Platform& platform);

}  // namespace dalvo
