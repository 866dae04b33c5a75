#pragma once

// Hot loops get a second copy compiled for AVX2, picked once at load time by the processor. AVX2
// brings no fused multiply-add, so both copies round alike and give the same bytes everywhere.
// Clang cannot clone templates, so its builds (the sanitizer flavour) keep one generic copy.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define ORVEX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ORVEX_VECTOR_CLONES
#endif
