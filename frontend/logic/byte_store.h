// ByteStore: a file's bytes kept in private memory, appended piece by piece into blocks, so a
// gigabyte needs no contiguous allocation and growing never copies what is stored. Being a copy,
// it stays whole when the file is truncated, rewritten or deleted while shown. The first block is
// small (a help text costs kilobytes); the others are large and asked for in huge pages where
// the system offers them, since touching fresh memory page by page costs more than reading the
// file. The owner bounds the reads; nothing here fails but the allocation.
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
  static constexpr std::size_t kDefaultBlockBytes = std::size_t{4} << 20;
  static constexpr std::size_t kFirstBlockBytes = std::size_t{64} << 10;

  // `block_bytes` (0 counts as 1) is the size of every block after the first, which holds
  // at most kFirstBlockBytes.
  explicit ByteStore(std::size_t block_bytes = kDefaultBlockBytes);

  // Appends `bytes` after what is stored.
  void Append(std::string_view bytes);

  std::uint64_t Size() const { return size_; }

  // Appends the stored bytes [at, at + count) to `out`; at + count <= Size().
  void AppendTo(std::uint64_t at, std::uint64_t count, std::string& out) const;

 private:
  struct FreeBlock {
    void operator()(char* block) const;
  };
  using Block = std::unique_ptr<char[], FreeBlock>;

  static Block NewBlock(std::size_t bytes);
  // The block holding offset `at`, and the offset within it.
  std::size_t BlockOf(std::uint64_t at) const;
  std::size_t OffsetIn(std::uint64_t at) const;
  std::size_t BlockSize(std::size_t block) const { return block == 0 ? first_bytes_ : block_bytes_; }

  std::size_t block_bytes_;
  std::size_t first_bytes_;
  std::vector<Block> blocks_;
  std::uint64_t size_ = 0;
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_BYTE_STORE_H_
