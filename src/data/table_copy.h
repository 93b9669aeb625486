// The generic table copy: replaces the rows of one court table (or of the
// subset a filter clause selects) with the rows of the catalogue table of the
// same name, binary column included.

#ifndef COURT_DATA_TABLE_COPY_H_
#define COURT_DATA_TABLE_COPY_H_

#include <string>

#include "provisioning/run_state.h"

namespace court::data {

// filter: empty, or " where ..." appended right after the table name.
// key_column: empty, or the column the court supplies itself (never written).
void CopyCatalogueTable(provisioning::RunState& run, const std::string& table,
                        const std::string& filter, const std::string& key_column);

}  // namespace court::data

#endif  // COURT_DATA_TABLE_COPY_H_
