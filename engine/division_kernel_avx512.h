// The widest step of the division kernel: groups of 64 digits, each checked, parsed, divided and
// formatted in one 512-bit vector, chosen at run time on x86-64 machines with AVX-512 (F and BW).
// Same contract as the AVX2 step in division_kernel_avx2.h: it works on the caller's state and
// output window only, and gives up (returning early, never failing) wherever the portable block
// loop must take over.
#pragma once

#include <cstdint>

#include "division_output.h"

namespace dalvo {

// True when this machine runs DivideGroupsAvx512 (an x86-64 processor with AVX-512 F and BW).
bool HasAvx512Kernel();

// Divides whole groups of 64 digit bytes starting at `bytes` while the quotient has started:
// writes the held digit and 63 new ones per group, keeps the newest back in `held`, and carries
// `remainder` (< 19). Stops before the first group that is short, holds a non-digit, or cannot
// get 65 bytes of room in `out` even after a drain; returns where it stopped. Only to be called
// when HasAvx512Kernel() is true.
const unsigned char* DivideGroupsAvx512(const unsigned char* bytes, const unsigned char* end,
                                        std::uint32_t& remainder, char& held, ReportBuffer& out);

}  // namespace dalvo
