// ByteSource: where a reader finds the bytes of a text again by their offset, a stretch at a
// time, without holding them all: the viewer's block cache over the file it shows, or a string
// in a test. A stretch ends where the source chooses; an empty one means nothing can be read
// there (past the end, or a failed read).
#pragma once

#include <cstdint>
#include <string_view>

namespace dalvo {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The bytes from offset `at` on, at least one unless none can be read there. The view stays
  // valid until the next call.
  virtual std::string_view BytesAt(std::uint64_t at) = 0;
};

}  // namespace dalvo
