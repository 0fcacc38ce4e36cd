#include "engine/kept_attributes.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace dalvo {
namespace {

constexpr const char* kAccessList = "system.posix_acl_access";

// The names of `path`'s extended attributes, each ending in '\0'; empty where there are none or
// the file system has none. `*unreadable` is set when the file could not be reached at all.
std::vector<char> AttributeNames(const char* path, bool* unreadable) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = ::llistxattr(path, nullptr, 0);
    if (size <= 0) {
      *unreadable = size < 0 && errno != ENOTSUP;
      return {};
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::llistxattr(path, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<std::size_t>(got));
      return names;
    }
    if (errno != ERANGE) break;  // ERANGE: the list grew meanwhile; read it again
  }
  *unreadable = true;
  return {};
}

// Copies the attribute `name` of `path` to `fresh`. False when it could not be read or set.
bool CopyAttribute(const char* path, const char* name, int fresh) {
  const ssize_t size = ::lgetxattr(path, name, nullptr, 0);
  if (size < 0) return false;
  std::vector<char> value(static_cast<std::size_t>(size));
  const ssize_t got = ::lgetxattr(path, name, value.data(), value.size());
  return got >= 0 && ::fsetxattr(fresh, name, value.data(), static_cast<std::size_t>(got), 0) == 0;
}

}  // namespace

int KeepAttributes(const char* old_path, const struct stat& old_status, int fresh) {
  mode_t mode = old_status.st_mode & 07777;
  struct stat fresh_status {};
  if (::fstat(fresh, &fresh_status) != 0) return errno;

  // Owner and group in one call where permitted (root); otherwise the group alone, which a
  // user may set to any group of theirs. The new file's group decides what its group bits mean.
  if (fresh_status.st_uid != old_status.st_uid || fresh_status.st_gid != old_status.st_gid) {
    if (::fchown(fresh, old_status.st_uid, old_status.st_gid) != 0) {
      static_cast<void>(::fchown(fresh, static_cast<uid_t>(-1), old_status.st_gid));
    }
    if (::fstat(fresh, &fresh_status) != 0) return errno;
    if (fresh_status.st_gid != old_status.st_gid) {
      mode &= ~static_cast<mode_t>(S_ISGID | 077);  // other people than the old group's
    }
  }

  // Where the old file cannot be reached to read its attributes, a list it may have had is not
  // honoured by wider bits either.
  bool list_lost = false;
  const std::vector<char> names = AttributeNames(old_path, &list_lost);
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
    const char* name = names.data() + at;
    if (!CopyAttribute(old_path, name, fresh) && std::strcmp(name, kAccessList) == 0) {
      list_lost = true;
    }
  }
  // With its list the group bits are the list's mask; without it they would open the file to
  // the whole owning group, which the list may have kept out.
  if (list_lost) mode &= ~static_cast<mode_t>(070);

  // Last, so a list's mask ends as the old mode says; chown has cleared set-id bits by now.
  if (names.empty() && (fresh_status.st_mode & 07777) == mode) return 0;
  if (::fchmod(fresh, mode) != 0) return errno;
  return 0;
}

}  // namespace dalvo
