// The files of the runtime libraries. The court numbers its libraries
// itself, so each shipped file is linked to the court's library of the same
// 使用名称 rather than to the id it had in the catalogue.

#ifndef COURT_DATA_RUNTIME_LIBRARY_FILES_H_
#define COURT_DATA_RUNTIME_LIBRARY_FILES_H_

#include "platform/access/connection.h"
#include "provisioning/run_state.h"

namespace court::data {

// Replaces every row of 运行库文件, contents included. Fails when a file's
// library is not in the court's 运行库; the files added so far stay.
void CopyRuntimeLibraryFiles(const provisioning::RunState& run, access::Connection& court,
                             access::Connection& catalogue);

}  // namespace court::data

#endif  // COURT_DATA_RUNTIME_LIBRARY_FILES_H_
