// Publication names for freshly generated files: the previous run's files go, the new ones get
// their names. Failures are values: the first one in a call restarts its group, the second
// abandons the call for the next tick to retry.
#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"
#include "frontend/logic/publication_names.h"
#include "frontend/logic/wildcard.h"

namespace dalvo {

bool Module1::DeletionGroup() {
  for (const std::string_view pattern_view : kPublishedPatterns) {
    const std::string pattern(pattern_view);
    const MatchResult first = platform_.FirstMatch(work_dir_, pattern);
    if (!first.ok) return false;
    if (!first.name.empty() && WildcardMatch(pattern, first.name)) {
      if (!platform_.DeleteMatching(work_dir_, pattern)) return false;
    }
  }
  return true;
}

bool Module1::RenamingGroup() {
  const std::string numbers_pattern(kNumberFilesPattern);
  const std::string proofs_pattern(kProofFilesPattern);
  const std::string n13038(kPerspective1Source);
  const std::string n37088(kPerspective2Source);
  while (true) {
    // The listing starts afresh for every file, since each rename changes the directory.
    for (;;) {
      const MatchResult m = platform_.FirstMatch(work_dir_, numbers_pattern);
      if (!m.ok) return false;
      if (m.name.empty()) break;
      if (!platform_.Rename(work_dir_ + m.name,
                            work_dir_ + std::string(kNumberPublishedPrefix) + NumberSuffix(m.name))) {
        return false;
      }
    }
    for (;;) {
      const MatchResult m = platform_.FirstMatch(work_dir_, proofs_pattern);
      if (!m.ok) return false;
      if (m.name.empty()) break;
      if (!platform_.Rename(work_dir_ + m.name,
                            work_dir_ + std::string(kProofPublishedPrefix) + LastChars(m.name, 6))) {
        return false;
      }
    }
    for (;;) {
      const MatchResult a = platform_.FirstMatch(work_dir_, n37088);
      const MatchResult b = platform_.FirstMatch(work_dir_, n13038);
      if (!a.ok || !b.ok) return false;
      if (a.name.empty() && b.name.empty()) break;
      // The listing gives the name as it stands on disk, in whatever case; the rename source
      // must be that name.
      if (EqualsIgnoreCase(b.name, n13038)) {
        if (!platform_.Rename(work_dir_ + b.name, work_dir_ + std::string(kPerspective1Name))) {
          return false;
        }
      }
      const MatchResult c = platform_.FirstMatch(work_dir_, n37088);
      if (!c.ok) return false;
      if (EqualsIgnoreCase(c.name, n37088)) {
        if (!platform_.Rename(work_dir_ + c.name, work_dir_ + std::string(kPerspective2Name))) {
          return false;
        }
      }
    }
    const MatchResult numbers = platform_.FirstMatch(work_dir_, numbers_pattern);
    const MatchResult proofs = platform_.FirstMatch(work_dir_, proofs_pattern);
    if (!numbers.ok || !proofs.ok) return false;
    if (numbers.name.empty() && proofs.name.empty()) return true;
  }
}

RenameOutcome Module1::RenameGeneratedFiles() {
  int failures = 0;
  // The deletion group clears the previous generation's publication names. It runs once per
  // generation: after an abandoned call the freshly renamed files of this run match the same
  // patterns and must survive the retry.
  while (!deletion_done_) {
    if (DeletionGroup()) {
      deletion_done_ = true;
    } else if (++failures > 1) {
      return RenameOutcome::kAbandoned;
    }
  }
  while (!RenamingGroup()) {
    if (++failures > 1) return RenameOutcome::kAbandoned;
  }
  rename_done_ = true;
  abandoned_rename_ticks_ = 0;
  return RenameOutcome::kDone;
}

}  // namespace dalvo
