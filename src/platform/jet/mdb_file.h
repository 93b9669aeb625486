// Reading a Jet 3 or Jet 4 database file through mdbtools' libmdb.
//
// libmdb formats values as display text; this reader takes the raw field
// bytes instead, so that every value comes back exact and typed (currency to
// the ten-thousandth, dates before 1900, OLE bytes, empty text apart from
// null). Only user tables are visible.

#ifndef COURT_PLATFORM_JET_MDB_FILE_H_
#define COURT_PLATFORM_JET_MDB_FILE_H_

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/jet/table.h"

namespace court::jet {

// Error numbers of Jet for a file that cannot be opened.
inline constexpr int kFileNotFound = 3024;     // "Could not find file '<path>'."
inline constexpr int kUnrecognizedFormat = 3343;  // "Unrecognized database format '<path>'."
inline constexpr int kDamagedFile = 3049;         // a Jet file whose content does not hold together

// "The file '<path>' is damaged: <what>."
std::string DamagedFileText(const std::filesystem::path& path, const std::string& what);

// Checks what can be checked without libmdb: the file exists (kFileNotFound),
// starts like a Jet 3 or 4 file (kUnrecognizedFormat) and is a whole number
// of pages (kDamagedFile). Messages call the file `name` (by default its path).
void CheckJetFile(const std::filesystem::path& path, const std::filesystem::path& name = {});

class MdbFile {
 public:
  // Throws access::Error naming the file when it is missing or not a Jet
  // database. Messages call the file `name`, by default its path: a reader
  // given the file as /proc/self/fd/N names it as the user knows it.
  explicit MdbFile(const std::filesystem::path& path, const std::filesystem::path& name = {});
  ~MdbFile();
  MdbFile(const MdbFile&) = delete;
  MdbFile& operator=(const MdbFile&) = delete;

  // The user tables, in catalogue order.
  std::vector<std::string> TableNames() const;

  // One table with its columns and all its rows. Throws access::Error for a
  // table that does not exist or has a column type this project does not use,
  // and kDamagedFile when its rows do not hold together (fewer rows than the
  // table definition counts, a field outside its page).
  Table ReadTable(const std::string& name) const;

  // The table's name and columns, without its rows. Errors as ReadTable, but
  // rows are not looked at.
  Table Definition(const std::string& name) const;

  // Hands the table's rows to `row` one at a time, in file order, so that a
  // table is never held whole. Errors as ReadTable; rows before a damaged
  // one have been handed on by then.
  void ReadRows(const std::string& name, const std::function<void(access::Row&&)>& row) const;

 private:
  struct Handle;  // libmdb's open file
  // The table's place in handle_->tables; throws for a table not in the file.
  std::size_t Find(const std::string& name) const;

  std::filesystem::path name_;
  std::unique_ptr<Handle> handle_;
};

// Every user table of the file, in catalogue order.
std::vector<Table> ReadAllTables(const MdbFile& file);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_MDB_FILE_H_
