// Bytes as a table.mdb, read in this process the way the reading child reads
// one: the checks of the file's size and header, the catalogue, then every
// user table's rows through libmdb and this project's row decoder. A Jet or
// damaged-file error (access::Error) is the answer for a bad file; any other
// exception, a crash or a sanitizer report is a fault. libmdb itself is not
// built with the sanitizers, so a fault it makes shows only as a crash.


#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/access/error.h"
#include "platform/jet/mdb_file.h"
#include "tests/support/temp_dir.h"

namespace {

const std::filesystem::path& InputFile() {
  // One file for every input of a run, removed with its folder at the end.
  static const court::testing::TempDir folder;
  static const std::filesystem::path file = folder.path() / "input.mdb";
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ofstream(InputFile(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    court::jet::MdbFile file(InputFile());
    court::jet::ReadAllTables(file);
  } catch (const court::access::Error&) {
  }
  std::error_code ignored;
  std::filesystem::remove(InputFile(), ignored);
  return 0;
}
