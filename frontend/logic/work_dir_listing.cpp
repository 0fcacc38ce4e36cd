// What the work directory holds, as the front-end sees it: the presence test by a listing (so
// the file system's case rules apply), the file list, and the removal of leftover temporaries.
#include "frontend/logic/leftover_temporaries.h"
#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"
#include "frontend/logic/wildcard.h"

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

void Module1::RemoveLeftoverTemporaries(const std::string& dir) {
  std::vector<std::string> hidden;
  if (!platform_.ListHidden(dir, hidden)) return;
  for (const std::string& name : hidden) {
    // Hidden names of any other form are the user's own and stay.
    if (IsLeftoverTemporary(name)) (void)platform_.DeleteFile(dir + name);
  }
}

}  // namespace dalvo
