// A file written as a new, unnamed file in the folder of its final name and put in place by a
// rename only once it is complete: a reader never sees half a file, two writers never mix their
// bytes, and a failed, stopped or killed run leaves the older file whole and nothing beside it.
// Where the file system has no unnamed files, a short hidden name ".dalvo-XXXXXX" serves, which a
// stop signal removes. The new file keeps what the owner set on the old one (kept_attributes.h).
// Failures come back as errno values.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace dalvo {

// How Open treats a name that is taken by something other than a regular file. A symbolic link
// is replaced by the new file, never written through, unless said otherwise here.
struct ReplaceOptions {
  // A device or FIFO at the name (a report into /dev/null, a long-number file on a device) is
  // written in place as it is; false replaces it like a regular file. A directory is never
  // replaced: Open fails with EISDIR.
  bool write_special_in_place = true;
  // A link that leads to a device, a FIFO, a terminal or this process's own standard output or
  // error (/dev/stdout) is written through. Judged by the file it leads to, never by its text.
  bool follow_links_in_place = false;
};

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  // Discards what was not committed.
  ~ReplacementFile() { Discard(); }

  // Opens a file for writing that is to become `target`: a new file in its folder, mode
  // 0666 less the umask, or the old file's mode, owner and attributes where one is replaced.
  // The target itself is written in place (truncated, or created) only where replacing cannot be
  // meant: a device or FIFO (see `options`), a file with several hard links (every link is to see
  // the new content), a folder where this user may not create files (EACCES, EPERM, EROFS), the
  // system's device folder. False, with error() set, for every other failure (ENOSPC, EDQUOT,
  // ENAMETOOLONG, ENOENT, EISDIR, ...): nothing was changed then.
  [[nodiscard]] bool Open(const std::string& target, const ReplaceOptions& options);

  // The unbuffered stream to write to (callers gather their own large writes); null when no file
  // is open. It stays owned by this object.
  std::FILE* file() const { return file_; }

  // Puts the new file in place under the target's name and closes it. A target that is a mount
  // point (which no rename can replace) is written in place from the new file. False, with
  // error() set, when that failed; the new file is then removed and the target left as it was.
  [[nodiscard]] bool Commit();

  // Closes the file and removes the new one; the target keeps its old content. A target
  // written in place keeps what was written so far.
  void Discard();

  // The errno value of the last failure, 0 when there was none.
  int error() const { return error_; }

 private:
  bool OpenInPlace(bool follow_links, const struct stat* expected);
  bool OpenNew(const struct stat* old_status);
  bool AdoptDescriptor(int descriptor);
  int PutInPlace(int descriptor);
  int CopyOverMountPoint(int descriptor);
  void CloseDirectory();

  std::FILE* file_ = nullptr;
  std::string target_;
  int directory_ = -1;     // O_PATH descriptor of the target's folder, -1 when written in place
  std::string base_;       // the target's last component, looked up in directory_
  std::string temporary_;  // a named new file in directory_; empty for an unnamed one
  int slot_ = -1;          // where a stop signal finds temporary_, -1 for none
  bool replacing_ = false;  // a regular file had the name when the new one was opened
  bool special_in_place_ = true;  // ReplaceOptions::write_special_in_place of this Open
  int error_ = 0;
};

}  // namespace dalvo
