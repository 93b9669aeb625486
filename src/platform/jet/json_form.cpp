#include "platform/jet/json_form.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "platform/access/base64.h"
#include "platform/access/calendar.h"
#include "platform/jet/database_writer.h"
#include "platform/jet/date_text.h"
#include "platform/text/utf8.h"

namespace court::jet {
namespace {

using access::Value;
using Json = nlohmann::ordered_json;

[[noreturn]] void Fail(const std::string& where, const std::string& problem) {
  throw std::invalid_argument(where + ": " + problem);
}

constexpr int kMaxNesting = 16;        // the form itself needs 4
constexpr std::size_t kMaxShown = 60;  // characters of a faulty value an error shows

// A faulty value as an error shows it: its start, not all of it.
std::string Shown(const Json& value) {
  if (value.is_structured()) return value.is_array() ? "a list" : "an object";
  std::string text = value.dump();
  if (text.size() <= kMaxShown) return text;
  return std::string(text::CutAtBoundary(text, kMaxShown)) + "...";
}

// A whole number within [low, high]; Fail otherwise.
std::int64_t WholeIn(const Json& value, std::int64_t low, std::int64_t high, const std::string& where,
                     const std::string& what) {
  const bool fits = value.is_number_integer() &&
                    !(value.is_number_unsigned() &&
                      value.get<std::uint64_t>() > static_cast<std::uint64_t>(high)) &&
                    value.get<std::int64_t>() >= low && value.get<std::int64_t>() <= high;
  if (!fits)
    Fail(where, what + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                    ", got " + Shown(value));
  return value.get<std::int64_t>();
}

const Json& Member(const Json& object, const char* key, const std::string& where) {
  if (!object.is_object() || !object.contains(key)) Fail(where, std::string("\"") + key + "\" is missing");
  return object.at(key);
}

std::string StringMember(const Json& object, const char* key, const std::string& where) {
  const Json& value = Member(object, key, where);
  if (!value.is_string()) Fail(where, std::string("\"") + key + "\" must be a string");
  return value.get<std::string>();
}

Column ColumnFromJson(const Json& entry, const std::string& where) {
  Column column;
  column.name = StringMember(entry, "name", where);
  const std::string at = where + ", column '" + column.name + "'";
  const std::string type = StringMember(entry, "type", at);
  auto parsed = ParseTypeName(type);
  if (!parsed) Fail(at, "unknown type \"" + type + "\"");
  column.type = *parsed;
  if (column.type == ColumnType::kText) {
    column.size = static_cast<int>(WholeIn(Member(entry, "size", at), 1, 255, at, "\"size\""));
  }
  return column;
}

Value ValueFromJson(const Json& json, const Column& column, const std::string& where) {
  if (json.is_null()) return Value();
  auto expect = [&](bool ok, const char* what) {
    if (!ok) Fail(where, std::string("expected ") + what + " for a " + std::string(TypeName(column.type)) +
                             " column, got " + Shown(json));
  };
  switch (column.type) {
    case ColumnType::kBoolean:
      expect(json.is_boolean(), "true or false");
      return Value::Boolean(json.get<bool>());
    case ColumnType::kByte:
    case ColumnType::kInteger:
    case ColumnType::kLong:
      // The type's own range is checked with the tables; this keeps a huge
      // unsigned number from wrapping round into it.
      expect(json.is_number_integer(), "a whole number");
      return Value::Integer(WholeIn(json, std::numeric_limits<std::int64_t>::min(),
                                    std::numeric_limits<std::int64_t>::max(), where, "a value"));
    case ColumnType::kCurrency: {
      // Ten-thousandths in 64 bits: about 922 trillion either way.
      constexpr double kMostCurrency = 922337203685477.0;
      expect(json.is_number(), "a number");
      const double units = json.get<double>();
      expect(units >= -kMostCurrency && units <= kMostCurrency, "a number within +-922337203685477");
      if (json.is_number_integer()) return Value::Money({json.get<std::int64_t>() * 10000});
      return Value::Money({std::llround(units * 10000)});
    }
    case ColumnType::kSingle:
      expect(json.is_number() && std::fabs(json.get<double>()) <= std::numeric_limits<float>::max(),
             "a number within the range of a single");
      return Value::Float(json.get<double>());
    case ColumnType::kDouble:
      expect(json.is_number(), "a number");
      return Value::Float(json.get<double>());
    case ColumnType::kDateTime: {
      expect(json.is_string(), "a date text \"YYYY-MM-DD HH:MM:SS\"");
      auto date = ParseDate(json.get<std::string>());
      expect(date.has_value(), "a date text \"YYYY-MM-DD HH:MM:SS\"");
      return Value::Date(*date);
    }
    case ColumnType::kText:
    case ColumnType::kMemo:
      expect(json.is_string(), "a string");
      return Value::Text(json.get<std::string>());
    case ColumnType::kOle: {
      expect(json.is_string(), "a base64 string");
      auto bytes = access::DecodeBase64(json.get<std::string>());
      expect(bytes.has_value(), "a base64 string");
      return Value::Binary(std::move(*bytes));
    }
  }
  return Value();
}

Table TableFromJson(Json& entry, std::size_t index) {
  Table table;
  table.name = StringMember(entry, "name", "table " + std::to_string(index + 1));
  const std::string where = "table '" + table.name + "'";
  const Json& columns = Member(entry, "columns", where);
  if (!columns.is_array()) Fail(where, "\"columns\" must be a list");
  for (const Json& column : columns) table.columns.push_back(ColumnFromJson(column, where));
  if (!entry.contains("rows")) return table;
  Json& rows = entry.at("rows");
  if (!rows.is_array()) Fail(where, "\"rows\" must be a list");
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::string at_row = where + ", row " + std::to_string(r + 1);
    if (!rows[r].is_array()) Fail(at_row, "a row must be a list of values");
    if (rows[r].size() != table.columns.size())
      Fail(at_row, std::to_string(rows[r].size()) + " values for " + std::to_string(table.columns.size()) + " columns");
    access::Row row;
    for (std::size_t c = 0; c < table.columns.size(); ++c)
      row.push_back(ValueFromJson(rows[r][c], table.columns[c],
                                  where + ", column '" + table.columns[c].name + "', row " + std::to_string(r + 1)));
    table.rows.push_back(std::move(row));
    rows[r] = nullptr;
  }
  return table;
}

Json ValueToJson(const Value& value, ColumnType type) {
  switch (value.type()) {
    case access::ValueType::kNull: return nullptr;
    case access::ValueType::kInteger: return value.integer();
    case access::ValueType::kFloat:
      return type == ColumnType::kSingle ? SingleAsDecimal(static_cast<float>(value.floating())) : value.floating();
    case access::ValueType::kCurrency: return static_cast<double>(value.money().ten_thousandths) / 10000;
    case access::ValueType::kDecimal: return std::strtod(value.ToText().c_str(), nullptr);
    case access::ValueType::kText: return value.text();
    case access::ValueType::kDateTime: return access::DateTimeText(value.date(), access::Milliseconds::kWhenAny);
    case access::ValueType::kBoolean: return value.boolean();
    case access::ValueType::kBinary: return access::EncodeBase64(value.binary());
  }
  return nullptr;
}

Json TableToJson(const Table& table) {
  Json columns = Json::array();
  for (const Column& column : table.columns) {
    Json entry = {{"name", column.name}, {"type", TypeName(column.type)}};
    if (column.type == ColumnType::kText) entry["size"] = column.size;
    columns.push_back(std::move(entry));
  }
  Json rows = Json::array();
  for (const access::Row& row : table.rows) {
    Json values = Json::array();
    for (std::size_t c = 0; c < row.size(); ++c) values.push_back(ValueToJson(row[c], table.columns[c].type));
    rows.push_back(std::move(values));
  }
  return {{"name", table.name}, {"columns", std::move(columns)}, {"rows", std::move(rows)}};
}

}  // namespace

