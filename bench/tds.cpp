// bench_tds [ROWS]
//
// court-server as a client sees it, through FreeTDS's ODBC driver (unixODBC)
// over loopback; the server runs as a child process on a free port.
//   - point SELECTs by key through one connection, prepared once
//     (round trips per second);
//   - ROWS (default 100,000) autocommitted single-row INSERTs over TDS, then
//     the same statements in-process through the engine (ratio);
//   - 32 connections at once doing point SELECTs, then 32 connections at once
//     inserting into one table (total throughput).
// Beside wall-clock rates it prints the processor time the server spent per
// request, which a busy machine distorts far less than round-trip times.

#include <sql.h>
#include <sqlext.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/count_argument.h"
#include "bench/cpu_time.h"
#include "platform/mssql/embedded_driver.h"
#include "tests/support/server_process.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kKeys = 10000;         // rows the point SELECTs choose from
constexpr int kConnections = 32;
constexpr double kSelectSeconds = 3;  // how long each SELECT phase runs

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Processor seconds (user and system, all threads) a process has used so far.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t at = text.rfind(')');  // fields 14 and 15 follow the name; it may hold spaces
  std::vector<std::string> fields;
  std::string field;
  for (std::size_t i = at + 2; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ') {
      fields.push_back(field);
      field.clear();
    } else {
      field += text[i];
    }
  }
  return (std::stod(fields.at(11)) + std::stod(fields.at(12))) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string CreateTable(const std::string& name) {
  return "CREATE TABLE " + name +
         " (id int NOT NULL PRIMARY KEY, name varchar(50) NULL, note nvarchar(50) NULL, "
         "at datetime NULL, amount money NULL)";
}

std::string Insert(const std::string& table, int i) {
  const std::string n = std::to_string(i);
  return "INSERT INTO " + table + " (id, name, note, at, amount) VALUES (" + n + ", 'name " + n + "', N'说明" + n +
         "', '20061030 12:00:00', " + n + ".25)";
}

// One ODBC connection to the server, in autocommit mode.
class Connection {
 public:
  Connection(SQLHENV env, int port) {
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc_);
    const std::string dsn = "DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=" + std::to_string(port) + ";UID=sa;PWD=" +
                            court::testing::kSaPassword + ";DATABASE=bench;TDS_Version=7.1;ClientCharset=UTF-8";
    Check(SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)dsn.c_str(), SQL_NTS, nullptr, 0, nullptr,
                           SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc_, "connect");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
  }
  ~Connection() {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  }

  void Execute(const std::string& sql) {
    Check(SQLExecDirect(stmt_, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_HANDLE_STMT, stmt_, sql);
    while (SQLMoreResults(stmt_) == SQL_SUCCESS) {
    }
    SQLFreeStmt(stmt_, SQL_CLOSE);
  }

  // Prepares "SELECT ... WHERE id = ?" with its key bound to key_.
  void PrepareLookup() {
    Check(SQLPrepare(stmt_, (SQLCHAR*)"SELECT name, amount FROM rows_in WHERE id = ?", SQL_NTS), SQL_HANDLE_STMT,
          stmt_, "prepare");
    Check(SQLBindParameter(stmt_, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &key_, 0, nullptr),
          SQL_HANDLE_STMT, stmt_, "bind");
  }

  // Runs the prepared lookup for one key; false when no row came back.
  bool Lookup(int key) {
    key_ = key;
    Check(SQLExecute(stmt_), SQL_HANDLE_STMT, stmt_, "execute");
    char name[64];
    SQLLEN length;
    bool found = false;
    // Reading the reply to its end spares the client a cancel before the next request.
    while (SQLFetch(stmt_) == SQL_SUCCESS)
      found = SQL_SUCCEEDED(SQLGetData(stmt_, 1, SQL_C_CHAR, name, sizeof name, &length));
    while (SQLMoreResults(stmt_) == SQL_SUCCESS) {
    }
    SQLFreeStmt(stmt_, SQL_CLOSE);
    return found;
  }

 private:
  static void Check(SQLRETURN rc, SQLSMALLINT kind, SQLHANDLE handle, const std::string& what) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
    SQLCHAR state[6] = "", text[512] = "";
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(kind, handle, 1, state, &native, text, sizeof text, &length);
    throw std::runtime_error(what.substr(0, 80) + ": [" + reinterpret_cast<char*>(state) + "] " +
                             reinterpret_cast<char*>(text));
  }

  SQLHDBC dbc_ = nullptr;
  SQLHSTMT stmt_ = nullptr;
  SQLINTEGER key_ = 0;
};

// Lookups on one connection until `seconds` pass; returns how many ran.
long Lookups(Connection& c, int seed, double seconds) {
  c.PrepareLookup();
  long done = 0;
  const auto start = Clock::now();
  unsigned key = static_cast<unsigned>(seed) * 7919u;
  while ((done & 63) != 0 || Seconds(start) < seconds) {  // the clock is read every 64 lookups
    key = key * 1103515245u + 12345u;
    if (!c.Lookup(static_cast<int>(key % kKeys))) throw std::runtime_error("a key was not found");
    ++done;
  }
  return done;
}

