// The wide step of the division kernel: groups of 64 digits, checked, parsed and formatted 32
// bytes at a time with AVX2 instructions, chosen at run time on x86-64 machines that have them.
// It works on the caller's state and output window only, and gives up (returning early, never
// failing) wherever the portable block loop must take over.
#pragma once

#include <cstdint>

#include "division_output.h"

namespace dalvo {

// True when this machine runs DivideGroupsAvx2 (an x86-64 processor with AVX2).
bool HasAvx2Kernel();

// Divides whole groups of 64 digit bytes starting at `bytes` while the quotient has started:
// writes the held digit and 63 new ones per group, keeps the newest back in `held`, and carries
// `remainder` (< 19). Stops before the first group that is short, holds a non-digit, or cannot
// get 65 bytes of room in `out` even after a drain; returns where it stopped. Only to be called
// when HasAvx2Kernel() is true.
const unsigned char* DivideGroupsAvx2(const unsigned char* bytes, const unsigned char* end,
                                      std::uint32_t& remainder, char& held, ReportBuffer& out);

}  // namespace dalvo
