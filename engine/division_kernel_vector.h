// The vector steps of the division kernel: groups of 64 digits, checked, parsed, divided and
// formatted in 256-bit vectors (AVX2) or 512-bit ones (AVX-512 F, BW and VBMI), each chosen at
// run time on x86-64 machines that have it. A step works on the caller's state and output window
// only, and gives up (returning early, never failing) wherever the portable block loop must take
// over.
#pragma once

#include <cstdint>

#include "engine/division_report.h"

namespace dalvo {

#if defined(__x86_64__)

// True when this machine runs DivideGroupsAvx2 (an x86-64 processor with AVX2).
bool HasAvx2Kernel();
// True when this machine runs DivideGroupsAvx512 (an x86-64 processor with AVX-512 F, BW and
// VBMI).
bool HasAvx512Kernel();

// Divides whole groups of 64 digit bytes starting at `bytes` while the quotient has started:
// writes the held digit and 63 new ones per group, keeps the newest back in `held`, and carries
// `remainder` (< 19). Stops before the first group that is short, holds a non-digit, or cannot
// get 65 bytes of room in `out` even after a drain; returns where it stopped. Each only where
// its Has...Kernel() is true; both divide alike, 32 or 64 bytes at a time.
const unsigned char* DivideGroupsAvx2(const unsigned char* bytes, const unsigned char* end,
                                      std::uint32_t& remainder, char& held, ReportBuffer& out);
const unsigned char* DivideGroupsAvx512(const unsigned char* bytes, const unsigned char* end,
                                        std::uint32_t& remainder, char& held, ReportBuffer& out);

#else

// Other processors have neither: the portable block loop divides everything there.
inline bool HasAvx2Kernel() { return false; }
inline bool HasAvx512Kernel() { return false; }
inline const unsigned char* DivideGroupsAvx2(const unsigned char* bytes, const unsigned char*,
                                             std::uint32_t&, char&, ReportBuffer&) {
  return bytes;
}
inline const unsigned char* DivideGroupsAvx512(const unsigned char* bytes, const unsigned char*,
                                               std::uint32_t&, char&, ReportBuffer&) {
  return bytes;
}

#endif

}  // namespace dalvo
