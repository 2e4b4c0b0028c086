#include "support/lock_counter.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>

namespace {
thread_local long t_locks = 0;
using LockFunction = int (*)(pthread_mutex_t*);
// Constant-initialised: a guarded static could itself lock on first use.
std::atomic<LockFunction> s_realLock{nullptr};
}  // namespace

namespace korv_test {
long LocksOnThisThread() { return t_locks; }
}  // namespace korv_test

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
  ++t_locks;
  LockFunction real = s_realLock.load(std::memory_order_acquire);
  if (!real) {
    real = reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    s_realLock.store(real, std::memory_order_release);
  }
  return real(mutex);
}
