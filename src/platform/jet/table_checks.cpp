#include "platform/jet/table_checks.h"

#include <set>
#include <stdexcept>

#include "platform/jet/text_fold.h"
#include "platform/text/utf8.h"

namespace court::jet {
namespace {

constexpr std::size_t kMaxNameLength = 64;
constexpr std::size_t kMaxColumns = 255;
constexpr std::size_t kMaxLongValue = 0xFFFFFF;  // a long value's length has 24 bits

[[noreturn]] void Fail(const std::string& where, const std::string& problem) {
  throw std::invalid_argument(where + ": " + problem);
}

void CheckName(const std::string& name, const std::string& where) {
  std::u32string characters = text::DecodeUtf8(name);
  if (characters.empty()) Fail(where, "the name is empty");
  if (characters.size() > kMaxNameLength) Fail(where, "the name is longer than 64 characters");
  if (characters.front() == U' ') Fail(where, "the name starts with a blank");
  for (char32_t c : characters)
    if (c < 0x20 || c == U'.' || c == U'!' || c == U'[' || c == U']' || c == U'`')
      Fail(where, "the name contains a character Jet does not allow (. ! [ ] ` or a control character)");
    else if (c > 0xFFFF)
      Fail(where, "the name contains a character beyond U+FFFF, which Jet names cannot hold");
}

void CheckUnique(std::set<std::u32string>& seen, const std::string& name, const std::string& where) {
  if (!seen.insert(FoldCase(name)).second) Fail(where, "the name is used twice (letter case aside)");
}

void CheckText(const std::string& text, const Column& column, const std::string& where) {
  std::u32string characters = text::DecodeUtf8(text);
  if (!characters.empty() && characters.front() == 0xFEFF)
    Fail(where, "the text starts with U+FEFF, which Jet readers take for a compression mark");
  for (char32_t c : characters)
    if (c > 0xFFFF) Fail(where, "the text has a character outside the Basic Multilingual Plane");
  if (column.type == ColumnType::kText && characters.size() > static_cast<std::size_t>(column.size))
    Fail(where, "the text has " + std::to_string(characters.size()) +
                    " characters, more than the column's size " + std::to_string(column.size));
  if (column.type == ColumnType::kMemo && 2 * characters.size() > kMaxLongValue)
    Fail(where, "the memo is longer than Jet can store");
}

void CheckRange(std::int64_t value, std::int64_t low, std::int64_t high, const std::string& where) {
  if (value < low || value > high)
    Fail(where, std::to_string(value) + " is outside " + std::to_string(low) + ".." + std::to_string(high));
}

void CheckValue(const access::Value& value, const Column& column, const std::string& where) {
  if (value.is_null()) {
    if (column.type == ColumnType::kBoolean) Fail(where, "a boolean cannot be null");
    return;
  }
  if (value.type() != ValueTypeOf(column.type))
    Fail(where, "a " + std::string(access::TypeName(value.type())) + " value in a " +
                    std::string(TypeName(column.type)) + " column");
  switch (column.type) {
    case ColumnType::kByte: CheckRange(value.integer(), 0, 255, where); break;
    case ColumnType::kInteger: CheckRange(value.integer(), -32768, 32767, where); break;
    case ColumnType::kLong: CheckRange(value.integer(), INT32_MIN, INT32_MAX, where); break;
    case ColumnType::kDateTime: CheckRange(value.date().year, 100, 9999, where); break;
    case ColumnType::kText:
    case ColumnType::kMemo: CheckText(value.text(), column, where); break;
    case ColumnType::kOle:
      if (value.binary().size() > kMaxLongValue) Fail(where, "the OLE value is 16 MiB or larger");
      break;
    default: break;
  }
}

void CheckTable(const Table& table) {
  const std::string where = "table '" + table.name + "'";
  CheckName(table.name, where);
  if (FoldCase(table.name).starts_with(U"msys")) Fail(where, "names starting with MSys are Jet's own");
  if (table.columns.empty()) Fail(where, "a table needs at least one column");
  if (table.columns.size() > kMaxColumns) Fail(where, "more than 255 columns");
  std::set<std::u32string> names;
  for (const Column& column : table.columns) {
    const std::string at = where + ", column '" + column.name + "'";
    CheckName(column.name, at);
    CheckUnique(names, column.name, at);
    if (column.type == ColumnType::kText && (column.size < 1 || column.size > 255))
      Fail(at, "a text size must be 1..255");
  }
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    const access::Row& row = table.rows[r];
    const std::string at_row = where + ", row " + std::to_string(r + 1);
    if (row.size() != table.columns.size())
      Fail(at_row, std::to_string(row.size()) + " values for " + std::to_string(table.columns.size()) + " columns");
    for (std::size_t c = 0; c < row.size(); ++c)
      CheckValue(row[c], table.columns[c], where + ", column '" + table.columns[c].name + "', row " + std::to_string(r + 1));
  }
}

}  // namespace

void CheckTables(const std::vector<Table>& tables) {
  std::set<std::u32string> names;
  for (const Table& table : tables) {
    CheckTable(table);
    CheckUnique(names, table.name, "table '" + table.name + "'");
  }
}

}  // namespace court::jet
