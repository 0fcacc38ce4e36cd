#include "frontend/logic/block_cache.h"

#include <algorithm>
#include <cstdint>

namespace dalvo {

BlockCache::BlockCache(ReadableFile& file, std::size_t block_bytes, std::size_t max_bytes)
    : file_(&file),
      block_bytes_(std::max<std::size_t>(block_bytes, 1)),
      max_blocks_(std::max<std::size_t>(max_bytes / block_bytes_, 2)) {}

BlockCache::Block* BlockCache::Find(std::uint64_t number) {
  ++clock_;
  if (last_ < blocks_.size() && blocks_[last_].number == number) {
    blocks_[last_].last_use = clock_;
    return &blocks_[last_];
  }
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    if (blocks_[i].number != number) continue;
    last_ = i;
    blocks_[i].last_use = clock_;
    return &blocks_[i];
  }
  // Not held: a new block while there is room, else the least recently used one's memory.
  std::size_t slot = blocks_.size();
  if (blocks_.size() < max_blocks_) {
    blocks_.push_back({number, 0, 0, std::make_unique_for_overwrite<char[]>(block_bytes_)});
  } else {
    slot = static_cast<std::size_t>(
        std::min_element(blocks_.begin(), blocks_.end(),
                         [](const Block& a, const Block& b) { return a.last_use < b.last_use; }) -
        blocks_.begin());
  }
  Block& block = blocks_[slot];
  const std::optional<std::size_t> got =
      file_->ReadAt(number * block_bytes_, block.bytes.get(), block_bytes_);
  if (!got) {
    // Nothing is kept of a failed read: the slot is given up, and the next look tries again.
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(slot));
    last_ = 0;
    return nullptr;
  }
  block.number = number;
  block.size = *got;
  block.last_use = clock_;
  last_ = slot;
  return &block;
}

std::string_view BlockCache::BytesAt(std::uint64_t at) {
  const Block* block = Find(at / block_bytes_);
  if (block == nullptr) return {};
  const auto offset = static_cast<std::size_t>(at % block_bytes_);
  if (offset >= block->size) return {};
  return {block->bytes.get() + offset, block->size - offset};
}

void BlockCache::DropFrom(std::uint64_t end) {
  std::erase_if(blocks_, [this, end](const Block& block) {
    return block.number * block_bytes_ >= end;
  });
  for (Block& block : blocks_) {
    const std::uint64_t start = block.number * block_bytes_;
    if (start + block.size > end) block.size = static_cast<std::size_t>(end - start);
  }
  last_ = 0;
}

}  // namespace dalvo
