#pragma once
// Timing helpers shared by the benchmark programs. Thread CPU time measures what a call costs
// without the preemptions of a shared machine.
#include <algorithm>
#include <ctime>
#include <vector>

namespace korv_bench {

inline double ThreadCpuMicroseconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e6 + ts.tv_nsec * 1e-3;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace korv_bench
