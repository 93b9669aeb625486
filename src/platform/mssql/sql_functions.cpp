#include "platform/mssql/sql_functions.h"

#include <string>
#include <string_view>

#include "platform/mssql/builtin_functions.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/sql_type.h"
#include "platform/text/trim.h"

namespace court::mssql {
namespace {

void ResultText(sqlite3_context* ctx, const std::string& s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

int Collate(void*, int la, const void* a, int lb, const void* b) {
  return CompareCi(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(la)),
                   std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lb)));
}

void Register(sqlite3* db, const SqliteFunction& f, FunctionContext* context) {
  const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
  for (int n = f.min_args; n <= f.max_args; ++n)
    sqlite3_create_function(db, f.name, n, flags, f.needs_context ? context : nullptr, f.implementation,
                            nullptr, nullptr);
}

}  // namespace

std::string_view TextArg(sqlite3_value* v) {
  const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  return false;
}

void RaiseError(sqlite3_context* ctx, access::Error error) {
  auto* context = static_cast<FunctionContext*>(sqlite3_user_data(ctx));
  context->pending = std::move(error);
  sqlite3_result_error(ctx, context->pending->what(), -1);
}

void RegisterServerFunctions(sqlite3* db, FunctionContext* context) {
  sqlite3_create_collation(db, "CI", SQLITE_UTF8, nullptr, Collate);
  for (const SqliteFunction& f : EngineHelperFunctions()) Register(db, f, context);
  for (const BuiltinFunction& f : BuiltinFunctions())
    if (f.sqlite.name != nullptr) Register(db, f.sqlite, context);
}

void SqlGetDate(sqlite3_context* ctx, int, sqlite3_value**) { ResultText(ctx, FormatDateTime(Now())); }

void SqlLen(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, Utf16Length(text::TrimRight(TextArg(argv[0]))));
}

void SqlDataLength(sqlite3_context* ctx, int, sqlite3_value** argv) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: return sqlite3_result_null(ctx);
    case SQLITE_TEXT: {
      std::string_view text = TextArg(argv[0]);
      return sqlite3_result_int(ctx, sqlite3_value_int(argv[1]) ? 2 * Utf16Length(text) : Cp936Length(text));
    }
    case SQLITE_INTEGER: return sqlite3_result_int(ctx, 4);
    case SQLITE_FLOAT: return sqlite3_result_int(ctx, 8);
    default: return sqlite3_result_int(ctx, sqlite3_value_bytes(argv[0]));
  }
}

void SqlConvert(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* context = static_cast<FunctionContext*>(sqlite3_user_data(ctx));
  access::Value v;
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: return sqlite3_result_null(ctx);
    case SQLITE_INTEGER: v = access::Value::Integer(sqlite3_value_int64(argv[0])); break;
    case SQLITE_FLOAT: v = access::Value::Float(sqlite3_value_double(argv[0])); break;
    case SQLITE_BLOB: {
      const auto* p = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
      v = access::Value::Binary(access::Bytes(p, p + sqlite3_value_bytes(argv[0])));
      break;
    }
    default: v = access::Value::Text(std::string(TextArg(argv[0])));
  }
  SqlType type = TypeFromCatalog(sqlite3_value_int(argv[1]), sqlite3_value_int(argv[2]),
                                 sqlite3_value_int(argv[3]), sqlite3_value_int(argv[4]));
  const int source_xtype = sqlite3_value_int(argv[6]);
  if (source_xtype != 0 && v.type() == access::ValueType::kInteger)
    v = FromStorage(v, TypeFromCatalog(source_xtype, 0, 0, sqlite3_value_int(argv[7])));
  try {
    access::Value stored = ToStorage(v, type, context->date_order, sqlite3_value_int(argv[5]) != 0);
    switch (stored.type()) {
      case access::ValueType::kNull: sqlite3_result_null(ctx); break;
      case access::ValueType::kInteger: sqlite3_result_int64(ctx, stored.integer()); break;
      case access::ValueType::kFloat: sqlite3_result_double(ctx, stored.floating()); break;
      case access::ValueType::kBinary:
        sqlite3_result_blob(ctx, stored.binary().data(), static_cast<int>(stored.binary().size()),
                            SQLITE_TRANSIENT);
        break;
      default: ResultText(ctx, stored.ToText());
    }
  } catch (const access::Error& e) {
    RaiseError(ctx, e);
  }
}

void SqlDivisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const int type = sqlite3_value_numeric_type(argv[0]);
  if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && sqlite3_value_double(argv[0]) == 0.0)
    return RaiseError(ctx, Message(Msg::kDivideByZero));
  sqlite3_result_value(ctx, argv[0]);
}

void SqlLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  int escape = -1;
  if (argc == 3) {
    std::string_view e = TextArg(argv[2]);
    if (!e.empty()) escape = static_cast<unsigned char>(e[0]);
  }
  sqlite3_result_int(ctx, LikeMatch(TextArg(argv[0]), TextArg(argv[1]), escape));
}

void SqlReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  ResultText(ctx, ReplaceCi(TextArg(argv[0]), TextArg(argv[1]), TextArg(argv[2])));
}

void SqlCharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const int start = argc > 2 ? sqlite3_value_int(argv[2]) : 1;
  sqlite3_result_int(ctx, FindCi(TextArg(argv[0]), TextArg(argv[1]), start));
}

}  // namespace court::mssql
