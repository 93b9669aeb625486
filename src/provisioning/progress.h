// What a run tells about its work while it goes: the step it is in, the
// table it is at, the rows it copied and archived; and the figures of the
// whole run.
//
// The steps report here, through the run's RunState; the front decides where
// the lines go (the headless front: standard error; the screens: nowhere).
// Reporting never changes what the run sends.

#ifndef COURT_PROVISIONING_PROGRESS_H_
#define COURT_PROVISIONING_PROGRESS_H_

#include <functional>
#include <string>

namespace court::provisioning {

struct RunFigures {
  int tables_created = 0;
  int tables_altered = 0;
  long long rows_copied = 0;
  long long rows_archived = 0;
};

enum class TableChange { kCreated, kAltered, kUnchanged };

class Progress {
 public:
  // Where each line goes; empty: the run is silent.
  std::function<void(const std::string& line)> show;

  void Step(const std::string& step) { Show("step: " + step); }
  // The step's table number k of n, and what was done to it.
  void Table(const std::string& table, long k, long n, TableChange change);
  void Copied(const std::string& table, long long rows);
  // Rows kept in the archive file before they were deleted.
  void Archived(long long rows, const std::string& file);

  const RunFigures& figures() const { return figures_; }
  // "done in S s: ..." with the figures.
  std::string Summary(double seconds) const;

 private:
  void Show(const std::string& line) const {
    if (show) show(line);
  }
  RunFigures figures_;
};

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_PROGRESS_H_
