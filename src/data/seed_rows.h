// The two default lists every court starts with. Each is seeded only while
// the court has none of it, so the court's own edits are never overwritten
// and a repeated refresh never doubles them.

#ifndef COURT_DATA_SEED_ROWS_H_
#define COURT_DATA_SEED_ROWS_H_

#include "platform/access/connection.h"

namespace court::data {

// The 17 case-number prefixes: 常用数据 rows named 字号.
void SeedCaseNumberPrefixes(access::Connection& court);

// The 13 divisions of 法庭概况.
void SeedCourtDivisions(access::Connection& court);

}  // namespace court::data

#endif  // COURT_DATA_SEED_ROWS_H_
