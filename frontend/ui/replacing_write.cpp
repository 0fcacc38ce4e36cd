#include "frontend/ui/replacing_write.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "frontend/logic/leftover_temporaries.h"

namespace dalvo {
namespace {

// How often a random name is drawn again after it turned out to be taken.
constexpr int kNameAttempts = 16;

bool WriteAll(int fd, const std::string& content) {
  const char* data = content.data();
  std::size_t size = content.size();
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

// Gives the unnamed file `fd` the fresh hidden name `name` in `dirfd`. Linking by the
// descriptor needs a capability most users lack; its /proc name works for everyone.
bool LinkUnnamed(int fd, int dirfd, const std::string& name) {
  if (::linkat(fd, "", dirfd, name.c_str(), AT_EMPTY_PATH) == 0) return true;
  if (errno == EEXIST) return false;
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, proc.c_str(), dirfd, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// The new file, open for writing, and the hidden name it has (or will get): an unnamed file
// where the file system makes one, else one created exclusively under a random name. Never
// follows a link and never opens anything that existed before. fd == -1 on failure.
struct NewFile {
  int fd = -1;
  bool unnamed = false;
};

NewFile OpenNewFile(int dirfd, std::string& temporary) {
  const int unnamed = ::openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (unnamed >= 0) return {unnamed, true};
  // Older kernels and some file systems have no unnamed files; anything else is a real
  // failure (no space, no permission) that a named file would meet as well.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return {};
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporary = RandomTemporaryName();
    if (temporary.empty()) return {};
    // O_EXCL with O_CREAT fails on any existing entry, links and pipes included; O_NONBLOCK
    // is only there so that no open in this program can ever wait on a pipe.
    const int fd = ::openat(dirfd, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                            0666);
    if (fd >= 0) return {fd, false};
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace

std::string RandomTemporaryName() {
  constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[kShortTemporaryRandomChars];
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return {};
  std::string name(kShortTemporaryPrefix);
  // 256 is not a multiple of 62; the slight bias costs nothing here, since O_EXCL, not the
  // name, keeps another user's entry from being used.
  for (const unsigned char b : bytes) name += kAlphabet[b % 62];
  return name;
}

bool ReplaceFileIn(int dirfd, const std::string& name, const std::string& content) {
  std::string temporary;
  const NewFile file = OpenNewFile(dirfd, temporary);
  if (file.fd < 0) return false;
  bool ok = WriteAll(file.fd, content);
  if (ok && file.unnamed) {
    ok = false;
    for (int attempt = 0; attempt < kNameAttempts && !ok; ++attempt) {
      temporary = RandomTemporaryName();
      if (temporary.empty()) break;
      ok = LinkUnnamed(file.fd, dirfd, temporary);
      if (!ok && errno != EEXIST) break;
    }
    if (!ok) temporary.clear();  // nothing of ours carries a name
  }
  ok = ::close(file.fd) == 0 && ok;
  // rename replaces a link or a pipe of that name as an entry; it never opens it.
  if (ok && ::renameat(dirfd, temporary.c_str(), dirfd, name.c_str()) == 0) return true;
  if (!temporary.empty()) ::unlinkat(dirfd, temporary.c_str(), 0);
  return false;
}

}  // namespace dalvo
