// RunState (formerly Module2): the state one installation run
// shares between its steps.
//
// There is exactly one per run, made by the front (screens or
// headless) and handed to every step. It knows where connection strings lead
// (sources), how the server's files are reached (files) and where this
// machine's own Windows paths lead (local_files: the temporary file), and it
// holds the run's shared connection and shared record set, the court-updated
// flag and the mail file prefix.

#ifndef COURT_PROVISIONING_RUN_STATE_H_
#define COURT_PROVISIONING_RUN_STATE_H_

#include <string>
#include <vector>

#include "platform/access/connection.h"
#include "platform/access/data_sources.h"
#include "platform/access/recordset.h"
#include "platform/system/files.h"
#include "provisioning/archive_file.h"
#include "provisioning/progress.h"
#include "provisioning/run_folder.h"

namespace court::provisioning {

struct RunState {
  // The installer on the server's own machine: one set of drives for both.
  RunState(const access::DataSources& data_sources, const system::Files& server_files)
      : RunState(data_sources, server_files, server_files) {}
  RunState(const access::DataSources& data_sources, const system::ServerFiles& server_files,
          const system::Files& this_machine)
      : sources(data_sources), files(server_files), local_files(this_machine), shared_connection(data_sources) {}

  const access::DataSources& sources;
  const system::ServerFiles& files;
  const system::Files& local_files;

  // Used in turn by the start-up check, the provisioning step, the mail
  // access step and the grant pass; never by two of them at once.
  access::Connection shared_connection;
  access::Recordset shared_recordset;

  // Set when the court database was created or upgraded in this run; the
  // mail database step then brings an existing mail database up to date too.
  bool court_updated = false;

  // The run marker as this run found or set it (run_marker.h).
  struct RunMarker {
    bool set = false;            // on the server
    bool court_created = false;  // an earlier run began creating 法院
    bool mail_created = false;   // an earlier run began creating 内部邮件
  } marker;

  // The court data file's directory (with its last backslash) + "内部邮件".
  std::string mail_file_prefix;

  // What the user should learn besides the outcome (a catalogued table that
  // could not be created); each front shows them where its user looks.
  std::vector<std::string> warnings;

  // The steps report their work here (progress.h).
  Progress progress;

  // What the run keeps before it changes or deletes anything: the backups of
  // the databases, in a folder of the run's own below backup_root (a folder
  // on the server, as the server names it; empty: no backups), and the rows
  // it deletes (archive_file.h).
  std::string backup_root;
  ArchiveFile archive;
  // When the run started (run_folder.h): the name of both folders.
  std::string started = RunStamp();
};

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_RUN_STATE_H_
