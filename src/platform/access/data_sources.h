// Where connection strings lead.
//
// The installer knows only ADO connection strings. DataSources tells the
// data-access layer which driver answers each kind: SQLOLEDB strings go to
// the configured server driver, the Jet string to the catalogue driver with
// the catalogue file. It also carries the transcript, if one is kept.

#ifndef COURT_PLATFORM_ACCESS_DATA_SOURCES_H_
#define COURT_PLATFORM_ACCESS_DATA_SOURCES_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/access/driver.h"
#include "platform/access/transcript.h"

namespace court::access {

struct DataSources {
  Driver* server = nullptr;     // answers "Provider=SQLOLEDB.1;..." strings
  Driver* catalogue = nullptr;  // answers "Provider=Microsoft.Jet.OLEDB.4.0;..." strings
  // The file behind the Jet string's "Data Source= table.mdb": when empty,
  // the named file is taken from the working directory.
  std::filesystem::path catalogue_file;
  Transcript* transcript = nullptr;  // optional
};

// What a connection string asks for.
struct ConnectionTarget {
  Driver* driver;
  std::string database;  // what the driver connects to (database name or file path)
  std::string label;     // transcript target: the database name, or "catalogue"
};

// Parses one of the installer's connection strings. Throws access::Error for
// a string of an unknown provider or a provider without a driver here.
ConnectionTarget Resolve(const DataSources& sources, std::string_view connection_string);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_DATA_SOURCES_H_
