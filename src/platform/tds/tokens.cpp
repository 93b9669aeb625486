#include "platform/tds/tokens.h"

namespace court::tds {

namespace {

enum Token : std::uint8_t {
  kColMetadata = 0x81,
  kReturnStatus = 0x79,
  kError = 0xAA,
  kInfo = 0xAB,
  kReturnValue = 0xAC,
  kLoginAck = 0xAD,
  kRow = 0xD1,
  kEnvChange = 0xE3,
};

enum ColumnFlags : std::uint16_t { kNullable = 0x0001, kUpdatableUnknown = 0x0010 };

}  // namespace

TokenWriter::TokenWriter(Bytes& out, std::uint32_t tds_version, const CodePage& code_page, std::string server_name)
    : out_(out), version_(tds_version), code_page_(code_page), server_name_(std::move(server_name)) {}

void TokenWriter::LoginAck() {
  out_.U8(kLoginAck);
  const std::size_t at = out_.size();
  out_.U16(0);
  out_.U8(1);  // the client's SQL is Transact-SQL
  out_.U32Be(version_);
  out_.BVarChar(kServerProgram);
  out_.Raw("\x08\x00\x07\xF7", 4);  // 8.0.2039
  out_.PatchU16(at, static_cast<std::uint16_t>(out_.size() - at - 2));
}

void TokenWriter::Environment(EnvChange type, const std::string& now, const std::string& before) {
  out_.U8(kEnvChange);
  const std::size_t at = out_.size();
  out_.U16(0);
  out_.U8(type);
  out_.BVarChar(now);
  out_.BVarChar(before);
  out_.PatchU16(at, static_cast<std::uint16_t>(out_.size() - at - 2));
}

void TokenWriter::CollationChange() {
  if (!with_collation()) return;
  out_.U8(kEnvChange);
  out_.U16(1 + 1 + sizeof kCollation + 1);
  out_.U8(kEnvCollation);
  out_.U8(sizeof kCollation);
  out_.Raw(kCollation, sizeof kCollation);
  out_.U8(0);
}

void TokenWriter::Message(const access::Error& message, const std::string& procedure, int line) {
  out_.U8(message.severity() > 10 ? kError : kInfo);
  const std::size_t at = out_.size();
  out_.U16(0);
  out_.U32(static_cast<std::uint32_t>(message.number()));
  out_.U8(static_cast<std::uint8_t>(message.state()));
  out_.U8(static_cast<std::uint8_t>(message.severity()));
  std::string text = message.description();
  // The text's length field counts UTF-16 units in two bytes.
  if (text.size() > 4000) text.resize(4000);
  out_.UsVarChar(text);
  out_.BVarChar(server_name_);
  out_.BVarChar(procedure);
  if (version_ >= 0x72000000) out_.U32(static_cast<std::uint32_t>(line));
  else out_.U16(static_cast<std::uint16_t>(line));
  out_.PatchU16(at, static_cast<std::uint16_t>(out_.size() - at - 2));
}

void TokenWriter::Done(DoneToken token, std::uint16_t status, long long rows, std::uint16_t command) {
  out_.U8(token);
  out_.U16(status);
  out_.U16(command);
  if (version_ >= 0x72000000) out_.U64(static_cast<std::uint64_t>(rows));
  else out_.U32(static_cast<std::uint32_t>(rows));
}

void TokenWriter::ReturnStatus(std::int32_t status) {
  out_.U8(kReturnStatus);
  out_.U32(static_cast<std::uint32_t>(status));
}

void TokenWriter::ReturnValue(std::uint16_t ordinal, const std::string& name, const WireType& type,
                              const access::Value& value) {
  out_.U8(kReturnValue);
  out_.U16(ordinal);
  out_.BVarChar(name);
  out_.U8(1);  // an output parameter
  out_.U16(0);  // user type
  out_.U16(kNullable);
  WriteTypeInfo(out_, type, with_collation(), false);
  WriteValue(out_, type, value, code_page_);
}

void TokenWriter::Results(const access::ResultSet& result,
                          const std::vector<std::optional<mssql::SqlType>>& types) {
  const std::size_t width = result.columns.size();
  std::vector<WireType> wire;
  wire.reserve(width);
  for (std::size_t i = 0; i < width; ++i)
    wire.push_back(ColumnWireType(i < types.size() ? types[i] : std::nullopt, result, i, code_page_));
  out_.U8(kColMetadata);
  out_.U16(static_cast<std::uint16_t>(width));
  for (std::size_t i = 0; i < width; ++i) {
    out_.U16(0);  // user type
    out_.U16(kNullable | kUpdatableUnknown);
    WriteTypeInfo(out_, wire[i], with_collation(), true);
    out_.BVarChar(result.columns[i].name);
  }
  for (const access::Row& row : result.rows) {
    out_.U8(kRow);
    for (std::size_t i = 0; i < width; ++i) WriteValue(out_, wire[i], row[i], code_page_);
  }
}

}  // namespace court::tds
