// Reading a Jet file in a child process, so that a damaged file cannot take
// the reading program down with it.
//
// libmdb trusts the file: a damaged one can make it crash, loop for ever or
// allocate without end. The child reads the file with a memory ceiling and
// under a deadline and hands the tables back through a pipe; whatever goes
// wrong in it becomes an access::Error naming the file.

#ifndef COURT_PLATFORM_JET_ISOLATED_READ_H_
#define COURT_PLATFORM_JET_ISOLATED_READ_H_

#include <chrono>
#include <filesystem>
#include <vector>

#include "platform/jet/table.h"

namespace court::jet {

struct ReadLimits {
  std::chrono::seconds time{120};
  std::size_t memory_bytes = std::size_t{4} << 30;  // beyond what the file's own size needs
};

// Every user table of the file, in catalogue order. Throws access::Error
// (kFileNotFound, kUnrecognizedFormat, kDamagedFile) naming the file.
std::vector<Table> ReadTablesIsolated(const std::filesystem::path& path, ReadLimits limits = {});

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_ISOLATED_READ_H_
