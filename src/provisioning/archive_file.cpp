#include "provisioning/archive_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <nlohmann/json.hpp>

#include "platform/access/base64.h"
#include "platform/access/calendar.h"
#include "platform/access/error.h"
#include "platform/access/number_text.h"
#include "provisioning/run_folder.h"

namespace court::provisioning {
namespace {

constexpr int kPathFileAccessError = 75;

// A JSON string, escaped as the transcript escapes its texts.
std::string JsonText(std::string_view text) {
  return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonValue(const access::Value& value) {
  switch (value.type()) {
    case access::ValueType::kNull: return "null";
    case access::ValueType::kInteger: return std::to_string(value.integer());
    case access::ValueType::kFloat: return access::ShortestText(value.floating());
    case access::ValueType::kCurrency: return access::CurrencyText(value.money());
    case access::ValueType::kDecimal: return access::DecimalText(value.decimal());
    case access::ValueType::kText: return JsonText(value.text());
    case access::ValueType::kDateTime: return JsonText(access::DateTimeText(value.date(), access::Milliseconds::kAlways));
    case access::ValueType::kBoolean: return value.boolean() ? "true" : "false";
    case access::ValueType::kBinary: return JsonText(access::EncodeBase64(value.binary()));
  }
  return "null";
}

access::Error CannotWrite(const std::filesystem::path& path, int error) {
  return access::Error(kPathFileAccessError, "Cannot write the archive of removed rows '" + path.string() +
                                                 "' (" + std::strerror(error) +
                                                 "); nothing was deleted. Free the folder (or give --log-dir) "
                                                 "and run again.");
}

std::string ArchiveLine(std::string_view database, std::string_view table, std::string_view reason,
                        const std::vector<access::ColumnInfo>& columns, const access::Row& row) {
  std::string line = "{\"database\":" + JsonText(database) + ",\"table\":" + JsonText(table) +
                     ",\"reason\":" + JsonText(reason) + ",\"row\":{";
  for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i)
    line += (i ? "," : "") + JsonText(columns[i].name) + ":" + JsonValue(row[i]);
  return line + "}}\n";
}

}  // namespace

void ArchiveFile::Create() {
  std::error_code error;
  std::filesystem::create_directories(root_, error);
  const std::string folder = UnusedFolderName(stamp_, [this](const std::string& name) {
    std::error_code ignored;
    return std::filesystem::exists(root_ / name, ignored);
  });
  if (error || !std::filesystem::create_directory(root_ / folder, error))
    throw CannotWrite(root_ / folder / "archive.jsonl", error.value() ? error.value() : EEXIST);
  path_ = root_ / folder / "archive.jsonl";
}

void ArchiveFile::Keep(std::string_view database, std::string_view table, std::string_view reason,
                       const access::ResultSet& rows) {
  if (rows.rows.empty()) return;
  if (path_.empty()) Create();
  std::string text;
  for (const access::Row& row : rows.rows) text += ArchiveLine(database, table, reason, rows.columns, row);
  const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                 ::fsync(fd) == 0;
  const int error = errno;
  if (fd >= 0) written = ::close(fd) == 0 && written;
  if (!written) throw CannotWrite(path_, error);
}

}  // namespace court::provisioning
