// A preload for crash tests: ends court-setup at a chosen point as a power
// cut or an administrator's kill would, or makes its database writes fail
// as a full or read-only disk does. Set by the environment:
//
//   COURT_KILL_AFTER_STATEMENT=k  SIGKILL right after the k-th transcript
//                                 line is written (statement k has ended).
//   COURT_KILL_AFTER_WRITE=n      SIGKILL right after the n-th page write
//                                 of a database file (inside a statement).
//   COURT_FAIL_WRITE_AFTER=n      the n-th and every later page write fails
//                                 with COURT_FAIL_ERRNO (default ENOSPC).
//
//   COURT_COUNT_FILE=path         at exit, "STATEMENTS PAGE_WRITES" is
//                                 written there (to choose kill points).
//
// Page writes are SQLite's pwrite64 calls; transcript lines are the writes
// that begin with {"seq":.

#include <dlfcn.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long Setting(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::atol(text) : 0;
}

long statements, page_writes;

void AfterStatement() {
  long k = Setting("COURT_KILL_AFTER_STATEMENT");
  if (++statements == k) raise(SIGKILL);
}

__attribute__((destructor)) void WriteCounts() {
  const char* path = std::getenv("COURT_COUNT_FILE");
  if (!path) return;
  std::FILE* out = std::fopen(path, "w");
  if (!out) return;
  std::fprintf(out, "%ld %ld\n", statements, page_writes);
  std::fclose(out);
}

// Whether this page write fails.
bool PageWriteFails() {
  long fail = Setting("COURT_FAIL_WRITE_AFTER");
  return fail > 0 && page_writes + 1 >= fail;
}

void AfterPageWrite() {
  long n = Setting("COURT_KILL_AFTER_WRITE");
  if (n > 0 && page_writes == n) raise(SIGKILL);
}

ssize_t Failed() {
  ++page_writes;
  long code = Setting("COURT_FAIL_ERRNO");
  errno = code > 0 ? static_cast<int>(code) : ENOSPC;
  return -1;
}

}  // namespace

extern "C" ssize_t write(int fd, const void* buffer, size_t size) {
  static ssize_t (*real)(int, const void*, size_t);
  if (!real) real = reinterpret_cast<decltype(real)>(dlsym(RTLD_NEXT, "write"));
  ssize_t written = real(fd, buffer, size);
  if (written > 0 && size >= 7 && std::memcmp(buffer, "{\"seq\":", 7) == 0) AfterStatement();
  return written;
}

extern "C" ssize_t pwrite64(int fd, const void* buffer, size_t size, off64_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off64_t);
  if (!real) real = reinterpret_cast<decltype(real)>(dlsym(RTLD_NEXT, "pwrite64"));
  if (PageWriteFails()) return Failed();
  ssize_t written = real(fd, buffer, size, offset);
  ++page_writes;
  AfterPageWrite();
  return written;
}
