// The folders a run keeps its backups and its archive of removed rows in:
// one per run below a root, named by the time the run started
// (YYYYMMDD-HHMMSS, local time), so that a listing sorts them by age. A run
// that starts within the same second as an earlier one gets -2, -3, ...:
// no run ever writes into another's folder.

#ifndef COURT_PROVISIONING_RUN_FOLDER_H_
#define COURT_PROVISIONING_RUN_FOLDER_H_

#include <functional>
#include <string>

namespace court::provisioning {

// This moment as YYYYMMDD-HHMMSS.
std::string RunStamp();

// stamp, or stamp-2, stamp-3, ...: the first name that taken says is free.
std::string UnusedFolderName(const std::string& stamp, const std::function<bool(const std::string&)>& taken);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_RUN_FOLDER_H_
