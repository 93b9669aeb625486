// Readers of Jet files that this project did not write, for checking the
// project's own reader and writer against: mdbtools' command-line tools and
// the npm package mdb-reader (run with node).

#ifndef COURT_TESTS_PLATFORM_JET_ORACLES_H_
#define COURT_TESTS_PLATFORM_JET_ORACLES_H_

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace court::jet::testing {

// Standard output of an mdbtools program and its arguments, run in a UTF-8
// locale (mdbtools converts names and text to the locale's charset).
std::string MdbTool(const std::vector<std::string>& argv);

// The user tables mdb-tables lists.
std::vector<std::string> MdbTables(const std::string& file);

// The rows (header excluded) mdb-export prints for a table, binary as hex,
// dates as "YYYY-MM-DD HH:MM:SS". A null and an empty text both print "".
std::vector<std::vector<std::string>> MdbExport(const std::string& file, const std::string& table);

// Each column of a table as mdb-schema declares it: name and type text
// ("Long Integer", "Text (50)", "Memo/Hyperlink (255)", ...).
std::vector<std::pair<std::string, std::string>> MdbSchema(const std::string& file, const std::string& table);

// The tables as mdb-reader returns them (see oracle/read-mdb.mjs), or
// nothing with `why` set when node or npm is missing. Installs mdb-reader
// into the build folder the first time.
std::optional<nlohmann::json> MdbReader(const std::string& file, std::string* why);

}  // namespace court::jet::testing

#endif  // COURT_TESTS_PLATFORM_JET_ORACLES_H_
