#include "support/alloc_counter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local long t_allocations = 0;
}

namespace korv_test {
long AllocationsOnThisThread() { return t_allocations; }
}

void* operator new(std::size_t n) {
  ++t_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  ++t_allocations;
  return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void* operator new(std::size_t n, std::align_val_t a) {
  ++t_allocations;
  std::size_t al = static_cast<std::size_t>(a);
  if (void* p = std::aligned_alloc(al, (n + al - 1) / al * al)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
namespace korv_test {
bool CountsMalloc() { return false; }
}
#else
// glibc's own entry points, so the C allocation functions can be counted and forwarded.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t n) {
  ++t_allocations;
  return __libc_malloc(n);
}
void* calloc(std::size_t n, std::size_t s) {
  ++t_allocations;
  return __libc_calloc(n, s);
}
void* realloc(void* p, std::size_t n) {
  ++t_allocations;
  return __libc_realloc(p, n);
}
void* aligned_alloc(std::size_t a, std::size_t n) {
  ++t_allocations;
  return __libc_memalign(a, n);
}
void* memalign(std::size_t a, std::size_t n) {
  ++t_allocations;
  return __libc_memalign(a, n);
}
int posix_memalign(void** out, std::size_t a, std::size_t n) {
  ++t_allocations;
  void* p = __libc_memalign(a, n);
  if (!p) return 12;  // ENOMEM
  *out = p;
  return 0;
}
void free(void* p) { __libc_free(p); }
}
namespace korv_test {
bool CountsMalloc() { return true; }
}
#endif
