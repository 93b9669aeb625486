// One step's statements as one transaction, so that a run stopped in the
// middle of the step (killed, power cut, disk full) leaves the step either
// done or not begun, and the next run redoes it from the start.
//
// The brackets go through the step's own connection, which must carry every
// write of the step: a write through another connection to the same
// database would wait for this transaction. They reach the transcript as
// kind "transaction"; the step's own statements keep their texts.

#ifndef COURT_PROVISIONING_STEP_TRANSACTION_H_
#define COURT_PROVISIONING_STEP_TRANSACTION_H_

#include "platform/access/connection.h"

namespace court::provisioning {

inline constexpr char kTransactionKind[] = "transaction";

// Runs step between BEGIN TRANSACTION and COMMIT TRANSACTION on connection.
// When step fails, the transaction is rolled back and the failure passes on.
template <typename Step>
void InTransaction(access::Connection& connection, Step step) {
  connection.Execute("BEGIN TRANSACTION", kTransactionKind);
  try {
    step();
  } catch (...) {
    try {
      connection.Execute("ROLLBACK TRANSACTION", kTransactionKind);
    } catch (const std::exception&) {
      // The server may have ended the transaction already; the step's own
      // failure is the one to report.
    }
    throw;
  }
  connection.Execute("COMMIT TRANSACTION", kTransactionKind);
}

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_STEP_TRANSACTION_H_
