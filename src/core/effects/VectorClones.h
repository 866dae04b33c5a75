#pragma once

// Hot loops get a second copy compiled for AVX2, picked once at load time by the processor. AVX2
// brings no fused multiply-add, so both copies round alike and give the same bytes everywhere.
// Clang cannot clone templates, so its builds (the sanitizer flavour) keep one generic copy.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define ORVEX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ORVEX_VECTOR_CLONES
#endif

// Loops the compiler cannot turn into good vector code (8-bit values widened to floats and packed
// back) are written out with AVX2 intrinsics in functions marked ORVEX_AVX2, called only where
// HasAvx2() says the processor has it; every other processor takes the plain loops. Both give the
// same bytes: the same single-precision products, clamps and truncations, value by value.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORVEX_HAS_AVX2_KERNELS 1
#define ORVEX_AVX2 __attribute__((target("avx2")))
inline bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#else
#define ORVEX_HAS_AVX2_KERNELS 0
inline bool HasAvx2() {
    return false;
}
#endif
