// The reads of a division's input: one read that an interrupting signal does not end, and a read
// that fills a whole chunk. Both go through the pipeline's read hook when one is set (tests), else
// read(2), or pread(2) at an offset. Failures come back as values with their errno.
#pragma once

#include <cstddef>
#include <cstdint>

#include "division_pipeline.h"

namespace dalvo {

// One read of at most `size` bytes at `offset` (-1: where the descriptor stands), again after an
// interruption by a signal. The contract of read(2): bytes read, 0 at the end, -1 with errno set.
long ReadOnce(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size,
              std::int64_t offset);

struct Filled {
  std::size_t bytes = 0;
  bool failed = false;
  int error = 0;  // errno of the failed read
};

// Reads until `buffer` is full, the input ends or a read fails. A short read is no end: only a
// read that returns nothing is, so input from pipes and terminals arrives whole.
Filled ReadFull(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size,
                std::int64_t offset);

}  // namespace dalvo
