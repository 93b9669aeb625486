// court-catalogue: author and inspect a release's table.mdb.
//
//   court-catalogue build IN.json OUT.mdb   writes a Jet 4 file from the JSON form
//   court-catalogue dump IN.mdb             prints the JSON form of a Jet 3 or 4 file
//
// Exit status: 0 done, 1 failed (the reason on standard error), 2 wrong usage.

#include <fstream>
#include <iostream>
#include <string>

#include "platform/jet/database_writer.h"
#include "platform/jet/json_form.h"
#include "platform/jet/isolated_read.h"

namespace {

constexpr int kUsageError = 2;

int Usage() {
  std::cerr << "usage: court-catalogue build IN.json OUT.mdb\n"
               "       court-catalogue dump IN.mdb\n";
  return kUsageError;
}

void Build(const std::string& in, const std::string& out) {
  std::ifstream input(in, std::ios::binary);
  if (!input) throw std::runtime_error("cannot read '" + in + "'");
  court::jet::WriteDatabaseFromJson(court::jet::ParseJsonForm(input, in), out);
}

void Dump(const std::string& in) {
  const std::vector<court::jet::Table> tables = court::jet::ReadTablesIsolated(in);  // a damaged file prints nothing
  court::jet::JsonFormPrinter printer(std::cout);
  for (const court::jet::Table& table : tables) printer.Print(table);
  printer.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (!((command == "build" && argc == 4) || (command == "dump" && argc == 3))) return Usage();
  try {
    if (command == "build") Build(argv[2], argv[3]);
    else Dump(argv[2]);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "court-catalogue: " << error.what() << "\n";
  }
  return 1;
}
