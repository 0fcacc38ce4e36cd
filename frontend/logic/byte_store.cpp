#include "byte_store.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace dalvo {
namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

}  // namespace

void ByteStore::FreeBlock::operator()(char* block) const { std::free(block); }

ByteStore::Block ByteStore::NewBlock(std::size_t bytes) {
  // Blocks of whole huge pages start on a huge-page boundary, so the kernel can back them with
  // huge pages: a gigabyte then costs five hundred page faults instead of a quarter million.
  const bool huge = bytes % kHugePageBytes == 0;
  void* block = huge ? std::aligned_alloc(kHugePageBytes, bytes) : std::malloc(bytes);
  if (block == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (huge) (void)madvise(block, bytes, MADV_HUGEPAGE);  // a hint: refused, it changes nothing
#endif
  return Block(static_cast<char*>(block));
}

ByteStore::ByteStore(std::size_t block_bytes)
    : block_bytes_(std::max<std::size_t>(block_bytes, 1)),
      first_bytes_(std::min(block_bytes_, kFirstBlockBytes)) {}

std::size_t ByteStore::BlockOf(std::uint64_t at) const {
  if (at < first_bytes_) return 0;
  return 1 + static_cast<std::size_t>((at - first_bytes_) / block_bytes_);
}

std::size_t ByteStore::OffsetIn(std::uint64_t at) const {
  if (at < first_bytes_) return static_cast<std::size_t>(at);
  return static_cast<std::size_t>((at - first_bytes_) % block_bytes_);
}

void ByteStore::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t block = BlockOf(size_);
    if (block == blocks_.size()) blocks_.push_back(NewBlock(BlockSize(block)));
    const std::size_t used = OffsetIn(size_);
    const std::size_t take = std::min(bytes.size(), BlockSize(block) - used);
    std::memcpy(blocks_[block].get() + used, bytes.data(), take);
    size_ += take;
    bytes.remove_prefix(take);
  }
}

void ByteStore::AppendTo(std::uint64_t at, std::uint64_t count, std::string& out) const {
  while (count > 0) {
    const std::size_t block = BlockOf(at);
    const std::size_t offset = OffsetIn(at);
    const auto take = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, BlockSize(block) - offset));
    out.append(blocks_[block].get() + offset, take);
    at += take;
    count -= take;
  }
}

}  // namespace dalvo
