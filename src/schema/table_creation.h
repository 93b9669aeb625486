// Table creation: a catalogue table the target database lacks is created
// with all its catalogue columns, in catalogue order. A second statement
// then adds the clustered key of its identity column and the DEFAULT
// constraints of its columns.

#ifndef COURT_SCHEMA_TABLE_CREATION_H_
#define COURT_SCHEMA_TABLE_CREATION_H_

#include <string>

#include "provisioning/run_state.h"
#include "schema/target.h"

namespace court::schema {

// A table without catalogue columns cannot be created: it is skipped with a
// warning in run.warnings and nothing reaches the server.
void CreateTable(provisioning::RunState& run, const Target& target, const std::string& table);

void CreateCourtTable(provisioning::RunState& run, const std::string& table);
void CreateMailTable(provisioning::RunState& run, const std::string& table);

}  // namespace court::schema

#endif  // COURT_SCHEMA_TABLE_CREATION_H_
