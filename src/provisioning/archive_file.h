// The archive of removed rows: every row the run deletes on its own account
// (rows breaking a catalogue CHECK constraint, surplus duplicate reference
// rows) is written here, whole, before it is deleted, so an administrator
// can see and put back what the installer took away.
//
// One JSON object per line, in the order the rows were deleted:
//   {"database":"法院","table":"案由","reason":"check constraint 案由3_ck",
//    "row":{"案由编号":12,"案由":"...","金额":12.5,"日期":"2026-12-06 23:05:00.000","图":"<base64>"}}
// Columns in the table's order; integers, floating and currency numbers as
// exact JSON numbers, bit as true/false, datetime as "YYYY-MM-DD
// HH:MM:SS.mmm", binary as base64, null as null.
//
// The file is <root>/<run folder>/archive.jsonl (run_folder.h), made when
// the first row comes: a run that removes nothing leaves nothing behind.

#ifndef COURT_PROVISIONING_ARCHIVE_FILE_H_
#define COURT_PROVISIONING_ARCHIVE_FILE_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/access/driver.h"

namespace court::provisioning {

class ArchiveFile {
 public:
  ArchiveFile() = default;  // keeps nothing: for runs of the steps outside the installer
  ArchiveFile(std::filesystem::path root, std::string stamp) : root_(std::move(root)), stamp_(std::move(stamp)) {}

  bool keeps() const { return !root_.empty(); }
  // Empty until the first row is kept.
  const std::filesystem::path& path() const { return path_; }

  // Appends one line per row and has them on disk before it returns. Throws
  // access::Error naming the file and the cause when they cannot be written.
  void Keep(std::string_view database, std::string_view table, std::string_view reason,
            const access::ResultSet& rows);

 private:
  void Create();

  std::filesystem::path root_;
  std::string stamp_;
  std::filesystem::path path_;
};

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_ARCHIVE_FILE_H_
