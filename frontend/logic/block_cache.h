// BlockCache: a ReadableFile read on demand in blocks aligned to their size and kept while they
// fit a byte bound, the least recently used block given up first, so reading any part of a file
// of any size costs a few blocks of memory. It borrows the file. A failed read keeps nothing and
// gives an empty stretch; a block read short (the file's end, or a file truncated under it) is
// kept as read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "frontend/logic/byte_source.h"
#include "frontend/logic/platform.h"

namespace dalvo {

class BlockCache : public ByteSource {
 public:
  // Reads `file` (which must outlive the cache) in blocks of `block_bytes` (0 counts as 1),
  // keeping at most max(2, max_bytes / block_bytes) of them.
  BlockCache(ReadableFile& file, std::size_t block_bytes, std::size_t max_bytes);

  // The bytes from `at` to the end of the block holding it; empty at or past the end of what
  // the block's read found, or when the read fails.
  std::string_view BytesAt(std::uint64_t at) override;

  // Forgets every byte at or after `end`, for a file that has become that short.
  void DropFrom(std::uint64_t end);

  // Bytes held in blocks now, and the most that can ever be held.
  std::size_t HeldBytes() const { return blocks_.size() * block_bytes_; }
  std::size_t MaxHeldBytes() const { return max_blocks_ * block_bytes_; }

 private:
  struct Block {
    std::uint64_t number = 0;  // covers [number * block_bytes_, + size)
    std::size_t size = 0;
    std::uint64_t last_use = 0;
    std::unique_ptr<char[]> bytes;
  };

  // The held block `number`, read now if it is not held; nullptr when the read fails.
  Block* Find(std::uint64_t number);

  ReadableFile* file_;
  std::size_t block_bytes_;
  std::size_t max_blocks_;
  std::vector<Block> blocks_;
  std::size_t last_ = 0;  // the block used last, tried first
  std::uint64_t clock_ = 0;
};

}  // namespace dalvo
