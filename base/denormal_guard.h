#pragma once
// Flush-to-zero and denormals-are-zero for the lifetime of the guard, with the caller's mode put
// back afterwards. Signals fading out through recursive filters and long convolutions otherwise
// linger for seconds in the subnormal range, inaudible, where every operation is many times
// slower. Scoped to one render call so that the host's own code keeps its mode.
#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

class BRM_DenormalGuard {
 public:
  BRM_DenormalGuard() : m_saved(_mm_getcsr()) { _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero); }
  ~BRM_DenormalGuard() { _mm_setcsr(m_saved); }
  BRM_DenormalGuard(const BRM_DenormalGuard&) = delete;
  BRM_DenormalGuard& operator=(const BRM_DenormalGuard&) = delete;

 private:
  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  unsigned m_saved;
};
#else
class BRM_DenormalGuard {};
#endif
