// Creating the court and mail databases on the server.
//
// Both databases are made by one statement form and the same two options;
// the court database is made by the data-drive screen's create button, the
// mail database later by the mail database step, beside the court's file.

#ifndef COURT_INSTALLATION_DATABASE_CREATION_H_
#define COURT_INSTALLATION_DATABASE_CREATION_H_

#include <string>
#include <string_view>

#include "platform/access/connection.h"
#include "provisioning/run_state.h"

namespace court::installation {

// "D:" -> "D:\法院_SQL数据"
std::string DataDirectory(std::string_view drive);

// "D:" -> "D:\法院_SQL数据\法院": the stem of the court's data and log files.
std::string CourtFileStem(std::string_view drive);

// The CREATE DATABASE text (ending in CR LF) for a database whose files are
// file_stem + "_Data.MDF" and file_stem + "_log.LDF".
std::string CreateDatabaseStatement(std::string_view database, std::string_view file_stem);

// On a master connection of its own: CREATE DATABASE, then the options
// "trunc. log" and "autoshrink".
void CreateDatabase(provisioning::RunState& run, std::string_view database, std::string_view file_stem);

// The options "trunc. log" and "autoshrink" of a database, on an open master
// connection: after creating it, or again when a run that created it stopped.
void SetDatabaseOptions(access::Connection& master, std::string_view database);

// The create button: sets the court-updated flag, makes the data directory on
// drive when it is missing, creates 法院 there and runs the provisioning step.
void CreateCourtDatabase(provisioning::RunState& run, const std::string& drive);

}  // namespace court::installation

#endif  // COURT_INSTALLATION_DATABASE_CREATION_H_
