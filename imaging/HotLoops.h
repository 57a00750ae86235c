#pragma once

// The pixel loops are plain C++ written so that GCC can vectorise them. On
// x86-64 the baseline instruction set cannot shuffle bytes, so loops over
// three-byte pixels stay scalar there; VELMAR_HOT_LOOP asks for a second,
// AVX2 copy of the function, chosen once at start-up when the processor has
// it. Only integer code goes into these functions, so both copies give the
// same bytes.
#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(VELMAR_NO_CLONES)
#define VELMAR_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define VELMAR_HOT_LOOP
#endif
