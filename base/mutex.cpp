#include "base/mutex.h"

BRM_Mutex::BRM_Mutex() {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&mMutex, &attr);
  pthread_mutexattr_destroy(&attr);
}

BRM_Mutex::~BRM_Mutex() { pthread_mutex_destroy(&mMutex); }

void BRM_Mutex::Enter() {
  pthread_mutex_lock(&mMutex);
  ++mEnterCount;
}

void BRM_Mutex::Leave() {
  --mEnterCount;
  pthread_mutex_unlock(&mMutex);
}
