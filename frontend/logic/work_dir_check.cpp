#include "work_dir_check.h"

namespace dalvo {

std::string WorkDirRefusal(const EntryInfo& info) {
  switch (info.kind) {
    case EntryKind::kDirectory:
      break;
    case EntryKind::kSymlink:
      return "it is a symbolic link";
    case EntryKind::kRegularFile:
      return "it is a file, not a directory";
    case EntryKind::kMissing:
    case EntryKind::kOther:
      return "it is not a directory";
  }
  if (!info.owned_by_current_user) return "it belongs to another user";
  // 022: write permission for group or others would let them plant or swap the engine's files.
  if ((info.mode & 022u) != 0) return "other users can write to it";
  return "";
}

std::string WorkDirMessage(const std::string& path, const std::string& reason) {
  return "Cannot use the work directory \"" + path + "\": " + reason +
         ". Remove it, or set TMPDIR to another directory, and start again.";
}

}  // namespace dalvo
