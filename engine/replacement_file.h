// A file written under a temporary name beside its final name and renamed over it only once it
// is complete and closed: a reader never sees half a file, two writers never mix their bytes,
// and a failed or interrupted run leaves the older file whole. The temporary name is
// ".NAME.XXXXXX.part" (no pattern of the front-end matches it); SIGTERM, SIGINT and SIGHUP
// remove it before the program ends. Failures come back as errno values.
#pragma once

#include <cstdio>
#include <string>

namespace dalvo {

// How Open treats a name that is taken by something other than a regular file. A symbolic link
// is replaced by the new file, never written through, unless said otherwise here.
struct ReplaceOptions {
  // A device or FIFO at the name (a report into /dev/null, a long-number file on a device) is
  // written in place as it is; false replaces it like a regular file. A directory is never
  // replaced: the rename fails.
  bool write_special_in_place = true;
  // A link that leads to a device, a FIFO or an open descriptor (/dev/stdout) is written through,
  // and so is any link where no file can be made beside it, as reports always were. False
  // refuses such a link instead (O_NOFOLLOW).
  bool follow_links_in_place = false;
};

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  // Discards what was not committed.
  ~ReplacementFile() { Discard(); }

  // Opens a file for writing that is to become `target`: a fresh temporary file beside it with
  // mode 0644 whatever the umask, or, where `options` say so or no file can be made beside it,
  // the target itself (created with mode 0644 before the umask, or truncated). False, with
  // error() set, when neither can be opened.
  [[nodiscard]] bool Open(const std::string& target, const ReplaceOptions& options);

  // The unbuffered stream to write to (callers gather their own large writes); null when no file
  // is open. It stays owned by this object.
  std::FILE* file() const { return file_; }

  // Closes the file and renames it over the target. False, with error() set, when the close or
  // the rename failed; the temporary file is then removed and the target left as it was.
  [[nodiscard]] bool Commit();

  // Closes the file and removes the temporary one; the target keeps its old content. A target
  // written in place keeps what was written so far.
  void Discard();

  // The errno value of the last failure, 0 when there was none.
  int error() const { return error_; }

 private:
  bool OpenInPlace(bool follow_links);

  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temporary_;  // empty when the target is written in place
  int slot_ = -1;          // where the signal handler finds the temporary name, -1 for none
  int error_ = 0;
};

}  // namespace dalvo
