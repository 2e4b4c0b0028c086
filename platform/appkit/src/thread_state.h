#pragma once
// Per-thread state of the object runtime: the autorelease pools and the run loop.
#include <vector>

#include <Foundation/NSRunLoop.h>

namespace korv_appkit {

struct ThreadState {
  std::vector<std::vector<NSObject*>*> pools;
  std::vector<NSObject*> implicitPool;
  NSRunLoop* runLoop = nullptr;
  ~ThreadState();
};

ThreadState& CurrentThreadState();
// Releases everything in the pool, including what those releases autorelease into it.
void DrainPool(std::vector<NSObject*>& pool);

}  // namespace korv_appkit
