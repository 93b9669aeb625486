#include "provisioning/run_marker.h"

#include "platform/access/recordset.h"
#include "provisioning/connections.h"

namespace court::provisioning {
namespace {

constexpr char kMarkerKind[] = "marker";
constexpr char kExists[] = "exists (select * from sysobjects where name = N'court_setup_run' and xtype = 'U')";

}  // namespace

void ReadRunMarker(RunState& run) {
  access::Connection master(run.sources);
  OpenMasterConnection(run, master);
  run.marker = {};
  if (!master.Query(std::string("select 1 where ") + kExists, kMarkerKind).rows.empty()) {
    run.marker.set = true;
    for (const access::Row& row : master.Query("select creating from court_setup_run", kMarkerKind).rows) {
      std::string database = access::Trimmed(row[0]);
      if (database == kCourtDatabase) run.marker.court_created = true;
      if (database == kMailDatabase) run.marker.mail_created = true;
    }
  }
  master.Close();
}

void MarkRun(RunState& run, std::string_view creating) {
  access::Connection master(run.sources);
  OpenMasterConnection(run, master);
  if (!run.marker.set)
    master.Execute(std::string("if not ") + kExists + " create table court_setup_run (creating nvarchar(128) null)",
                   kMarkerKind);
  run.marker.set = true;
  if (!creating.empty())
    master.Execute("insert into court_setup_run (creating) values (N'" + std::string(creating) + "')", kMarkerKind);
  master.Close();
}

void ClearRunMarker(RunState& run) {
  if (!run.marker.set) return;
  // What the run wrote must be on disk before the marker goes, or a power
  // cut could leave a half-made database and no marker.
  for (auto open : {OpenCourtConnection, OpenMailConnection}) {
    access::Connection database(run.sources);
    open(run, database);
    database.Execute("CHECKPOINT", kMarkerKind);
    database.Close();
  }
  access::Connection master(run.sources);
  OpenMasterConnection(run, master);
  master.Execute(std::string("if ") + kExists + " drop table court_setup_run", kMarkerKind);
  master.Close();
  run.marker = {};
}

}  // namespace court::provisioning
