// Platform: the abstract seam between the front-end's logic and the operating system: files,
// wildcard listings, directories, the held work directory and the engine process. The logic owns
// no OS resource; the real implementation is QtPlatform (frontend/ui/), the test double
// FakePlatform. Every call reports failure as a value (false, an empty optional, `ok == false`);
// nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dalvo {

// What an lstat-like look at a path found. Symbolic links are reported as links, never
// followed.
enum class EntryKind { kMissing, kDirectory, kRegularFile, kSymlink, kOther };

struct EntryInfo {
  EntryKind kind = EntryKind::kMissing;
  bool owned_by_current_user = false;  // owner uid equals the process's effective uid
  unsigned mode = 0;                   // permission bits, 07777 at most
  // Identity and last change: two looks at one name that agree on all four saw the same,
  // unchanged file. Writing a file in place changes `changed_ns`; replacing it, `inode`.
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t changed_ns = 0;
};

// What HoldWorkDir found: the entry (as the held descriptor sees it when `held`, else as a look
// at the name without following a link sees it) and whether it is now held.
struct WorkDirHold {
  EntryInfo entry;
  bool held = false;
};

// How the held work directory stands against its name.
enum class WorkDirState {
  kSame,      // the name still refers to the held directory
  kVanished,  // nothing of that name exists any more
  kReplaced,  // the name refers to something else
  kNotHeld,   // no directory is held
};

// The outcome of LockWorkDir.
enum class WorkDirLock { kLocked, kBusy, kFailed };

// The result of a wildcard listing. `ok` is false when the listing itself failed (the
// directory cannot be read); otherwise `name` is the first match or "" when nothing matches.
struct MatchResult {
  bool ok = true;
  std::string name;
};

// How the last engine process started by this platform stands.
enum class EngineRun {
  kNone,     // no engine was started, or its start failed
  kRunning,  // started and not known to have ended
  kExited,   // ended normally; `exit_code` holds its status
  kCrashed,  // ended by a signal
};

struct EngineStatus {
  EngineRun run = EngineRun::kNone;
  int exit_code = 0;  // meaningful for kExited only
};

// Why the last StartEngine failed.
enum class EngineStartError {
  kNone,           // it did not fail
  kMissing,        // no program file at the engine's path (nothing, or not a regular file)
  kNotExecutable,  // a file that may not or cannot be executed (permission, format)
  kFailed,         // the process could not be made (resources, limits, anything else)
};

