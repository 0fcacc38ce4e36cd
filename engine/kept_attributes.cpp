#include "kept_attributes.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace dalvo {
namespace {

constexpr const char* kAccessList = "system.posix_acl_access";

// The names of `path`'s extended attributes, each ending in '\0'; empty where there are none or
// the file system has none.
std::vector<char> AttributeNames(const char* path) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = ::listxattr(path, nullptr, 0);
    if (size <= 0) return {};
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::listxattr(path, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<std::size_t>(got));
      return names;
    }
    if (errno != ERANGE) return {};  // ERANGE: the list grew meanwhile; read it again
  }
  return {};
}

// Copies the attribute `name` of `path` to `fresh`. False when it could not be read or set.
bool CopyAttribute(const char* path, const char* name, int fresh) {
  const ssize_t size = ::getxattr(path, name, nullptr, 0);
  if (size < 0) return false;
  std::vector<char> value(static_cast<std::size_t>(size));
  const ssize_t got = ::getxattr(path, name, value.data(), value.size());
  return got >= 0 && ::fsetxattr(fresh, name, value.data(), static_cast<std::size_t>(got), 0) == 0;
}

}  // namespace

int KeepAttributes(int old, const struct stat& old_status, int fresh) {
  mode_t mode = old_status.st_mode & 07777;

  // Owner and group in one call where permitted (root); otherwise the group alone, which a
  // user may set to any group of theirs. The new file's group decides what its group bits mean.
  if (::fchown(fresh, old_status.st_uid, old_status.st_gid) != 0) {
    static_cast<void>(::fchown(fresh, static_cast<uid_t>(-1), old_status.st_gid));
  }
  struct stat fresh_status {};
  if (::fstat(fresh, &fresh_status) != 0 || fresh_status.st_gid != old_status.st_gid) {
    mode &= ~static_cast<mode_t>(S_ISGID | 077);  // other people than the old group's
  }

  // The attributes are reached through the O_PATH descriptor's name under /proc: it is the
  // file that was checked, and needs no read permission on it. Without /proc nothing is copied,
  // and a list the old file may have had is then not honoured by wider bits either.
  char path[64];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", old);
  bool list_lost = ::access("/proc/self/fd", F_OK) != 0;
  const std::vector<char> names = AttributeNames(path);
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
    const char* name = names.data() + at;
    if (!CopyAttribute(path, name, fresh) && std::strcmp(name, kAccessList) == 0) list_lost = true;
  }
  // With its list the group bits are the list's mask; without it they would open the file to
  // the whole owning group, which the list may have kept out.
  if (list_lost) mode &= ~static_cast<mode_t>(070);

  // Last, so the list's mask ends as the old mode says; chown has cleared set-id bits by now.
  if (::fchmod(fresh, mode) != 0) return errno;
  return 0;
}

}  // namespace dalvo
