#pragma once
// Recursive mutex with an entry count, and its scoped lock.
#include <pthread.h>

class BRM_Mutex {
 public:
  BRM_Mutex();
  ~BRM_Mutex();
  BRM_Mutex(const BRM_Mutex&) = delete;
  BRM_Mutex& operator=(const BRM_Mutex&) = delete;

  void Enter();
  void Leave();
  // How many times the owning thread has entered; only meaningful to the owner.
  int GetEnterCount() const { return mEnterCount; }

 private:
  pthread_mutex_t mMutex;
  int mEnterCount = 0;
};

// A null mutex is allowed and locks nothing.
class BRM_MutexLock {
 public:
  explicit BRM_MutexLock(BRM_Mutex* m) : mMutex(m) {
    if (mMutex) mMutex->Enter();
  }
  explicit BRM_MutexLock(BRM_Mutex& m) : BRM_MutexLock(&m) {}
  ~BRM_MutexLock() {
    if (mMutex) mMutex->Leave();
  }
  BRM_MutexLock(const BRM_MutexLock&) = delete;
  BRM_MutexLock& operator=(const BRM_MutexLock&) = delete;

 private:
  BRM_Mutex* mMutex;
};
