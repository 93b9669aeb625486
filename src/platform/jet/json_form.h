// The JSON form of a Jet database, as court-catalogue builds and dumps it:
//
//   {"tables": [{"name": "表名",
//                "columns": [{"name": "id", "type": "long"},
//                            {"name": "name", "type": "text", "size": 50}],
//                "rows": [[1, "案由"], [2, null]]}]}
//
// Values by type: byte/integer/long whole numbers; single/double/currency
// numbers; datetime "YYYY-MM-DD HH:MM:SS" (".mmm" added when the time has
// milliseconds); boolean true/false; text/memo strings; ole base64 strings;
// null for NULL. Order of tables, columns and rows is kept both ways.

#ifndef COURT_PLATFORM_JET_JSON_FORM_H_
#define COURT_PLATFORM_JET_JSON_FORM_H_

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/jet/table.h"

namespace court::jet {

// Parses the JSON text of the form. Throws std::invalid_argument naming
// `name` when the text is not JSON or nests deeper than the form ever does.
nlohmann::ordered_json ParseJsonForm(std::istream& in, const std::string& name);

// Throws std::invalid_argument naming the table, column and row of a value
// of the wrong kind or a malformed table or column entry. Takes the document
// by value and frees each row once converted, so a large catalogue is not
// held twice.
std::vector<Table> TablesFromJson(nlohmann::ordered_json document);

nlohmann::ordered_json TablesToJson(const std::vector<Table>& tables);

// Prints the JSON form for people and version control, one line per column
// and per row, one table at a time so that a large file is never held whole.
class JsonFormPrinter {
 public:
  explicit JsonFormPrinter(std::ostream& out);
  void Print(const Table& table);
  void Finish();

 private:
  std::ostream& out_;
  bool first_ = true;
};

// Writes the database the JSON form describes (for tests and tools that
// need a catalogue file). Errors as TablesFromJson and WriteDatabase.
void WriteDatabaseFromJson(nlohmann::ordered_json document, const std::filesystem::path& path);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_JSON_FORM_H_
