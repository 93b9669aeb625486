// A benchmark's count on its command line: a whole number from 1 up.
// Anything else prints the usage and ends the program with exit status 2,
// rather than running with a count nobody asked for.

#ifndef COURT_BENCH_COUNT_ARGUMENT_H_
#define COURT_BENCH_COUNT_ARGUMENT_H_

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace court::bench {

[[noreturn]] inline void Usage(const char* usage) {
  std::fprintf(stderr, "usage: %s\n", usage);
  std::exit(2);
}

inline int CountArgument(const char* text, const char* usage) {
  int value = 0;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  if (error != std::errc() || stop != end || value < 1) Usage(usage);
  return value;
}

// The count a benchmark takes as its one optional argument.
inline int OptionalCount(int argc, char** argv, int fallback, const char* usage) {
  if (argc > 2) Usage(usage);
  return argc == 2 ? CountArgument(argv[1], usage) : fallback;
}

}  // namespace court::bench

#endif  // COURT_BENCH_COUNT_ARGUMENT_H_
