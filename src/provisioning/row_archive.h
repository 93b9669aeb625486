// Keeping rows before the run deletes them: the read that finds them, with
// the same predicate as the DELETE that follows, and their lines in the
// run's archive (archive_file.h).
//
// The read reaches the transcript as kind "archive"; the DELETE itself is
// the caller's and keeps its text.

#ifndef COURT_PROVISIONING_ROW_ARCHIVE_H_
#define COURT_PROVISIONING_ROW_ARCHIVE_H_

#include <string>
#include <string_view>

#include "platform/access/connection.h"
#include "provisioning/run_state.h"

namespace court::provisioning {

inline constexpr char kArchiveKind[] = "archive";

// Reads with select on connection the rows of table about to be deleted and
// keeps them under reason; throws, before anything is deleted, when they
// cannot be kept. Nothing is read when the run keeps no archive.
void ArchiveRows(RunState& run, access::Connection& connection, std::string_view table, std::string_view reason,
                 const std::string& select);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_ROW_ARCHIVE_H_
