// FakePlatform: an in-memory Platform for tests. Files live in a map keyed by full path; the
// environment is a map; the held work directory's fate (removed, replaced) and its lock are
// scripted by the test, as is the engine (running, exited with a code, crashed, or failing to
// start); every call is recorded and any call can be told to fail. Not thread-safe; test use
// only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "frontend/logic/platform.h"

namespace dalvo {

class FakePlatform : public Platform {
 public:
  // The calls that can be told to fail.
  enum class Op { kFirstMatch, kDeleteMatching, kRename, kFileSize, kReadFile, kWriteFile,
                  kSetCurrentDir, kCreatePrivateDir, kListMatching, kDeleteFile,
                  kListHidden };

  struct Start {
    std::string program;
    std::vector<std::string> args;
    std::string working_dir;
  };

  // --- Scripting ---
  // Makes the next `times` calls of `op` whose path argument (dir + pattern for listings)
  // contains `path_part` fail; times < 0 fails them for ever.
  void FailNext(Op op, const std::string& path_part = "", int times = 1);
  // Adds or replaces a file (a new version of it, as the engine's rewrite makes one).
  void PutFile(const std::string& path, const std::string& content = "");
  bool HasFile(const std::string& path) const { return files_.count(path) != 0; }
  // Cuts the file `path` to `size` bytes in place: the copies held open by OpenForReading are
  // cut too, as a truncated inode is.
  void TruncateFile(const std::string& path, std::size_t size);
  // The bare names of the regular files directly in `dir` (ends in "/"), sorted by name.
  std::vector<std::string> FilesIn(const std::string& dir) const;

  // --- Platform ---
  std::string ApplicationDir() override { return application_dir_; }
  std::string Environment(const std::string& name) override;
  // current_dir_ once set, start_dir_ before.
  std::string CurrentDir() override;
  // Files are regular, the user's, mode 0644; their inode is their version, new at every
  // write and kept by a rename.
  EntryInfo Inspect(const std::string& path) override;
  // Holds `path` when Inspect calls it a directory (work_dir_state_ becomes kSame). Once a
  // directory was asked for, paths in it fail while nothing is held, as no name is followed.
  WorkDirHold HoldWorkDir(const std::string& path) override;
  void ReleaseWorkDir() override;
  // kNotHeld when nothing is held, else work_dir_state_.
  WorkDirState CheckWorkDir() override;
  // kFailed when nothing is held, else lock_answer_.
  WorkDirLock LockWorkDir() override;
  // Inspect(held_) while something is held: a test widens it through entries_.
  EntryInfo InspectHeldWorkDir() override;
  bool CreatePrivateDir(const std::string& path) override;
  bool SetCurrentDir(const std::string& path) override;
  MatchResult FirstMatch(const std::string& dir, const std::string& pattern,
                         bool include_dirs = false) override;
  bool ListMatching(const std::string& dir, const std::string& pattern,
                    std::vector<std::string>& names) override;
  // The hidden names among files_ and the non-directory entries_ directly in `dir`, sorted.
  bool ListHidden(const std::string& dir, std::vector<std::string>& names) override;
  bool DeleteFile(const std::string& path) override;
  bool DeleteMatching(const std::string& dir, const std::string& pattern) override;
  bool Rename(const std::string& source, const std::string& target) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  // Honours the kReadFile failures, unreadable_ and read_fails_after_pieces_.
  bool ReadFileInPieces(const std::string& path, std::size_t piece_bytes,
                        const std::function<bool(std::string_view)>& sink,
                        std::uint64_t& size) override;
  // The file as it is now, held: later PutFile or removal leaves it alone, TruncateFile cuts
  // it. Honours the kReadFile failures and unreadable_ at the open, read_fails_after_pieces_
  // (reads of this file) and counts pieces_read_ and largest_piece_.
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  bool WriteFile(const std::string& path, const std::string& content) override;
  bool StartEngine(const std::string& program, const std::vector<std::string>& args,
                   const std::string& working_dir) override;
  EngineStatus PollEngine() override;
  // start_error_ after a start that failed, else kNone.
  EngineStartError LastStartError() override;

  // --- State the test sets and reads ---
  std::string application_dir_ = "/opt/dalvo";
  std::map<std::string, std::string> env_{{"TMPDIR", "/tmp"}};  // unset: absent
  std::string start_dir_ = "/home/user/start";
  std::string current_dir_;
  std::string held_;                                   // the held directory, "" when none
  WorkDirState work_dir_state_ = WorkDirState::kSame;  // how the held one stands
  WorkDirLock lock_answer_ = WorkDirLock::kLocked;
  bool locked_ = false;                                // LockWorkDir succeeded on held_
  std::map<std::string, std::string> files_;    // full path -> content
  std::map<std::string, EntryInfo> entries_;    // full path -> directories, links, odd entries
  std::set<std::string> undeletable_;           // full paths DeleteMatching cannot remove
  std::set<std::string> unreadable_;            // full paths ReadFileInPieces cannot read
  // ReadFileInPieces fails after handing out this many pieces, and a file held open by
  // OpenForReading after this many reads of it; negative: never.
  int read_fails_after_pieces_ = -1;
  // Pieces ReadFileInPieces has handed out and reads of held files, all calls; the largest
  // piece or read asked for, in bytes.
  std::size_t pieces_read_ = 0;
  std::size_t largest_piece_ = 0;
  bool engine_fails_to_start_ = false;
  EngineStartError start_error_ = EngineStartError::kFailed;  // why it fails, when it does
  EngineStatus engine_;                         // what PollEngine answers
  // Runs at the start of every PollEngine, before it answers: lets a test make the engine
  // write its files and exit at an exact moment.
  std::function<void()> on_poll_;
  std::vector<Start> started_;
  std::vector<std::pair<std::string, std::string>> renamed_;  // source, target
  std::vector<std::string> deleted_;                          // full paths
  std::vector<std::string> created_dirs_;
  int poll_count_ = 0;

 private:
  struct FailRule {
    Op op;
    std::string path_part;
    int times;
  };
  bool ShouldFail(Op op, const std::string& path);
  // True for a path in the work directory while it is not held.
  bool Unreachable(const std::string& path) const;

  // The names of the entries directly in `dir` that a listing with `pattern` gives, in order.
  std::vector<std::string> Matches(const std::string& dir, const std::string& pattern,
                                   bool include_dirs) const;

  std::vector<FailRule> fail_rules_;
  std::map<std::string, std::uint64_t> versions_;  // full path -> version of the file
  // full path -> the contents of the file of that name held open (OpenForReading)
  std::map<std::string, std::vector<std::weak_ptr<std::string>>> held_files_;
  std::string work_dir_name_;                      // the last path HoldWorkDir was asked for
  std::uint64_t next_version_ = 1;
};

}  // namespace dalvo