// Runs body(connection, index) on every connection at once, each in a thread.
template <typename Body>
void AllAtOnce(std::vector<std::unique_ptr<Connection>>& connections, Body body) {
  std::vector<std::thread> threads;
  std::atomic<bool> failed = false;
  for (std::size_t i = 0; i < connections.size(); ++i)
    threads.emplace_back([&, i] {
      try {
        body(*connections[i], static_cast<int>(i));
      } catch (const std::exception& e) {
        std::fprintf(stderr, "connection %zu: %s\n", i, e.what());
        failed = true;
      }
    });
  for (std::thread& t : threads) t.join();
  if (failed) throw std::runtime_error("a connection failed");
}

struct Spent {
  double wall, cpu;
};

Spent InProcessInserts(const fs::path& root, int rows) {
  court::mssql::EmbeddedDriver driver(root);
  driver.Open("master")->Execute("CREATE DATABASE bench");
  auto session = driver.Open("bench");
  session->Execute(CreateTable("rows_out"));
  const auto start = Clock::now();
  const double cpu = court::bench::CpuSeconds();
  for (int i = 0; i < rows; ++i) session->Execute(Insert("rows_out", i));
  return {Seconds(start), court::bench::CpuSeconds() - cpu};
}

// What a phase cost: wall time and the server's processor time.
template <typename Body>
Spent Measure(pid_t server, Body body) {
  const auto start = Clock::now();
  const double cpu = CpuSeconds(server);
  body();
  return {Seconds(start), CpuSeconds(server) - cpu};
}

void Phases(SQLHENV env, const court::testing::ServerProcess& server, const fs::path& base, int rows) {
  Connection one(env, server.port());
  one.Execute(CreateTable("rows_in"));
  one.Execute(CreateTable("rows_out"));
  one.Execute(CreateTable("rows_all"));
  std::string keys = "SET NOCOUNT ON\n";
  for (int i = 0; i < kKeys; ++i) keys += Insert("rows_in", i) + "\n";
  one.Execute(keys);

  const pid_t pid = server.pid();
  long lookups = 0;
  Spent spent = Measure(pid, [&] { lookups = Lookups(one, 1, kSelectSeconds); });
  const auto one_count = static_cast<double>(lookups);
  std::printf("point SELECTs, 1 connection: %.0f /s (%ld in %.1f s), server %.1f us CPU each\n", one_count / spent.wall,
              lookups, spent.wall, spent.cpu * 1e6 / one_count);

  spent = Measure(pid, [&] {
    for (int i = 0; i < rows; ++i) one.Execute(Insert("rows_out", i));
  });
  const Spent local = InProcessInserts(base / "local", rows);
  std::printf("%d INSERTs: TDS %.3f s (%.1f us each, server %.1f us CPU), in-process %.3f s (%.1f us each, "
              "%.1f us CPU), ratio %.2f (CPU %.2f)\n",
              rows, spent.wall, spent.wall * 1e6 / rows, spent.cpu * 1e6 / rows, local.wall, local.wall * 1e6 / rows,
              local.cpu * 1e6 / rows, spent.wall / local.wall, spent.cpu / local.cpu);

  std::vector<std::unique_ptr<Connection>> many;
  for (int i = 0; i < kConnections; ++i) many.push_back(std::make_unique<Connection>(env, server.port()));
  std::atomic<long> total = 0;
  spent = Measure(pid, [&] {
    AllAtOnce(many, [&](Connection& c, int i) { total += Lookups(c, i + 2, kSelectSeconds); });
  });
  std::printf("point SELECTs, %d connections: %.0f /s in all (%ld in %.1f s), server %.1f us CPU each\n",
              kConnections, static_cast<double>(total) / spent.wall, total.load(), spent.wall,
              spent.cpu * 1e6 / static_cast<double>(total));

  const int each = std::max(1, rows / 10 / kConnections);
  spent = Measure(pid, [&] {
    AllAtOnce(many, [&](Connection& c, int i) {
      for (int k = 0; k < each; ++k) c.Execute(Insert("rows_all", i * each + k));
    });
  });
  std::printf("INSERTs, %d connections: %.0f /s in all (%d in %.1f s), server %.1f us CPU each\n", kConnections,
              kConnections * each / spent.wall, kConnections * each, spent.wall,
              spent.cpu * 1e6 / (kConnections * each));

}

int Run(int rows) {
  const fs::path base = fs::temp_directory_path() / ("court-tds-bench-" + std::to_string(getpid()));
  fs::remove_all(base);
  fs::create_directories(base / "server");
  fs::create_directories(base / "local");
  // The connections name their database: it exists before the server starts.
  court::mssql::EmbeddedDriver(base / "server").Open("master")->Execute("CREATE DATABASE bench");
  court::testing::ServerProcess server(base / "server");
  SQLHENV env = nullptr;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  Phases(env, server, base, rows);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  server.Stop();
  fs::remove_all(base);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(court::bench::OptionalCount(argc, argv, 100000, "bench_tds [ROWS]"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_tds: %s\n", e.what());
    return 1;
  }
}
