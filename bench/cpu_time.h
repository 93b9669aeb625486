// The processor time this process has spent so far, user and system, in
// seconds. The benchmarks compare it rather than the clock: on a shared
// machine it is disturbed far less.

#ifndef COURT_BENCH_CPU_TIME_H_
#define COURT_BENCH_CPU_TIME_H_

#include <ctime>

namespace court::bench {

inline double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace court::bench

#endif  // COURT_BENCH_CPU_TIME_H_
