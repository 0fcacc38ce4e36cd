// ByteStore: a file's bytes kept in private memory, appended piece by piece into chunks of a
// fixed size, so a gigabyte needs no contiguous block and growing never copies what is stored.
// Being a copy, it stays whole when the file is truncated, rewritten or deleted while shown.
// The owner bounds the reads; nothing here fails but the allocation.
#ifndef DALVO_FRONTEND_LOGIC_BYTE_STORE_H_
#define DALVO_FRONTEND_LOGIC_BYTE_STORE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dalvo {

class ByteStore {
 public:
  static constexpr std::size_t kDefaultChunkBytes = std::size_t{1} << 20;

  // `chunk_bytes` (0 counts as 1) is the size of each block of memory.
  explicit ByteStore(std::size_t chunk_bytes = kDefaultChunkBytes);

  // Appends `bytes` after what is stored.
  void Append(std::string_view bytes);

  std::uint64_t Size() const { return size_; }

  // Appends the stored bytes [at, at + count) to `out`; at + count <= Size().
  void AppendTo(std::uint64_t at, std::uint64_t count, std::string& out) const;

 private:
  std::size_t chunk_bytes_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::uint64_t size_ = 0;
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_BYTE_STORE_H_
