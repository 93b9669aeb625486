// Table alteration: an existing table is brought in line with its catalogue
// columns. Missing columns are added, columns whose type code, length or
// nullability differ are altered, and a catalogue default is bound to a
// column that has none yet. Nothing is ever dropped, renamed or reordered,
// and a default the column already has is never replaced.

#ifndef COURT_SCHEMA_TABLE_ALTERATION_H_
#define COURT_SCHEMA_TABLE_ALTERATION_H_

#include <string>

#include "provisioning/run_state.h"
#include "schema/target.h"

namespace court::schema {

// Returns whether it changed the table (a column added or altered, a default bound).
bool AlterTable(const provisioning::RunState& run, const Target& target, const std::string& table);

void AlterCourtTable(const provisioning::RunState& run, const std::string& table);
void AlterMailTable(const provisioning::RunState& run, const std::string& table);

}  // namespace court::schema

#endif  // COURT_SCHEMA_TABLE_ALTERATION_H_
