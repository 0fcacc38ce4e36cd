#include "division_reads.h"

#include <unistd.h>

#include <cerrno>

namespace dalvo {

long ReadOnce(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size,
              std::int64_t offset) {
  for (;;) {
    long got;
    if (read) {
      got = read(input, buffer, size, offset);
    } else if (offset < 0) {
      got = static_cast<long>(::read(input, buffer, size));
    } else {
      got = static_cast<long>(::pread(input, buffer, size, static_cast<off_t>(offset)));
    }
    if (got >= 0 || errno != EINTR) return got;
  }
}

Filled ReadFull(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size,
                std::int64_t offset) {
  Filled filled;
  while (filled.bytes < size) {
    const std::int64_t at = offset < 0 ? -1 : offset + static_cast<std::int64_t>(filled.bytes);
    const long got = ReadOnce(read, input, buffer + filled.bytes, size - filled.bytes, at);
    if (got < 0) {
      filled.failed = true;
      filled.error = errno;
      break;
    }
    if (got == 0) break;
    filled.bytes += static_cast<std::size_t>(got);
  }
  return filled;
}

}  // namespace dalvo