Json ParseJsonForm(std::istream& in, const std::string& name) {
  auto limit_depth = [&name](int depth, Json::parse_event_t, Json&) {
    if (depth > kMaxNesting)
      throw std::invalid_argument("'" + name + "' nests deeper than " + std::to_string(kMaxNesting) +
                                  " levels, which the JSON form never does");
    return true;
  };
  try {
    return Json::parse(in, limit_depth);
  } catch (const nlohmann::json::parse_error& error) {
    std::string what = error.what();
    if (what.size() > 200) what = what.substr(0, 200) + "...";
    throw std::invalid_argument("'" + name + "' is not valid JSON: " + what);
  }
}

std::vector<Table> TablesFromJson(Json document) {
  Member(document, "tables", "the document");
  Json& tables = document.at("tables");
  if (!tables.is_array()) Fail("the document", "\"tables\" must be a list");
  std::vector<Table> result;
  for (std::size_t i = 0; i < tables.size(); ++i) result.push_back(TableFromJson(tables[i], i));
  return result;
}

Json TablesToJson(const std::vector<Table>& tables) {
  Json list = Json::array();
  for (const Table& table : tables) list.push_back(TableToJson(table));
  return {{"tables", std::move(list)}};
}

JsonFormPrinter::JsonFormPrinter(std::ostream& out) : out_(out) { out_ << "{\"tables\": ["; }

void JsonFormPrinter::Print(const Table& table) {
  const Json json = TableToJson(table);
  // Each item on its own line, indented under its list.
  auto print_list = [&](const Json& items) {
    out_ << "[";
    for (std::size_t i = 0; i < items.size(); ++i) out_ << (i ? ",\n   " : "\n   ") << items[i].dump();
    out_ << "]";
  };
  out_ << (first_ ? "\n" : ",\n") << " {\"name\": " << json["name"].dump() << ",\n  \"columns\": ";
  print_list(json["columns"]);
  out_ << ",\n  \"rows\": ";
  print_list(json["rows"]);
  out_ << "}";
  first_ = false;
}

void JsonFormPrinter::Finish() { out_ << "\n]}\n"; }

void WriteDatabaseFromJson(Json document, const std::filesystem::path& path) {
  WriteDatabase(TablesFromJson(std::move(document)), path);
}

}  // namespace court::jet
