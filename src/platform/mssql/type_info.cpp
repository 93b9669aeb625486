#include "platform/mssql/type_info.h"

#include <algorithm>
#include <climits>

#include "platform/mssql/sql_type.h"

namespace court::mssql {

namespace {

using access::Value;

constexpr int N = INT_MIN;  // a null number

struct TypeInfoRow {
  const char* name;
  int data_type;
  int precision;
  const char* prefix;  // nullptr: null
  const char* suffix;
  const char* create_params;
  int nullable, searchable, unsigned_attribute, money, auto_increment;
  int minimum_scale, maximum_scale, sql_data_type, datetime_sub, radix, usertype;
};

constexpr int kOdbc3DateTime = 93;
constexpr int kOdbc2DateTime = 11;

// sp_datatype_info's rows, one per type, as an ODBC 3 client sees them; N
// marks a column that is null for the type.
constexpr TypeInfoRow kRows[] = {
    {"sql_variant", -150, 8000, nullptr, nullptr, nullptr, 1, 2, N, 0, N, 0, 0, -150, N, 10, 0},
    {"uniqueidentifier", -11, 36, "'", "'", nullptr, 1, 2, N, 0, N, N, N, -11, N, N, 0},
    {"ntext", -10, 1073741823, "N'", "'", nullptr, 1, 2, N, 0, N, N, N, -10, N, N, 0},
    {"nvarchar", -9, 4000, "N'", "'", "max length", 1, 3, N, 0, N, N, N, -9, N, N, 0},
    {"sysname", -9, 128, "N'", "'", nullptr, 0, 3, N, 0, N, N, N, -9, N, N, 18},
    {"nchar", -8, 4000, "N'", "'", "length", 1, 3, N, 0, N, N, N, -8, N, N, 0},
    {"bit", -7, 1, nullptr, nullptr, nullptr, 1, 2, N, 0, N, 0, 0, -7, N, N, 16},
    {"tinyint", -6, 3, nullptr, nullptr, nullptr, 1, 2, 1, 0, 0, 0, 0, -6, N, 10, 5},
    {"bigint", -5, 19, nullptr, nullptr, nullptr, 1, 2, 0, 0, 0, 0, 0, -5, N, 10, 0},
    {"image", -4, 2147483647, "0x", nullptr, nullptr, 1, 0, N, 0, N, N, N, -4, N, N, 20},
    {"varbinary", -3, 8000, "0x", nullptr, "max length", 1, 2, N, 0, N, N, N, -3, N, N, 4},
    {"binary", -2, 8000, "0x", nullptr, "length", 1, 2, N, 0, N, N, N, -2, N, N, 3},
    {"timestamp", -2, 8, "0x", nullptr, nullptr, 0, 2, N, 0, N, N, N, -2, N, N, 80},
    {"text", -1, 2147483647, "'", "'", nullptr, 1, 2, N, 0, N, N, N, -1, N, N, 19},
    {"char", 1, 8000, "'", "'", "length", 1, 3, N, 0, N, N, N, 1, N, N, 1},
    {"numeric", 2, 38, nullptr, nullptr, "precision,scale", 1, 2, 0, 0, 0, 0, 38, 2, N, 10, 10},
    {"decimal", 3, 38, nullptr, nullptr, "precision,scale", 1, 2, 0, 0, 0, 0, 38, 3, N, 10, 24},
    {"money", 3, 19, "$", nullptr, nullptr, 1, 2, 0, 1, 0, 4, 4, 3, N, 10, 11},
    {"smallmoney", 3, 10, "$", nullptr, nullptr, 1, 2, 0, 1, 0, 4, 4, 3, N, 10, 21},
    {"int", 4, 10, nullptr, nullptr, nullptr, 1, 2, 0, 0, 0, 0, 0, 4, N, 10, 7},
    {"smallint", 5, 5, nullptr, nullptr, nullptr, 1, 2, 0, 0, 0, 0, 0, 5, N, 10, 6},
    {"float", 6, 53, nullptr, nullptr, nullptr, 1, 2, 0, 0, 0, N, N, 6, N, 2, 8},
    {"real", 7, 24, nullptr, nullptr, nullptr, 1, 2, 0, 0, 0, N, N, 7, N, 2, 23},
    {"varchar", 12, 8000, "'", "'", "max length", 1, 3, N, 0, N, N, N, 12, N, N, 2},
    {"datetime", kOdbc3DateTime, 23, "'", "'", nullptr, 1, 3, N, 0, N, 3, 3, 9, 3, N, 12},
    {"smalldatetime", kOdbc3DateTime, 16, "'", "'", nullptr, 1, 3, N, 0, N, 0, 0, 9, 3, N, 22},
};

Value Number(int n) { return n == N ? Value() : Value::Integer(n); }
Value Text(const char* s) { return s == nullptr ? Value() : Value::Text(s); }

}  // namespace

// sp_datatype_info [data_type [, odbcver]]: the types the server offers,
// for ODBC's SQLGetTypeInfo. An ODBC 2 client knows datetime by its old
// code, 11, rather than 93. The rows come sorted by DATA_TYPE; types
// sharing one keep the order of kRows.
void DataTypeInfo(StatementContext& x, int data_type, int odbc_version) {
  const struct {
    const char* name;
    SqlType type;
  } columns[] = {
      {"TYPE_NAME", BuiltinType(TypeId::kSysname)},        {"DATA_TYPE", BuiltinType(TypeId::kSmallint)},
      {"PRECISION", BuiltinType(TypeId::kInt)},            {"LITERAL_PREFIX", BuiltinType(TypeId::kVarchar, 32)},
      {"LITERAL_SUFFIX", BuiltinType(TypeId::kVarchar, 32)}, {"CREATE_PARAMS", BuiltinType(TypeId::kVarchar, 32)},
      {"NULLABLE", BuiltinType(TypeId::kSmallint)},        {"CASE_SENSITIVE", BuiltinType(TypeId::kSmallint)},
      {"SEARCHABLE", BuiltinType(TypeId::kSmallint)},      {"UNSIGNED_ATTRIBUTE", BuiltinType(TypeId::kSmallint)},
      {"MONEY", BuiltinType(TypeId::kSmallint)},           {"AUTO_INCREMENT", BuiltinType(TypeId::kSmallint)},
      {"LOCAL_TYPE_NAME", BuiltinType(TypeId::kSysname)},  {"MINIMUM_SCALE", BuiltinType(TypeId::kSmallint)},
      {"MAXIMUM_SCALE", BuiltinType(TypeId::kSmallint)},   {"SQL_DATA_TYPE", BuiltinType(TypeId::kSmallint)},
      {"SQL_DATETIME_SUB", BuiltinType(TypeId::kSmallint)}, {"NUM_PREC_RADIX", BuiltinType(TypeId::kInt)},
      {"INTERVAL_PRECISION", BuiltinType(TypeId::kSmallint)}, {"USERTYPE", BuiltinType(TypeId::kSmallint)},
  };
  access::ResultSet result;
  std::vector<std::optional<SqlType>>& types = x.result().column_types.emplace_back();
  for (const auto& c : columns) {
    result.columns.push_back({c.name, c.type.ValueKind(), ""});
    types.push_back(c.type);
  }
  std::vector<TypeInfoRow> rows(std::begin(kRows), std::end(kRows));
  for (TypeInfoRow& r : rows)
    if (r.data_type == kOdbc3DateTime && odbc_version < 3) r.data_type = kOdbc2DateTime;
  std::stable_sort(rows.begin(), rows.end(),
                   [](const TypeInfoRow& a, const TypeInfoRow& b) { return a.data_type < b.data_type; });
  for (const TypeInfoRow& r : rows) {
    if (data_type != 0 && r.data_type != data_type) continue;
    // Every type compares without regard to case in this server's collation.
    result.rows.push_back({Value::Text(r.name), Value::Integer(r.data_type), Number(r.precision), Text(r.prefix),
                           Text(r.suffix), Text(r.create_params), Number(r.nullable), Value::Integer(0),
                           Number(r.searchable), Number(r.unsigned_attribute), Number(r.money),
                           Number(r.auto_increment), Value::Text(r.name), Number(r.minimum_scale),
                           Number(r.maximum_scale), Number(r.sql_data_type), Number(r.datetime_sub),
                           Number(r.radix), Value(), Number(r.usertype)});
  }
  x.session().row_count = static_cast<long long>(result.rows.size());
  x.result().results.push_back(std::move(result));
}

}  // namespace court::mssql
