// HeldFile: a regular file held open for reading by its descriptor, the ReadableFile that
// QtPlatform hands out. Reads go through the descriptor at an offset (pread), so the file is the
// one that was opened whatever its name comes to mean; the descriptor is closed with the
// object. POSIX only; failures are values.
#pragma once

#include <cstdint>

#include "frontend/logic/platform.h"

namespace dalvo {

class HeldFile : public ReadableFile {
 public:
  // Takes over `fd`, an open descriptor of a regular file.
  explicit HeldFile(int fd) : fd_(fd) {}
  ~HeldFile() override;
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  // Fills `buffer` as far as the file goes (a read interrupted or cut short is continued).
  std::optional<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                                    std::size_t count) override;
  std::optional<std::uint64_t> Size() override;

 private:
  int fd_;
};

}  // namespace dalvo
