// Target: which database a schema step works on.
//
// The court and mail databases are synchronised by the same procedures; a
// Target carries everything in which the two differ: how the database's
// connection is opened and which catalogue tables belong to it.

#ifndef COURT_SCHEMA_TARGET_H_
#define COURT_SCHEMA_TARGET_H_

#include <string_view>

#include "platform/access/connection.h"
#include "provisioning/run_state.h"

namespace court::schema {

struct Target {
  // Puts a new connection to the target database into its second argument.
  void (*open_connection)(const provisioning::RunState& run, access::Connection& target);
  // The catalogue query listing the names of the database's tables.
  std::string_view table_list_query;
};

const Target& CourtTarget();  // 法院: every catalogue table except the two mail tables
const Target& MailTarget();   // 内部邮件: the tables 邮箱 and 邮箱附件

}  // namespace court::schema

#endif  // COURT_SCHEMA_TARGET_H_
