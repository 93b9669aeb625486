// The mirror of a server reached through ODBC: what a plan rehearses on when
// the server's files cannot be copied.
//
// A run on a real server cannot be rehearsed there without changing it, and
// a pass that only lists the writes would go astray at the first step that
// reads what an earlier one wrote (a table created, then filled, then
// checked). So the plan reads, and only reads, what the installation looks
// at — which of its databases exist, whether the service login does, and
// every user table of 法院 and 内部邮件 with its columns, keys, defaults,
// CHECK constraints and rows, and the views — and builds the same on a
// scratch embedded server, where the run is then rehearsed in full.
//
// What the mirror cannot carry is listed in the plan (MirrorLimits): the
// server's own behaviour where it differs from the embedded engine, files on
// its drives, and anything that changes between the plan and the run.

#ifndef COURT_SCREENS_PLAN_MIRROR_H_
#define COURT_SCREENS_PLAN_MIRROR_H_

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/data_sources.h"

namespace court::screens {

struct Mirror {
  std::vector<std::string> databases;  // those of the installation the server has
  long long tables = 0, rows = 0;      // user tables and rows copied
  // Per database: the server's system tables and procedures less the
  // mirror's. The grant pass grants on both, and the embedded engine ships
  // its own set of them; a plan adds this to what the rehearsal granted.
  std::map<std::string, long long> system_objects_beyond_mirror;
};

// Reads the installation's part of the server behind sources (its reads go
// to the transcript as kind "plan") and builds it on a new embedded server
// rooted at root, with the given drives ("C:", "D:", ...). Throws
// access::Error when the server refuses a read or the mirror a statement.
Mirror MirrorServer(const access::DataSources& sources, const std::vector<std::string>& drives,
                    const std::filesystem::path& root);

// What no plan can foresee, wherever it was rehearsed.
inline constexpr std::string_view kChangesAfterThePlan = "changes made to the server between this plan and the run";

// What a plan rehearsed on a mirror cannot foresee, one sentence each.
std::vector<std::string> MirrorLimits();

}  // namespace court::screens

#endif  // COURT_SCREENS_PLAN_MIRROR_H_
