// The x86 vector intrinsics for the sources with AVX-512 code (the division kernel's widest step
// and the remainder chain's vector pass). Include it instead of <immintrin.h>, after the file's
// own headers: it turns one warning off for the rest of the including file (see below). Nothing
// here on other processors.
#pragma once

// GCC 12's AVX-512 headers fill the unused merge operand of many intrinsics with a vector that
// initialises itself, which its own -Wmaybe-uninitialized then reports at every use. The
// warning must be off where the header is read, so before it is included.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#if defined(__x86_64__)
#include <immintrin.h>
#endif
