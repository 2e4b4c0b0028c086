#include "support/alloc_counter.h"

#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdarg>
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

// Large blocks are mapped rather than taken from malloc (base/heap_buf.h); a mapping is an
// allocation too. Forwarded as the system calls themselves: glibc's own entry points are private.
void* mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset) {
  ++t_allocations;
  return reinterpret_cast<void*>(syscall(SYS_mmap, address, length, protection, flags, fd, offset));
}
void* mmap64(void* address, std::size_t length, int protection, int flags, int fd, off64_t offset) {
  return mmap(address, length, protection, flags, fd, offset);
}
void* mremap(void* old, std::size_t oldLength, std::size_t newLength, int flags, ...) {
  ++t_allocations;
  va_list rest;
  va_start(rest, flags);
  void* address = (flags & MREMAP_FIXED) ? va_arg(rest, void*) : nullptr;
  va_end(rest);
  return reinterpret_cast<void*>(syscall(SYS_mremap, old, oldLength, newLength, flags, address));
}
}
namespace korv_test {
bool CountsMalloc() { return true; }
}
#endif
