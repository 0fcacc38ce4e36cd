#include "frontend/ui/held_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

namespace dalvo {

HeldFile::~HeldFile() { ::close(fd_); }

std::optional<std::size_t> HeldFile::ReadAt(std::uint64_t offset, char* buffer,
                                            std::size_t count) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return 0;
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, buffer + done, count - done,
                                static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;  // the file's end, as it is now
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::optional<std::uint64_t> HeldFile::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace dalvo
