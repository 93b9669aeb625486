#include "platform/access/connection.h"

#include "platform/access/error.h"

namespace court::access {

void Connection::Open(std::string_view connection_string) {
  if (is_open()) throw Error(ado::kObjectOpen, "Operation is not allowed when the object is open.");
  ConnectionTarget target = Resolve(*sources_, connection_string);
  session_ = target.driver->Connect(target.database);
  target_ = target.label;
}

void Connection::Execute(std::string_view sql, std::string_view kind) {
  Session& live = session();
  Traced(*this, kind, sql, [&] { live.Execute(sql); });
}

ResultSet Connection::Query(std::string_view sql, std::string_view kind) {
  Session& live = session();
  return Traced(*this, kind, sql, [&] { return live.Query(sql); });
}

void Connection::Close() {
  if (!is_open()) throw Error(ado::kObjectClosed, "Operation is not allowed when the object is closed.");
  session_.reset();
}

Session& Connection::session() {
  if (!is_open()) throw Error(ado::kObjectClosed, "Operation is not allowed when the object is closed.");
  return *session_;
}

}  // namespace court::access
