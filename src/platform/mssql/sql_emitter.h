// The emitter: bound trees (bound_tree.h) to SQLite SQL.
//
// It only writes: every name was resolved and every type and conversion
// decided by the binder. Text comparisons run under the CI collation,
// variables and compared constants travel as bound parameters (numbered
// in the order they are written), conversions call court_convert, and
// money and decimal values are integer units of their scale, with exact
// arithmetic in court_ functions.
// The same bound tree always gives the same SQL text, which is what lets
// statements share one prepared statement.

#ifndef COURT_PLATFORM_MSSQL_SQL_EMITTER_H_
#define COURT_PLATFORM_MSSQL_SQL_EMITTER_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/mssql/bound_tree.h"

namespace court::mssql {

class SqlEmitter {
 public:
  // inline_only: write every value into the SQL, binding nothing (a view).
  explicit SqlEmitter(bool inline_only) : inline_only_(inline_only) {}

  std::string Expression(const BoundExpr& e);
  std::string Select(const BoundSelect& select);
  // The parameters the SQL written so far refers to, ?1 first.
  std::vector<access::Value>& params() { return params_; }

 private:
  // e's SQL in the stored form of a type of that scale (nothing: a plain
  // value), whatever e's own type.
  std::string As(const BoundExpr& e, std::optional<int> scale);
  std::string Binary(const BoundExpr& e);
  std::string Function(const BoundExpr& e);
  std::string ExactAverage(const BoundExpr& e, int scale);
  std::string ExactRound(const BoundExpr& e, int scale);
  std::string ObjectProperty(const BoundExpr& e);
  std::string Predicate(const BoundExpr& e);
  std::string InList(const BoundExpr& e);
  std::string Between(const BoundExpr& e);
  std::string Case(const BoundExpr& e);
  std::string Convert(const BoundExpr& e);
  std::string Select(const BoundSelect& select, const std::vector<OutputColumn>& shape);
  std::string From(const BoundSelect& select);
  std::string Bind(const access::Value& value, bool text);
  // A constant as a parameter that compares as SqlLiteral's text would, so
  // that statements differing only in their constants share one prepared
  // statement.
  std::string BindConstant(const access::Value& stored);

  bool inline_only_;
  std::vector<access::Value> params_;
};

// An SQLite literal for a stored value.
std::string SqlLiteral(const access::Value& stored);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SQL_EMITTER_H_
