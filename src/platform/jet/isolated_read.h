// Reading a Jet file in a child process, so that a damaged file cannot take
// the reading program down with it.
//
// libmdb trusts the file: a damaged one can make it crash, loop for ever or
// allocate without end. The reads run in a child (see reading_child.h);
// whatever goes wrong in it becomes an access::Error naming the file, and
// the next read starts a new child.

#ifndef COURT_PLATFORM_JET_ISOLATED_READ_H_
#define COURT_PLATFORM_JET_ISOLATED_READ_H_

#include <filesystem>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/jet/reading_child.h"
#include "platform/jet/table.h"

namespace court::jet {

class MdbFile;

// A Jet file whose tables are read one at a time, when wanted.
class IsolatedJetFile {
 public:
  // Opens the file and reads the definitions of its user tables. Throws
  // access::Error (kFileNotFound, kUnrecognizedFormat, kDamagedFile) naming
  // the file.
  explicit IsolatedJetFile(const std::filesystem::path& path, ReadLimits limits = {});
  ~IsolatedJetFile();
  IsolatedJetFile(const IsolatedJetFile&) = delete;
  IsolatedJetFile& operator=(const IsolatedJetFile&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Every user table's name and columns, without rows, in catalogue order.
  const std::vector<Table>& tables() const { return tables_; }

  // Hands the rows of tables()[index] to `row` as they arrive. Throws as
  // the constructor, after the rows before a damaged one have been handed on.
  void ReadRows(std::size_t index, const std::function<void(access::Row&&)>& row);

 private:
  static void Serve(const MdbFile& file, std::uint32_t request, MessageSender& out);
  // Asks the child and hands the messages of its answer to `handle`; a
  // message that does not decode is a damaged file.
  void Ask(std::uint32_t request, const MessageHandler& handle);

  std::filesystem::path path_;
  int fd_ = -1;
  std::optional<ReadingChild> child_;
  std::vector<Table> tables_;
};

// Every user table of the file with its rows, in catalogue order. Throws as
// IsolatedJetFile.
std::vector<Table> ReadTablesIsolated(const std::filesystem::path& path, ReadLimits limits = {});

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_ISOLATED_READ_H_
