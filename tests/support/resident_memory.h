#pragma once
// The process's resident memory, for tests that bound how much a long run may grow.
#include <unistd.h>

#include <cstdio>

namespace korv_test {

// -1 when it cannot be read.
inline long ResidentBytes() {
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return -1;
  const bool read = std::fscanf(statm, "%ld %ld", &pages, &resident) == 2;
  std::fclose(statm);
  return read ? resident * sysconf(_SC_PAGESIZE) : -1;
}

}  // namespace korv_test
