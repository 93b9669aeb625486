// Backups before a run changes anything: each of 法院 and 内部邮件 that the
// server has is backed up (BACKUP DATABASE ... TO DISK ... WITH INIT) into
// <backup root>\<run folder>\<database>.bak (run_folder.h), a folder the
// run makes through the server. A fresh installation, where neither exists,
// backs up nothing.
//
// A backup that fails stops the run there, before any change, with the
// server's error number and a description naming the database, the file and
// the server's reason.
//
// Its statements reach the transcript as kind "backup".

#ifndef COURT_PROVISIONING_DATABASE_BACKUP_H_
#define COURT_PROVISIONING_DATABASE_BACKUP_H_

#include "provisioning/run_state.h"

namespace court::provisioning {

inline constexpr char kBackupKind[] = "backup";

// Backs up into run.backup_root; nothing when it is empty.
void BackUpDatabases(RunState& run);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_DATABASE_BACKUP_H_
