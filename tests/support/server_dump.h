// A canonical text of everything an installation leaves on an embedded
// server, for comparing a run that was interrupted and rerun with a clean
// one: per database every user table's columns and rows, the objects with
// their texts (keys, defaults, constraints, views), the user vek and its
// permissions; the login vek with its roles; the databases' options; and
// any user table left in master.
//
// What may differ between two correct runs is left out: dates, object ids,
// and identity values (a rerun that copies a table again numbers its rows
// anew, as SQL Server does). References to identity values are shown by
// what they refer to.

#ifndef COURT_TESTS_SUPPORT_SERVER_DUMP_H_
#define COURT_TESTS_SUPPORT_SERVER_DUMP_H_

#include <filesystem>
#include <string>

namespace court::testing {

std::string CanonicalDump(const std::filesystem::path& server_root);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_SERVER_DUMP_H_