// A regular file opened for reading and held open by its owner until released: the same file
// stays readable at any offset however its name is renamed over or removed afterwards; a file
// truncated under it reads short. Not thread-safe.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to `count` bytes at `offset` into `buffer`: the number read, fewer than `count`
  // only at the file's present end (0 at or past it); empty when the read fails.
  virtual std::optional<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                                            std::size_t count) = 0;
  // The file's present size in bytes; empty when it cannot be told.
  virtual std::optional<std::uint64_t> Size() = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The directory of the running front-end's executable, without a promise about a final
  // separator. Never fails; may be "" when unknown.
  virtual std::string ApplicationDir() = 0;

  // The value of the environment variable `name`; "" when it is not set.
  virtual std::string Environment(const std::string& name) = 0;

  // The process's current directory as an absolute path; "" when it cannot be told.
  virtual std::string CurrentDir() = 0;

  // Looks at `path` without following a final symbolic link. kind == kMissing when nothing of
  // that name exists (or it cannot be examined).
  virtual EntryInfo Inspect(const std::string& path) = 0;

  // --- The held work directory ---
  // Once a directory is held, every call below whose directory (`dir`, or the directory part of
  // a path) is the held one reaches it through what was held, never by looking its name up
  // again, and never follows a symbolic link of a name inside it; a name swapped after the
  // check cannot redirect a file, a listing or the engine.

  // Opens the directory `path` without following a link and holds it (replacing any directory
  // held before). When it cannot be opened as a directory nothing is held and `entry` tells
  // what is there. The hold lasts until the next HoldWorkDir or ReleaseWorkDir.
  virtual WorkDirHold HoldWorkDir(const std::string& path) = 0;
  // Lets go of the held directory (and its lock).
  virtual void ReleaseWorkDir() = 0;
  // Whether the name of the held directory still refers to it. Cheap; no change.
  virtual WorkDirState CheckWorkDir() = 0;
  // Takes the held directory for this program until it lets go of it: kBusy when another
  // program (another copy of this one, or an engine a closed copy started) has taken it,
  // kFailed when nothing is held or the lock cannot be asked for. An engine started in the
  // held directory shares the lock until it ends, also after this program has let go.
  virtual WorkDirLock LockWorkDir() = 0;
  // The held directory as its descriptor sees it now (kind, owner, mode, identity), so a mode
  // widened after it was taken shows. kind == kMissing when nothing is held.
  virtual EntryInfo InspectHeldWorkDir() = 0;

  // Creates the directory `path` with permission 0700 (the parent must exist). False when it
  // cannot be created, including when anything of that name already exists.
  [[nodiscard]] virtual bool CreatePrivateDir(const std::string& path) = 0;

  // Makes `path` the process's current directory. False on failure.
  [[nodiscard]] virtual bool SetCurrentDir(const std::string& path) = 0;

  // Lists the directory `dir` (ends in a separator) and returns the first name that matches
  // `pattern` ("*" any run of characters, "?" one character; letters compared without regard
  // to case), in case-insensitive name order. Only regular files (and, with `include_dirs`,
  // directories) are listed; hidden entries (names starting with ".") never. The name comes
  // without its directory part.
  virtual MatchResult FirstMatch(const std::string& dir, const std::string& pattern,
                                 bool include_dirs = false) = 0;

  // All names of `dir` that FirstMatch would consider, in the same order, into `names`
  // (replaced). Names come as the file system gives them, bytes unchanged. False when the
  // directory cannot be listed; `names` is then empty.
  [[nodiscard]] virtual bool ListMatching(const std::string& dir, const std::string& pattern,
                                          std::vector<std::string>& names) = 0;

  // The hidden entries of `dir` (names starting with ".", but not "." and ".."), anything but
  // directories, bytes unchanged, into `names` (replaced). False when `dir` cannot be listed;
  // `names` is then empty. FirstMatch and ListMatching never give these names.
  [[nodiscard]] virtual bool ListHidden(const std::string& dir, std::vector<std::string>& names) = 0;

  // Deletes the one file `path` (exactly that name, never a directory). False when it cannot.
  [[nodiscard]] virtual bool DeleteFile(const std::string& path) = 0;

  // Deletes every regular file of `dir` whose name matches `pattern` (rules of FirstMatch).
  // True when nothing matched or every match was deleted; false when the listing or any
  // deletion failed (the other matches are still deleted).
  [[nodiscard]] virtual bool DeleteMatching(const std::string& dir, const std::string& pattern) = 0;

  // Renames the file `source` to `target` (both full paths). Fails, changing nothing, when
  // the source is missing or the target already exists.
  [[nodiscard]] virtual bool Rename(const std::string& source, const std::string& target) = 0;

  // The size in bytes of the regular file `path`; empty when it cannot be examined.
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;

  // Reads the file `path` from its start in pieces of at most `piece_bytes` bytes (0 counts as
  // 1) and hands each to `sink` in file order; reading stops after a piece for which `sink`
  // returns false. `size` receives the file's size in bytes when it was opened. Only one piece
  // is held at a time. False when the file cannot be opened or a read fails; `sink` may then
  // have seen part of the file.
  [[nodiscard]] virtual bool ReadFileInPieces(
      const std::string& path, std::size_t piece_bytes,
      const std::function<bool(std::string_view)>& sink, std::uint64_t& size) = 0;

  // Opens the regular file `path` for reading and hands it over held open (inside the held work
  // directory through its descriptor, the name's own link never followed). A named pipe or a
  // device is refused without waiting on it. nullptr when the file cannot be opened or is not
  // a regular file.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;

  // Writes `content` to `path`: into a new file of its own beside it (unnamed where the file
  // system allows, else created exclusively under a hidden name nobody can guess; never an
  // existing entry, a link, a pipe or a device), which is renamed over `path` once whole, so
  // `path` holds the old content or the new, never a part, and nothing is ever opened under
  // `path` itself. False on any failure (the new file is then removed).
  [[nodiscard]] virtual bool WriteFile(const std::string& path, const std::string& content) = 0;

  // Starts `program` with the argument list `args` (no shell, no quoting; every argument passes
  // as its bytes, whatever they are) in `working_dir` (in the held directory itself when that
  // is the held one, and then sharing its lock), asynchronously; its standard input, output and
  // error are the null device. Returns false when the process could not be started;
  // LastStartError then says why. One engine at a time: a new start forgets the previous
  // process without stopping it.
  [[nodiscard]] virtual bool StartEngine(const std::string& program,
                                         const std::vector<std::string>& args,
                                         const std::string& working_dir) = 0;

  // How the process of the last successful StartEngine stands now. Cheap; called every tick.
  virtual EngineStatus PollEngine() = 0;

  // Why the last StartEngine failed; kNone after one that succeeded.
  virtual EngineStartError LastStartError() = 0;
};

}  // namespace dalvo
