#pragma once
// Counts heap allocations made by the calling thread, to prove that the audio path allocates nothing.
// operator new is always counted; malloc and friends, and page mappings, are counted too when the
// build has no AddressSanitizer (which owns malloc itself).
#include <cstddef>

namespace korv_test {

long AllocationsOnThisThread();

// Counts the allocations made on this thread between construction and Count().
class AllocationScope {
 public:
  AllocationScope() : mStart(AllocationsOnThisThread()) {}
  long Count() const { return AllocationsOnThisThread() - mStart; }

 private:
  long mStart;
};

bool CountsMalloc();

}  // namespace korv_test
