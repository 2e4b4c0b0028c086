#pragma once
// Counts the mutex locks taken by the calling thread (pthread_mutex_lock, interposed), to prove that
// an audio path takes none. The program must export the interposer to the modules it loads
// (-Wl,--export-dynamic-symbol=pthread_mutex_lock).
namespace korv_test {

long LocksOnThisThread();

class LockScope {
 public:
  LockScope() : mStart(LocksOnThisThread()) {}
  long Count() const { return LocksOnThisThread() - mStart; }

 private:
  long mStart;
};

}  // namespace korv_test
