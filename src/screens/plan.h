// The plan of a run: what an installation run would do to the server, read
// from the writes of a rehearsal of that run (plan_recorder.h).
//
// Every list keeps the order in which the run does its work, so one server
// and one catalogue always give the same plan. Names are the server's and
// the catalogue's own (Chinese names as they are).

#ifndef COURT_SCREENS_PLAN_H_
#define COURT_SCREENS_PLAN_H_

#include <optional>
#include <string>
#include <vector>

#include "screens/plan_recorder.h"

namespace court::screens {

struct Plan {
  struct Database {
    std::string name, data_file;  // data_file: the Windows path CREATE DATABASE names
  };
  struct Table {
    std::string database, table;
  };
  struct Column {
    std::string database, table, column;
    std::string change;  // "add", "alter" or "default" (a default bound to it)
    std::string before;  // the definition now: empty unless altered
    std::string after;   // the definition sent, or the default's expression
  };
  struct Rows {
    std::string table;
    long long deleted = 0, inserted = 0;
  };
  struct Duplicates {
    std::string table;
    long long rows = 0;
  };
  struct Constraint {
    std::string table, name;
    std::string condition{};     // empty for a dropped one
    long long rows_deleted = 0;  // rows removed because they break the condition
  };
  struct Grants {
    std::string database;
    long long objects = 0;  // views, tables, system tables and procedures granted all rights
  };

  std::string outcome;  // what the main screen would say at the end
  // What the run was rehearsed on, and what such a rehearsal cannot foresee.
  std::string rehearsed_on;
  std::vector<std::string> cannot_foresee;
  std::vector<Database> databases;
  std::vector<Table> tables;
  std::vector<Column> columns;
  std::vector<Rows> reference_data;  // reference data refreshed and rows seeded
  std::optional<long long> release;  // the release number recorded, when an upgrade is due
  std::vector<std::string> views;
  std::vector<Duplicates> duplicates;
  std::vector<Constraint> dropped_constraints, added_constraints;
  std::string login;                  // the service login, when the run makes sure of it
  std::vector<std::string> server_roles;
  std::vector<Grants> grants;
};

// What the writes did, in their order. The outcome is left to the caller.
Plan PlanOf(const std::vector<Write>& writes);

}  // namespace court::screens

#endif  // COURT_SCREENS_PLAN_H_
