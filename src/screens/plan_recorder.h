// The server as a plan's rehearsal sees it: a driver that passes every call
// through to the real one and keeps, in order, each write that took effect,
// with what the plan needs to tell about it that its text does not say.
//
// Queries are not kept; a statement that fails is not kept either (the run
// ignores the few failures it expects, and any other ends the rehearsal).

#ifndef COURT_SCREENS_PLAN_RECORDER_H_
#define COURT_SCREENS_PLAN_RECORDER_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/access/driver.h"

namespace court::screens {

struct Write {
  std::string database{};  // the session's database: master, 法院, 内部邮件
  std::string sql{};       // the exact statement; empty for a row added through a record set
  std::string table{};     // the table of a row added through a record set
  long long rows = -1;     // the rows a DELETE removed
  std::string before{};    // a column's definition before ALTER COLUMN changed it
};

class PlanRecorder : public access::Driver {
 public:
  explicit PlanRecorder(access::Driver& server) : server_(server) {}

  std::unique_ptr<access::Session> Connect(const std::string& database) override;

  const std::vector<Write>& writes() const { return writes_; }

 private:
  access::Driver& server_;
  std::vector<Write> writes_;
};

}  // namespace court::screens

#endif  // COURT_SCREENS_PLAN_RECORDER_H_
