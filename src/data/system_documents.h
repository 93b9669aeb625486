// The shipped system documents of a document table: every court row that
// carries the id of a shipped system document goes (whoever owns it, so the
// copy cannot collide), then the system rows are copied afresh with their
// own ids. Documents the court's users made themselves stay.

#ifndef COURT_DATA_SYSTEM_DOCUMENTS_H_
#define COURT_DATA_SYSTEM_DOCUMENTS_H_

#include <string>

#include "platform/access/connection.h"
#include "provisioning/run_state.h"

namespace court::data {

struct DocumentTable {
  std::string table;         // 文书样本库
  std::string id_column;     // id
  std::string owner_column;  // 来源; "(系统文书)" there marks a system document
};

void ReplaceSystemDocuments(provisioning::RunState& run, access::Connection& court,
                            access::Connection& catalogue, const DocumentTable& documents);

}  // namespace court::data

#endif  // COURT_DATA_SYSTEM_DOCUMENTS_H_
