#pragma once
// Brackets the AVX2 code of a file that runs only after the processor has reported AVX2. What is
// defined between KORV_AVX2_BEGIN and KORV_AVX2_END is compiled for AVX2; headers included before
// KORV_AVX2_BEGIN stay baseline, so the linker cannot keep an AVX2 copy of a shared inline function
// for callers on older processors. No build flag is involved: the one way the tree enables AVX2.
#if defined(__clang__)
#define KORV_AVX2_BEGIN _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define KORV_AVX2_END _Pragma("clang attribute pop")
#else
#define KORV_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define KORV_AVX2_END _Pragma("GCC pop_options")
#endif
