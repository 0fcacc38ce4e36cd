#include "byte_store.h"

#include <algorithm>
#include <cstring>

namespace dalvo {

ByteStore::ByteStore(std::size_t chunk_bytes) : chunk_bytes_(std::max<std::size_t>(chunk_bytes, 1)) {}

void ByteStore::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto used = static_cast<std::size_t>(size_ % chunk_bytes_);
    if (used == 0 && size_ / chunk_bytes_ == chunks_.size()) {
      // for_overwrite: the bytes are written at once; zeroing a gigabyte first would double
      // the cost of loading it.
      chunks_.push_back(std::make_unique_for_overwrite<char[]>(chunk_bytes_));
    }
    const std::size_t take = std::min(bytes.size(), chunk_bytes_ - used);
    std::memcpy(chunks_.back().get() + used, bytes.data(), take);
    size_ += take;
    bytes.remove_prefix(take);
  }
}

void ByteStore::AppendTo(std::uint64_t at, std::uint64_t count, std::string& out) const {
  while (count > 0) {
    const auto chunk = static_cast<std::size_t>(at / chunk_bytes_);
    const auto offset = static_cast<std::size_t>(at % chunk_bytes_);
    const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(count, chunk_bytes_ - offset));
    out.append(chunks_[chunk].get() + offset, take);
    at += take;
    count -= take;
  }
}

}  // namespace dalvo
