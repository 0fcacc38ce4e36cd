// QtPlatform: the real Platform, on POSIX file calls. The work directory is held open (HeldDir)
// once it passed the check: files, listings and the engine's working directory inside it are
// reached through that descriptor, never by name. It owns the engine's process (EngineProcess);
// at destruction a still-running engine is left running (neither waited for nor killed), and
// keeps the work directory locked until it ends. Failures are values.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frontend/logic/platform.h"
#include "frontend/ui/engine_process.h"
#include "frontend/ui/held_dir.h"

namespace dalvo {

class QtPlatform : public Platform {
 public:
  // `application_dir` overrides the directory of the running executable (tests put the
  // engine elsewhere); "" means QCoreApplication::applicationDirPath().
  explicit QtPlatform(std::string application_dir = {});
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  std::string ApplicationDir() override;
  std::string Environment(const std::string& name) override;
  std::string CurrentDir() override;
  EntryInfo Inspect(const std::string& path) override;
  WorkDirHold HoldWorkDir(const std::string& path) override;
  void ReleaseWorkDir() override;
  WorkDirState CheckWorkDir() override;
  WorkDirLock LockWorkDir() override;
  EntryInfo InspectHeldWorkDir() override;
  bool CreatePrivateDir(const std::string& path) override;
  bool SetCurrentDir(const std::string& path) override;
  MatchResult FirstMatch(const std::string& dir, const std::string& pattern,
                         bool include_dirs = false) override;
  bool ListMatching(const std::string& dir, const std::string& pattern,
                    std::vector<std::string>& names) override;
  bool ListHidden(const std::string& dir, std::vector<std::string>& names) override;
  bool DeleteFile(const std::string& path) override;
  bool DeleteMatching(const std::string& dir, const std::string& pattern) override;
  bool Rename(const std::string& source, const std::string& target) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  bool ReadFileInPieces(const std::string& path, std::size_t piece_bytes,
                        const std::function<bool(std::string_view)>& sink,
                        std::uint64_t& size) override;
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  bool WriteFile(const std::string& path, const std::string& content) override;
  bool StartEngine(const std::string& program, const std::vector<std::string>& args,
                   const std::string& working_dir) override;
  EngineStatus PollEngine() override;
  EngineStartError LastStartError() override;

 private:
  // Where a path is reached: inside the held work directory, its descriptor and the bare name
  // (the name's own link never followed); anywhere else, AT_FDCWD and the path. `dirfd` is -1
  // for a path inside a work directory that is no longer held: every call then fails.
  struct Place {
    int dirfd;
    std::string name;
    bool in_work_dir;
  };
  Place Locate(const std::string& path) const;
  // Opens `path` with `flags` (O_CLOEXEC added) through Locate: inside the work directory with
  // openat and O_NOFOLLOW. The one way this class opens a file; -1 on failure.
  int OpenFile(const std::string& path, int flags, mode_t mode = 0) const;
  // Which names a listing gives: the visible ones that match its pattern (with directories or
  // without), or the hidden ones that are not directories.
  enum class Listed { kFiles, kFilesAndDirs, kHiddenNonDirs };
  // The names in `dir` matching `pattern`, in case-insensitive order, bytes as the file system
  // gives them; false when the directory cannot be listed.
  bool ListMatches(const std::string& dir, const std::string& pattern, Listed listed,
                   std::vector<std::string>& names) const;

  std::string application_dir_;
  HeldDir work_dir_;
  EngineProcess engine_;
  EngineStartError start_error_ = EngineStartError::kNone;
};

}  // namespace dalvo
