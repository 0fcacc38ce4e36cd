#include "engine/replacement_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/kept_attributes.h"
#include "engine/pending_temporaries.h"

namespace dalvo {
namespace {

// Six characters that differ between attempts and between processes. Not secret: O_EXCL, not
// the name, keeps another user's file from being taken over.
std::string RandomSuffix() {
  static std::uint64_t state = [] {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<std::uint64_t>(::getpid()) << 32) ^
           static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 20);
  }();
  state += 0x9E3779B97F4A7C15u;  // splitmix64
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  z ^= z >> 31;
  constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix(6, '0');
  for (char& c : suffix) {
    c = kAlphabet[z % 62];
    z /= 62;
  }
  return suffix;
}

// A fixed-length name, so that no target name is too long to have a temporary beside it.
std::string TemporaryName() { return ".dalvo-" + RandomSuffix(); }

constexpr int kNameAttempts = 100;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True for a file a link is written through to: a device, FIFO or terminal, or the very file
// this process's standard output or error already writes to (`/dev/stdout > out.txt`).
bool IsWrittenThrough(const struct stat& leads_to) {
  if (S_ISDIR(leads_to.st_mode)) return false;
  if (!S_ISREG(leads_to.st_mode)) return true;
  struct stat stream {};
  for (const int descriptor : {STDOUT_FILENO, STDERR_FILENO}) {
    if (::fstat(descriptor, &stream) == 0 && SameFile(stream, leads_to)) return true;
  }
  return false;
}

// True for a folder whose names belong to the system: the device folder (as root it can be
// written to, and replacing /dev/stdout there would break every program) and the kernel's own
// file systems. Judged by identity, not by the path.
bool IsSystemFolder(int directory) {
  struct stat folder {};
  struct stat devices {};
  struct stat root {};
  if (::fstat(directory, &folder) != 0) return true;
  if (::stat("/dev", &devices) == 0 && ::stat("/", &root) == 0) {
    const bool devices_mounted = devices.st_dev != root.st_dev;
    if (devices_mounted ? folder.st_dev == devices.st_dev : SameFile(folder, devices)) return true;
  }
  struct statfs system {};
  return ::fstatfs(directory, &system) == 0 &&
         (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC);
}

// True where an unnamed file can later be given a name: through its name under /proc, or as
// root through the descriptor itself. Checked once; /proc does not come and go during a run.
bool CanNameUnnamedFiles() {
  static const bool can = ::geteuid() == 0 || ::access("/proc/self/fd", F_OK) == 0;
  return can;
}

