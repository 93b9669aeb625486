// Connection: one ADO-style connection object.
//
// Opened with a connection string, it executes statements directly and is
// the active connection of record sets. A Connection is a value that owns
// its session: assigning a new Connection to a variable releases (and so
// closes) the one it held, as ADO does when a variable gets a new object.

#ifndef COURT_PLATFORM_ACCESS_CONNECTION_H_
#define COURT_PLATFORM_ACCESS_CONNECTION_H_

#include <memory>
#include <string>
#include <string_view>

#include "platform/access/data_sources.h"
#include "platform/access/driver.h"

namespace court::access {

class Connection {
 public:
  explicit Connection(const DataSources& sources) : sources_(&sources) {}
  Connection(Connection&&) = default;
  Connection& operator=(Connection&&) = default;

  // Opens on a connection string (user and password empty, options
  // unspecified). Fails with 3705 when already open.
  void Open(std::string_view connection_string);

  // Executes a statement (or batch) that returns no rows the caller reads.
  // kind: how the transcript names it; the installer's own statements are
  // "execute", statements it adds around them have kinds of their own
  // ("transaction", "marker").
  void Execute(std::string_view sql, std::string_view kind = "execute");
  // The first result of a query sent under a kind of its own.
  ResultSet Query(std::string_view sql, std::string_view kind);

  void Close();
  bool is_open() const { return session_ != nullptr; }

  // For Recordset: the live session and how the transcript names it.
  Session& session();
  const std::string& target() const { return target_; }
  const DataSources& sources() const { return *sources_; }

 private:
  const DataSources* sources_;
  std::unique_ptr<Session> session_;
  std::string target_;
};

// Runs one traced call: records it in the transcript (if any) as ok or with
// the error's description, and lets the error pass on unchanged.
template <typename Call>
auto Traced(const Connection& connection, std::string_view kind, std::string_view sql, Call call) {
  Transcript* transcript = connection.sources().transcript;
  try {
    if constexpr (std::is_void_v<decltype(call())>) {
      call();
      if (transcript) transcript->Record(connection.target(), kind, sql, true);
    } else {
      auto result = call();
      if (transcript) transcript->Record(connection.target(), kind, sql, true);
      return result;
    }
  } catch (const std::exception& e) {
    if (transcript) transcript->Record(connection.target(), kind, sql, false, e.what());
    throw;
  }
}

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_CONNECTION_H_
