#pragma once
// Per-thread state of the object runtime: the autorelease pools and the run loop.
#include <vector>

#include <Foundation/NSRunLoop.h>

namespace korv_appkit {

struct ThreadState {
  std::vector<std::vector<NSObject*>*> pools;
  std::vector<NSObject*> implicitPool;
  NSRunLoop* runLoop = nullptr;
  // Modal loops (a menu being shown) nest run loop passes inside the caller's work.
  int modalDepth = 0;
  ~ThreadState();
};

// While one lives, run loop passes release only what they autoreleased themselves: the caller of the
// modal loop keeps its objects.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

ThreadState& CurrentThreadState();
// Releases everything in the pool, including what those releases autorelease into it.
void DrainPool(std::vector<NSObject*>& pool, size_t keep = 0);

}  // namespace korv_appkit
