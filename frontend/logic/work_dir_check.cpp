#include "frontend/logic/work_dir_check.h"

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
  // Another user's entry in a shared temporary directory cannot be removed by us, so the
  // advice names the owner too; TMPDIR always works.
  return "Cannot use the work directory \"" + path + "\": " + reason +
         ". Remove it (or have its owner remove it), or set TMPDIR to a directory of your own, "
         "and start again.";
}

std::string WorkDirCreateMessage(const std::string& path, const std::string& reason) {
  return "Cannot create the work directory \"" + path + "\": " + reason +
         ". Set TMPDIR to an existing directory of your own, and start again.";
}

std::string WorkDirLostStatus(const std::string& path, const std::string& reason, bool not_made) {
  // The one-line status label shows about fifty characters: what happened comes first.
  if (not_made) {
    return "Work directory gone, nothing was done! It cannot be made again: \"" + path + "\" (" +
           reason + ").";
  }
  return "Work directory unsafe, nothing was done! \"" + path + "\": " + reason +
         ". Remove it (or have its owner remove it) and try again.";
}

std::string WorkDirUnsafeStatus(const std::string& path, const std::string& reason) {
  // Still ours and still held, so nothing needs removing: narrowing it again is enough.
  return "Work directory unsafe, nothing was done! \"" + path + "\": " + reason +
         ". Make it private again (chmod 700) and try again.";
}

std::string WorkDirBusyMessage(const std::string& path) {
  // An engine run keeps the directory taken after its window was closed, until it ends.
  return "The program is already running with the work directory \"" + path +
         "\", or a run it started is still going. Use that copy, or close it and start again "
         "once its run has ended.";
}

}  // namespace dalvo
