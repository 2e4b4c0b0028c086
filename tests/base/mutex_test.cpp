#include <gtest/gtest.h>

#include <thread>

#include "base/mutex.h"

TEST(Mutex, RecursiveEntryIsCounted) {
  BRM_Mutex m;
  {
    BRM_MutexLock outer(m);
    BRM_MutexLock inner(&m);
    EXPECT_EQ(m.GetEnterCount(), 2);
  }
  EXPECT_EQ(m.GetEnterCount(), 0);
  BRM_MutexLock none(nullptr);  // a null mutex locks nothing
}

TEST(Mutex, ExcludesOtherThreads) {
  BRM_Mutex m;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      BRM_MutexLock lock(m);
      ++counter;
    }
  };
  std::thread t1(work), t2(work);
  t1.join();
  t2.join();
  EXPECT_EQ(counter, 40000);
}
