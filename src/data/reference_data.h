// Reference data refresh: shipped lists, tables, system documents and
// runtime libraries replace the court's copies; default lists are seeded
// where they are missing.

#ifndef COURT_DATA_REFERENCE_DATA_H_
#define COURT_DATA_REFERENCE_DATA_H_

#include <string>

#include "provisioning/run_state.h"

namespace court::data {

// Copies the rows of table whose column equals value, only when the court
// table has no such row yet.
void CopyCategoryIfAbsent(provisioning::RunState& run, const std::string& table,
                          const std::string& column, const std::string& value,
                          const std::string& key_column);

void RefreshReferenceData(provisioning::RunState& run);

}  // namespace court::data

#endif  // COURT_DATA_REFERENCE_DATA_H_
