// HeldDir: the work directory held open. The directory that passed the start-up check is opened
// once, without following a link, and every later operation inside it goes through that
// descriptor (the *at calls), so a name swapped after the check reaches nothing. Owned by
// QtPlatform; POSIX only. Failures are values; a released directory keeps its name, so paths
// inside it are still recognised and then refused rather than looked up again.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>

#include "frontend/logic/platform.h"

namespace dalvo {

// What `st` says about an entry, for the Platform's EntryInfo.
EntryInfo DescribeStat(const struct stat& st);

class HeldDir {
 public:
  HeldDir() = default;
  ~HeldDir();
  HeldDir(const HeldDir&) = delete;
  HeldDir& operator=(const HeldDir&) = delete;

  // Opens `path` (a final separator is ignored) as a directory, never through a link, and holds
  // it, letting go of any directory held before. `entry` describes the held directory (fstat
  // on the descriptor); when it cannot be opened, nothing is held and `entry` is what lstat
  // sees at the name.
  WorkDirHold Hold(const std::string& path);
  // Closes the descriptor, which also drops the lock; the name stays known.
  void Release();
  // Whether the name still refers to the held directory (device and inode).
  WorkDirState Check() const;
  // The held directory as its descriptor sees it now (fstat); kind kMissing when none is held.
  EntryInfo Inspect() const;
  // An exclusive lock on the held directory, kept while it is held (flock: it goes with the
  // descriptor, also when the program dies).
  WorkDirLock Lock();

  // The held descriptor, or -1 when released or never held.
  int fd() const { return fd_; }
  // True when `dir` (with or without a final separator) is the held directory's name.
  bool IsHeldDir(const std::string& dir) const;
  // The bare name when `path` names an entry directly in the held directory's name.
  std::optional<std::string> NameIn(const std::string& path) const;

 private:
  std::string path_;  // without a final separator; "" when never held
  int fd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace dalvo
