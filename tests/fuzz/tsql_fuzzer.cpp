// T-SQL batches into the parser and the code generator: each batch of the
// input (scripts split at GO lines, as the conformance scripts are) is parsed
// under both settings of QUOTED_IDENTIFIER, and every query in it is compiled
// against master of a fresh embedded server and prepared by SQLite. Nothing is
// run, so nothing is written. A server error (access::Error) is an answer;
// any other exception, a crash or a sanitizer report is a fault.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/access/error.h"
#include "platform/mssql/catalog.h"
#include "platform/mssql/compiler.h"
#include "platform/mssql/parser.h"
#include "platform/mssql/server.h"
#include "platform/mssql/sqlite_db.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace court::mssql;

struct Master {
  std::filesystem::path root;
  std::unique_ptr<Server> server;
  std::unique_ptr<SqliteDb> db;
  std::unique_ptr<Catalog> catalog;
};

Master& TheMaster() {
  // The server stays open to the end of the run; its folder goes then.
  static const court::testing::TempDir folder;
  static Master* master = [] {
    auto* m = new Master;
    m->root = folder.path();
    m->server = std::make_unique<Server>(m->root);
    m->db = std::make_unique<SqliteDb>(m->server->MasterFile(), false);
    m->catalog = std::make_unique<Catalog>(*m->db, "main", true);
    return m;
  }();
  return *master;
}

std::vector<std::string_view> Batches(std::string_view text) {
  std::vector<std::string_view> batches;
  std::size_t start = 0, line = 0;
  while (line <= text.size()) {
    std::size_t end = text.find('\n', line);
    if (end == std::string_view::npos) end = text.size();
    std::string_view bare = text.substr(line, end - line);
    if (!bare.empty() && bare.back() == '\r') bare.remove_suffix(1);
    if (bare == "GO") {
      batches.push_back(text.substr(start, line - start));
      start = end + 1;
    }
    line = end + 1;
  }
  if (start < text.size()) batches.push_back(text.substr(start));
  return batches;
}

void Compile(const Select& select) {
  Master& master = TheMaster();
  CompileEnv env;
  env.current = master.catalog.get();
  env.master = master.catalog.get();
  env.database = "master";
  env.variable = [](const std::string&) -> Variable* { return nullptr; };
  env.system_variable = [](const std::string&) { return court::access::Value(); };
  Compiler compiler(env);
  const CompiledQuery query = compiler.CompileSelect(select);
  master.db->Prepare(query.sql);  // the SQL written must be SQL SQLite takes
}

// Compiles the queries of a statement, those of nested blocks included.
void CompileQueries(const Statement& statement) {
  if (const auto* select = std::get_if<SelectStmt>(&statement.node)) Compile(*select->select);
  if (const auto* block = std::get_if<BlockStmt>(&statement.node))
    for (const StatementPtr& inner : block->statements) CompileQueries(*inner);
  if (const auto* branch = std::get_if<IfStmt>(&statement.node)) {
    if (branch->then_branch) CompileQueries(*branch->then_branch);
    if (branch->else_branch) CompileQueries(*branch->else_branch);
  }
  if (const auto* loop = std::get_if<WhileStmt>(&statement.node); loop && loop->body) CompileQueries(*loop->body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view batch : Batches(text)) {
    for (bool quoted_identifier : {true, false}) {
      try {
        for (const StatementPtr& statement : ParseBatch(batch, quoted_identifier)) CompileQueries(*statement);
      } catch (const court::access::Error&) {
      }
    }
  }
  return 0;
}