// Writes all `size` bytes of `bytes` to `descriptor`. 0 or the errno value.
int WriteAll(int descriptor, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(descriptor, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

bool ReplacementFile::Open(const std::string& target, const ReplaceOptions& options) {
  Discard();
  target_ = target;
  error_ = 0;
  special_in_place_ = options.write_special_in_place;
  if (target.empty() || target.back() == '/') {
    return OpenInPlace(options.follow_links_in_place, nullptr);  // no name to put a file under
  }
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : target.substr(0, slash);
  base_ = slash == std::string::npos ? target : target.substr(slash + 1);
  directory_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (directory_ < 0) {
    error_ = errno;
    return false;
  }

  struct stat st {};
  if (::fstatat(directory_, base_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return OpenNew(nullptr);
    error_ = errno;  // ENAMETOOLONG and the like: no name could be written either
    CloseDirectory();
    return false;
  }
  if (S_ISDIR(st.st_mode)) {  // neither replaced nor written
    error_ = EISDIR;
    CloseDirectory();
    return false;
  }
  if (S_ISREG(st.st_mode)) {
    // A rename would leave the other links with the old content.
    if (st.st_nlink > 1) return OpenInPlace(false, &st);
    return OpenNew(&st);
  }
  if (S_ISLNK(st.st_mode)) {
    struct stat leads_to {};
    const bool reached = ::fstatat(directory_, base_.c_str(), &leads_to, 0) == 0;
    if (options.follow_links_in_place && reached && IsWrittenThrough(leads_to)) {
      return OpenInPlace(true, &leads_to);
    }
    // Only the system puts links in its own folders (/dev/stdout, /dev/fd/3, /proc/self/fd/3),
    // and they lead to what this process's descriptors already reach: such a link that leads
    // to a file is written through. Nothing is ever renamed over there.
    if (IsSystemFolder(directory_)) {
      const bool through = options.follow_links_in_place && reached && !S_ISDIR(leads_to.st_mode);
      return through ? OpenInPlace(true, &leads_to) : OpenInPlace(false, nullptr);
    }
    return OpenNew(nullptr);  // the link goes, a new file of this user's takes its name
  }
  if (options.write_special_in_place || IsSystemFolder(directory_)) return OpenInPlace(false, &st);
  return OpenNew(nullptr);
}

bool ReplacementFile::OpenNew(const struct stat* old_status) {
  PrepareStopSignals();
  replacing_ = old_status != nullptr;
  // A new file gets what any program's would: 0666 less the umask (or the folder's default
  // list). A replacement of this user's own file starts with the old mode, which usually holds
  // as it is; one of another owner's starts private and gets its mode once the owner is settled.
  const bool own = old_status != nullptr && old_status->st_uid == ::geteuid() &&
                   old_status->st_gid == ::getegid();
  const mode_t mode = old_status == nullptr ? 0666 : own ? (old_status->st_mode & 0777) : 0600;
  int descriptor = -1;
  int error = EOPNOTSUPP;
  if (CanNameUnnamedFiles()) {
    descriptor = ::openat(directory_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    error = descriptor < 0 ? errno : 0;
  }
  if (descriptor < 0 && (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)) {
    // No unnamed files here: a short hidden name that a stop signal removes.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      std::string name = TemporaryName();
      descriptor = CreatePendingFile(directory_, name, static_cast<int>(mode), &slot_);
      if (descriptor >= 0) {
        temporary_ = std::move(name);
        break;
      }
      error = errno;
      if (error != EEXIST) break;
    }
  }
  if (descriptor < 0) {
    // Only a folder this user may not create files in is a reason to write the file itself; a
    // full disk or a quota is not: writing in place there would destroy the old file.
    if (error == EACCES || error == EPERM || error == EROFS) return OpenInPlace(false, old_status);
    error_ = error;
    CloseDirectory();
    return false;
  }
  if (old_status != nullptr) {
    // The old file is reached through the folder that was checked, by its name there.
    char old_path[sizeof "/proc/self/fd/" + 16 + NAME_MAX];
    std::snprintf(old_path, sizeof old_path, "/proc/self/fd/%d/%s", directory_, base_.c_str());
    error_ = KeepAttributes(old_path, *old_status, descriptor);
    if (error_ != 0) {
      ::close(descriptor);
      Discard();
      return false;
    }
  }
  return AdoptDescriptor(descriptor);
}

bool ReplacementFile::OpenInPlace(bool follow_links, const struct stat* expected) {
  const int at = directory_ >= 0 ? directory_ : AT_FDCWD;
  const std::string& name = directory_ >= 0 ? base_ : target_;
  // A link is followed only to the file that was checked, which exists: nothing is created
  // through a link. A FIFO blocks here until a reader comes, as a report into a pipe's name
  // should; where special files are not to be written (the marker), one that stands in the way
  // of a folder this user may not create files in is refused without waiting on it.
  const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | (follow_links ? 0 : O_NOFOLLOW | O_CREAT) |
                    (special_in_place_ ? 0 : O_NONBLOCK);
  const int descriptor = ::openat(at, name.c_str(), flags, 0666);
  CloseDirectory();
  if (descriptor < 0) {
    error_ = errno;
    return false;
  }
  // Truncated only once it is known to be the file that was checked.
  struct stat st {};
  int error = ::fstat(descriptor, &st) == 0 ? 0 : errno;
  if (error == 0 && expected != nullptr && !SameFile(st, *expected)) {
    error = EAGAIN;  // swapped since it was checked: try again, nothing was touched
  }
  if (error == 0 && !special_in_place_ && !S_ISREG(st.st_mode)) error = EACCES;
  if (error == 0 && S_ISREG(st.st_mode) && ::ftruncate(descriptor, 0) != 0) error = errno;
  if (error != 0) {
    error_ = error;
    ::close(descriptor);
    return false;
  }
  return AdoptDescriptor(descriptor);
}

bool ReplacementFile::AdoptDescriptor(int descriptor) {
  file_ = ::fdopen(descriptor, "w");
  if (file_ == nullptr) {
    error_ = errno;
    ::close(descriptor);
    Discard();
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  return true;
}

bool ReplacementFile::Commit() {
  if (file_ == nullptr) {
    if (error_ == 0) error_ = EBADF;
    return false;
  }
  bool ok = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  if (!ok) error_ = errno != 0 ? errno : EIO;
  if (ok && directory_ >= 0) {
    if (const int error = PutInPlace(::fileno(file_)); error != 0) {
      error_ = error;
      ok = false;
    }
  }
  if (std::fclose(file_) != 0 && ok) {
    error_ = errno;
    ok = false;
  }
  file_ = nullptr;
  Discard();  // whatever name the new file still has
  return ok;
}

int ReplacementFile::PutInPlace(int descriptor) {
  if (temporary_.empty()) {
    // Nothing under the name: the new file is linked there directly, with no name in between.
    int error = replacing_ ? EEXIST : LinkOpenFile(descriptor, directory_, base_);
    if (error != EEXIST) return error;
    for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
      std::string name = TemporaryName();
      error = LinkPendingFile(descriptor, directory_, name, &slot_);
      if (error == 0) temporary_ = std::move(name);
    }
    if (error != 0) return error;
  }
  const int error = RenamePendingFile(directory_, temporary_, base_, &slot_);
  if (error == 0) temporary_.clear();
  // A mount point cannot be renamed over; what is mounted there is written in place instead.
  return error == EBUSY ? CopyOverMountPoint(descriptor) : error;
}

int ReplacementFile::CopyOverMountPoint(int descriptor) {
  const int out = ::openat(directory_, base_.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (out < 0) return errno;
  int error = ::ftruncate(out, 0) == 0 ? 0 : errno;
  std::vector<char> buffer(std::size_t{1} << 16);
  for (off_t at = 0; error == 0;) {
    const ssize_t n = ::pread(descriptor, buffer.data(), buffer.size(), at);
    if (n <= 0) {
      if (n < 0) error = errno;
      break;
    }
    error = WriteAll(out, buffer.data(), static_cast<std::size_t>(n));
    at += n;
  }
  if (::close(out) != 0 && error == 0) error = errno;
  return error;
}

void ReplacementFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    RemovePendingFile(directory_, temporary_, &slot_);
    temporary_.clear();
  }
  CloseDirectory();
}

void ReplacementFile::CloseDirectory() {
  if (directory_ >= 0) ::close(directory_);
  directory_ = -1;
}

}  // namespace dalvo
