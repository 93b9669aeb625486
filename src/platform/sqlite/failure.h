// A failed SQLite call, as the layer that made it gets to see it. The Jet
// reader reports such failures as Jet would, the engine as SQL Server
// errors; each hands its own policy to the database it opens.

#ifndef COURT_PLATFORM_SQLITE_FAILURE_H_
#define COURT_PLATFORM_SQLITE_FAILURE_H_

#include <functional>
#include <string>

namespace court::sqlite {

struct Failure {
  int code = 0;           // SQLite's result code, extended where SQLite has one
  std::string message;    // SQLite's text for it
  int system_errno = 0;   // the operating system's error behind it, when known
  bool opening = false;   // the database would not open
  std::string subject;    // the file that would not open, or the SQL that failed
};

// Throws the caller's own error for a failure. A policy that returns is
// a programming error: the call that failed has no result to give.
using FailurePolicy = std::function<void(const Failure&)>;

}  // namespace court::sqlite

#endif  // COURT_PLATFORM_SQLITE_FAILURE_H_
