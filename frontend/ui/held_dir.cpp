#include "frontend/ui/held_dir.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace dalvo {

EntryInfo DescribeStat(const struct stat& st) {
  EntryInfo info;
  if (S_ISLNK(st.st_mode)) {
    info.kind = EntryKind::kSymlink;
  } else if (S_ISDIR(st.st_mode)) {
    info.kind = EntryKind::kDirectory;
  } else if (S_ISREG(st.st_mode)) {
    info.kind = EntryKind::kRegularFile;
  } else {
    info.kind = EntryKind::kOther;
  }
  info.owned_by_current_user = st.st_uid == ::geteuid();
  info.mode = static_cast<unsigned>(st.st_mode) & 07777u;
  info.device = static_cast<std::uint64_t>(st.st_dev);
  info.inode = static_cast<std::uint64_t>(st.st_ino);
  info.size = static_cast<std::uint64_t>(st.st_size);
  info.changed_ns = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return info;
}

HeldDir::~HeldDir() { Release(); }

WorkDirHold HeldDir::Hold(const std::string& path) {
  Release();
  path_ = path;
  while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
  // O_NOFOLLOW refuses a link in the last place; O_DIRECTORY refuses anything but a directory
  // without opening it (a named pipe would block).
  const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (fd < 0) {
    if (::lstat(path_.c_str(), &st) != 0) return {};
    return {DescribeStat(st), false};
  }
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return {};
  }
  fd_ = fd;
  device_ = st.st_dev;
  inode_ = st.st_ino;
  return {DescribeStat(st), true};
}

void HeldDir::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

WorkDirState HeldDir::Check() const {
  if (fd_ < 0) return WorkDirState::kNotHeld;
  struct stat st {};
  if (::lstat(path_.c_str(), &st) != 0) return WorkDirState::kVanished;
  if (!S_ISDIR(st.st_mode) || st.st_dev != device_ || st.st_ino != inode_) {
    return WorkDirState::kReplaced;
  }
  return WorkDirState::kSame;
}

EntryInfo HeldDir::Inspect() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {};
  return DescribeStat(st);
}

WorkDirLock HeldDir::Lock() {
  if (fd_ < 0) return WorkDirLock::kFailed;
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return WorkDirLock::kLocked;
  return errno == EWOULDBLOCK ? WorkDirLock::kBusy : WorkDirLock::kFailed;
}

bool HeldDir::IsHeldDir(const std::string& dir) const {
  if (path_.empty()) return false;
  return dir == path_ || (dir.size() == path_.size() + 1 && dir.back() == '/' &&
                          dir.compare(0, path_.size(), path_) == 0);
}

std::optional<std::string> HeldDir::NameIn(const std::string& path) const {
  if (path_.empty() || path.size() <= path_.size() + 1) return std::nullopt;
  if (path.compare(0, path_.size(), path_) != 0 || path[path_.size()] != '/') return std::nullopt;
  std::string name = path.substr(path_.size() + 1);
  if (name.find('/') != std::string::npos) return std::nullopt;
  return name;
}

}  // namespace dalvo
