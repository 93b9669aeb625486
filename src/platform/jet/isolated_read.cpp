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

IsolatedJetFile::IsolatedJetFile(const std::filesystem::path& path, ReadLimits limits)
    : path_(path), limits_(limits) {
  CheckJetFile(path);  // missing or plainly not a Jet file: said without a child
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
    if (fd_ >= 0) ::close(fd_);
    throw access::Error(kFileNotFound, "Could not find file '" + path.string() + "'.");
  }
  size_ = static_cast<std::uintmax_t>(status.st_size);
  try {
    InChild(
        [](const MdbFile& file, MessageSender& out) {
          for (const std::string& name : file.TableNames()) {
            std::string bytes;
            AppendDefinition(file.Definition(name), bytes);
            out.Send(kDefinition, bytes);
          }
        },
        [this](char kind, std::string_view bytes) {
          if (kind != kDefinition) throw std::invalid_argument("table stream: a row where a table was due");
          tables_.push_back(DefinitionFromBytes(bytes));
        });
  } catch (...) {
    ::close(fd_);
    throw;
  }
}

IsolatedJetFile::~IsolatedJetFile() { ::close(fd_); }

void IsolatedJetFile::InChild(const std::function<void(const MdbFile&, MessageSender&)>& read,
                              const MessageHandler& handle) const {
  const std::string own = "/proc/self/fd/" + std::to_string(fd_);
  RunReadingChild(
      path_, size_, limits_, [&](MessageSender& out) { read(MdbFile(own, path_), out); },
      [&](char kind, std::string_view bytes) {
        Decoded(path_, [&] {
          handle(kind, bytes);
          return 0;
        });
      });
}

void IsolatedJetFile::ReadRows(std::size_t index, const std::function<void(access::Row&&)>& row) const {
  const Table& table = tables_.at(index);
  InChild(
      [&table](const MdbFile& file, MessageSender& out) {
        std::string bytes;
        file.ReadRows(table.name, [&](access::Row&& read) {
          bytes.clear();
          AppendRow(read, bytes);
          out.Send(kRow, bytes);
        });
      },
      [&](char kind, std::string_view bytes) {
        if (kind != kRow) throw std::invalid_argument("table stream: a table where a row was due");
        row(RowFromBytes(bytes, table.columns.size()));
      });
}

std::vector<Table> ReadTablesIsolated(const std::filesystem::path& path, ReadLimits limits) {
  const IsolatedJetFile file(path, limits);
  std::vector<Table> tables = file.tables();
  for (std::size_t i = 0; i < tables.size(); ++i)
    file.ReadRows(i, [&](access::Row&& row) { tables[i].rows.push_back(std::move(row)); });
  return tables;
}

}  // namespace court::jet
