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

// Marks row buffers that a hot loop reads and writes without overlap, so the
// vectoriser needs no run-time overlap checks.
#if defined(__GNUC__)
#define VELMAR_RESTRICT __restrict
#else
#define VELMAR_RESTRICT
#endif

// A row pointer into a lookup table, kept as it is: without this the compiler
// folds the pointer's offset into the index, which puts an addition on the
// chain of dependent table reads that sets the speed of the error diffusion.
template <class T>
inline T* KeepPointer(T* p) {
#if defined(__GNUC__)
  __asm__("" : "+r"(p));
#endif
  return p;
}

inline void Prefetch(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}
