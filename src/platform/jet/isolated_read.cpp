#include "platform/jet/isolated_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/access/error.h"
#include "platform/jet/mdb_file.h"
#include "platform/jet/table_stream.h"

namespace court::jet {
namespace {

// What a reading child sends.
constexpr char kDefinition = 'T';
constexpr char kRow = 'R';

// What the parent asks the child for: the definitions, or table i's rows as i + 1.
constexpr std::uint32_t kDefinitions = 0;

// A message that does not decode: the reader was not itself.
template <typename Decode>
auto Decoded(const std::filesystem::path& path, Decode decode) {
  try {
    return decode();
  } catch (const std::invalid_argument& error) {
    throw access::Error(kDamagedFile, DamagedFileText(path, error.what()));
  }
}

}  // namespace

IsolatedJetFile::IsolatedJetFile(const std::filesystem::path& path, ReadLimits limits) : path_(path) {
  CheckJetFile(path);  // missing or plainly not a Jet file: said without a child
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
    if (fd_ >= 0) ::close(fd_);
    throw access::Error(kFileNotFound, "Could not find file '" + path.string() + "'.");
  }
  // The child reads the file through this process's descriptor, so a file
  // put in its place since is not mixed in. It opens the file afresh for
  // each request (a few pages), so that a read that failed half-way leaves
  // libmdb nothing to trip over in the next.
  const std::string own = "/proc/self/fd/" + std::to_string(fd_);
  child_.emplace(path, static_cast<std::uintmax_t>(status.st_size), limits,
                 [own, path](std::uint32_t request, MessageSender& out) { Serve(MdbFile(own, path), request, out); });
  try {
    Ask(kDefinitions, [this](char kind, std::string_view bytes) {
      if (kind != kDefinition) throw std::invalid_argument("table stream: a row where a table was due");
      tables_.push_back(DefinitionFromBytes(bytes));
    });
  } catch (...) {
    child_.reset();
    ::close(fd_);
    throw;
  }
}

IsolatedJetFile::~IsolatedJetFile() {
  child_.reset();
  ::close(fd_);
}

// Runs in the child. A table is asked for by its place in the file's list
// of tables, which the child reads in the same order as the definitions.
void IsolatedJetFile::Serve(const MdbFile& file, std::uint32_t request, MessageSender& out) {
  const std::vector<std::string> names = file.TableNames();
  std::string bytes;
  if (request == kDefinitions) {
    for (const std::string& name : names) {
      bytes.clear();
      AppendDefinition(file.Definition(name), bytes);
      out.Send(kDefinition, bytes);
    }
    return;
  }
  file.ReadRows(names.at(request - 1), [&](access::Row&& read) {
    bytes.clear();
    AppendRow(read, bytes);
    out.Send(kRow, bytes);
  });
}

void IsolatedJetFile::Ask(std::uint32_t request, const MessageHandler& handle) {
  child_->Ask(request, [&](char kind, std::string_view bytes) {
    Decoded(path_, [&] {
      handle(kind, bytes);
      return 0;
    });
  });
}

void IsolatedJetFile::ReadRows(std::size_t index, const std::function<void(access::Row&&)>& row) {
  const Table& table = tables_.at(index);
  Ask(static_cast<std::uint32_t>(index + 1), [&](char kind, std::string_view bytes) {
    if (kind != kRow) throw std::invalid_argument("table stream: a table where a row was due");
    row(RowFromBytes(bytes, table.columns.size()));
  });
}

std::vector<Table> ReadTablesIsolated(const std::filesystem::path& path, ReadLimits limits) {
  IsolatedJetFile file(path, limits);
  std::vector<Table> tables = file.tables();
  for (std::size_t i = 0; i < tables.size(); ++i)
    file.ReadRows(i, [&](access::Row&& row) { tables[i].rows.push_back(std::move(row)); });
  return tables;
}

}  // namespace court::jet
