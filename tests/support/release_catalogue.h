// A release's table.mdb for the data-loading and upgrade tests, in court-catalogue's JSON
// form: 表名 and 字段 describing the court's reference tables (complete
// enough for the table synchronisation to create them), the same tables
// holding the shipped rows, and the version table 升级版本.

#ifndef COURT_TESTS_SUPPORT_RELEASE_CATALOGUE_H_
#define COURT_TESTS_SUPPORT_RELEASE_CATALOGUE_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/access/value.h"
#include "platform/access/base64.h"
#include "tests/support/installation.h"

namespace court::testing {

// One catalogue column: its SQL Server type as 字段 spells it.
struct ColumnSpec {
  std::string name;
  std::string type;  // int, smallint, varchar, datetime, float, money, bit, image
  int length = 0;    // for varchar; the server's byte length otherwise
  bool identity = false;
};

class ReleaseCatalogue {
 public:
  // The court's reference tables, with no shipped rows and no release number.
  ReleaseCatalogue();

  // Adds (or replaces) a table; its rows are given in column order.
  void DefineTable(const std::string& name, std::vector<ColumnSpec> columns);

  // The shipped rows of a table, one JSON array per row in column order;
  // binary values as base64 (see Base64).
  nlohmann::json& rows(const std::string& table) { return tables_.at(table).rows; }

  // Keeps the table's data but leaves it out of 表名 and 字段.
  void Unlist(const std::string& table) { tables_.at(table).listed = false; }

  nlohmann::json ToJson() const;

 private:
  struct Table {
    std::vector<ColumnSpec> columns;
    nlohmann::json rows = nlohmann::json::array();
    bool listed = true;
  };
  std::vector<std::string> order_;
  std::map<std::string, Table> tables_;
};

// A new embedded server with table.mdb written from catalogue and an empty
// court database 法院, its tables created by the table synchronisation.
std::unique_ptr<court::testing::Installation> InstallCourt(const ReleaseCatalogue& catalogue);

// count bytes of a repeating, position-dependent pattern seeded by seed.
access::Bytes Pattern(std::size_t count, unsigned seed);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_RELEASE_CATALOGUE_H_
