// The run marker: a table in master that says an installation run is under
// way. It is set before a run's first change that a later run would not
// redo by itself (creating a database, an upgrade), and cleared after the
// run's last step. A run that finds it set knows that an earlier run
// stopped half-way (killed, power cut, full disk) and redoes that run's
// work instead of trusting a half-made database. Its rows name the
// databases the earlier run had begun to create, whose options must be set
// again.
//
// Its statements reach the transcript as kind "marker".

#ifndef COURT_PROVISIONING_RUN_MARKER_H_
#define COURT_PROVISIONING_RUN_MARKER_H_

#include <string_view>

#include "provisioning/run_state.h"

namespace court::provisioning {

// Reads the marker into run.marker.
void ReadRunMarker(RunState& run);

// Sets the marker; with a database name, records that this run is about to
// create that database.
void MarkRun(RunState& run, std::string_view creating = {});

// Clears the marker when this run or an earlier one set it.
void ClearRunMarker(RunState& run);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_RUN_MARKER_H_
