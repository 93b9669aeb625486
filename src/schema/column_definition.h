// Column definitions: how one catalogue column is declared to SQL Server.
//
// One routine serves table creation and table alteration. Creation uses the
// whole definition with the column's constraint clauses; alteration puts its
// own joint and the bare column name in front of the declaration.

#ifndef COURT_SCHEMA_COLUMN_DEFINITION_H_
#define COURT_SCHEMA_COLUMN_DEFINITION_H_

#include <string>
#include <string_view>

#include "schema/catalogue.h"

namespace court::schema {

// ALTER COLUMN cannot make a column an identity column, so its declaration
// never carries the identity clause, whatever the flag says.
enum class IdentityUse { kAsFlagged, kIgnored };

struct ColumnTexts {
  // From the type clause on: type, length, then the identity clause or the
  // collation and nullability clauses.
  std::string declaration;
  // "[name]" followed by the declaration, as CREATE TABLE lists it.
  std::string definition;
  // The clustered key named after the table; empty unless an identity column.
  std::string primary_key;
  // The named DEFAULT constraint; empty when the column has no default.
  std::string default_clause;
};

// What a column's default is called, as a constraint made with the table or as
// a default object bound later: DF_<table>_<column>.
std::string DefaultName(std::string_view table, std::string_view column);

ColumnTexts DefineColumn(const CatalogueColumn& column, std::string_view table,
                         IdentityUse identity_use = IdentityUse::kAsFlagged);

}  // namespace court::schema

#endif  // COURT_SCHEMA_COLUMN_DEFINITION_H_
