// JSON texts into the catalogue's JSON form: parsed with the form's limits,
// converted to tables, checked and written as a Jet file, as court-catalogue
// build does. std::invalid_argument and access::Error are the answers for
// bad input; any other exception, a crash or a sanitizer report is a fault.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/access/error.h"
#include "platform/jet/database_writer.h"
#include "platform/jet/json_form.h"
#include "platform/jet/table_checks.h"
#include "tests/support/temp_dir.h"

namespace {

const std::filesystem::path& OutputFile() {
  // One file for every input of a run, removed with its folder at the end.
  static const court::testing::TempDir folder;
  static const std::filesystem::path file = folder.path() / "written.mdb";
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  try {
    const auto tables = court::jet::TablesFromJson(court::jet::ParseJsonForm(in, "input"));
    court::jet::CheckTables(tables);
    court::jet::WriteDatabase(tables, OutputFile());
  } catch (const std::invalid_argument&) {
  } catch (const court::access::Error&) {
  }
  std::error_code ignored;
  std::filesystem::remove(OutputFile(), ignored);
  return 0;
}
