// FakePlatform: an in-memory Platform for tests. Files live in a map keyed by full path; the
// engine is scripted by the test (running, exited with a code, crashed, or failing to start);
// every call is recorded and any call can be told to fail. Not thread-safe; test use only.
#ifndef DALVO_FRONTEND_LOGIC_FAKE_PLATFORM_H_
#define DALVO_FRONTEND_LOGIC_FAKE_PLATFORM_H_

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform.h"

namespace dalvo {

class FakePlatform : public Platform {
 public:
  // The calls that can be told to fail.
  enum class Op { kFirstMatch, kDeleteMatching, kRename, kFileSize, kReadFile, kWriteFile,
                  kSetCurrentDir, kCreatePrivateDir };

  struct Start {
    std::string program;
    std::vector<std::string> args;
    std::string working_dir;
  };

  // --- Scripting ---
  // Makes the next `times` calls of `op` whose path argument (dir + pattern for listings)
  // contains `path_part` fail; times < 0 fails them for ever.
  void FailNext(Op op, const std::string& path_part = "", int times = 1);
  // Adds or replaces a file.
  void PutFile(const std::string& path, const std::string& content = "");
  bool HasFile(const std::string& path) const { return files_.count(path) != 0; }
  // The bare names of the regular files directly in `dir` (ends in "/"), sorted by name.
  std::vector<std::string> FilesIn(const std::string& dir) const;

  // --- Platform ---
  std::string ApplicationDir() override { return application_dir_; }
  std::string TempDir() override { return temp_dir_; }
  EntryInfo Inspect(const std::string& path) override;
  bool CreatePrivateDir(const std::string& path) override;
  bool SetCurrentDir(const std::string& path) override;
  MatchResult FirstMatch(const std::string& dir, const std::string& pattern,
                         bool include_dirs = false) override;
  bool DeleteMatching(const std::string& dir, const std::string& pattern) override;
  bool Rename(const std::string& source, const std::string& target) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  bool ReadFile(const std::string& path, std::string& content) override;
  // Honours the kReadFile failures and unreadable_ like ReadFile, and read_fails_after_pieces_.
  bool ReadFileInPieces(const std::string& path, std::size_t piece_bytes,
                        const std::function<bool(std::string_view)>& sink,
                        std::uint64_t& size) override;
  bool WriteFile(const std::string& path, const std::string& content) override;
  bool StartEngine(const std::string& program, const std::vector<std::string>& args,
                   const std::string& working_dir) override;
  EngineStatus PollEngine() override;

  // --- State the test sets and reads ---
  std::string application_dir_ = "/opt/dalvo";
  std::string temp_dir_ = "/tmp";
  std::string current_dir_;
  std::map<std::string, std::string> files_;    // full path -> content
  std::map<std::string, EntryInfo> entries_;    // full path -> directories, links, odd entries
  std::set<std::string> undeletable_;           // full paths DeleteMatching cannot remove
  std::set<std::string> unreadable_;            // full paths ReadFile cannot read
  // ReadFileInPieces fails after handing out this many pieces; negative: never.
  int read_fails_after_pieces_ = -1;
  std::size_t pieces_read_ = 0;    // pieces ReadFileInPieces has handed out, all calls
  std::size_t largest_piece_ = 0;  // the largest of them, in bytes
  bool engine_fails_to_start_ = false;
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

  std::vector<FailRule> fail_rules_;
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_FAKE_PLATFORM_H_
