#include "platform/mssql/collation.h"

#include <cctype>
#include <string>

#include "platform/mssql/convert.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/sql_type.h"

namespace court::mssql {

namespace {

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// ASCII letters only, whatever the process's locale: the collation orders
// every other byte as it is.
int Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// One UTF-8 character starting at i; advances i.
std::u32string::value_type NextChar(std::string_view s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return static_cast<char32_t>(Fold(c));
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
  char32_t cp = c & (0x3F >> extra);
  for (int k = 0; k < extra && i < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  // Full-width ASCII equals its narrow form (width-insensitive).
  if (cp >= 0xFF01 && cp <= 0xFF5E) cp = static_cast<char32_t>(std::tolower(static_cast<int>(cp - 0xFEE0)));
  return cp;
}

std::u32string Decode(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) out += NextChar(s, i);
  return out;
}

class LikeMatcher {
 public:
  LikeMatcher(std::u32string pattern, std::u32string value, char32_t escape)
      : p_(std::move(pattern)), v_(std::move(value)), escape_(escape) {}

  bool Match() { return MatchAt(0, 0); }

 private:
  bool MatchAt(std::size_t pi, std::size_t vi) {
    while (pi < p_.size()) {
      char32_t c = p_[pi];
      if (c == escape_ && pi + 1 < p_.size()) {
        if (vi >= v_.size() || v_[vi] != p_[pi + 1]) return false;
        pi += 2;
        ++vi;
      } else if (c == U'%') {
        while (pi < p_.size() && p_[pi] == U'%') ++pi;
        if (pi == p_.size()) return true;
        for (std::size_t k = vi; k <= v_.size(); ++k)
          if (MatchAt(pi, k)) return true;
        return false;
      } else if (c == U'_') {
        if (vi >= v_.size()) return false;
        ++pi;
        ++vi;
      } else if (c == U'[') {
        std::size_t close = p_.find(U']', pi + 1);
        if (close == std::u32string::npos) {  // a lone [ is literal
          if (vi >= v_.size() || v_[vi] != c) return false;
          ++pi;
          ++vi;
          continue;
        }
        if (vi >= v_.size() || !InSet(pi + 1, close, v_[vi])) return false;
        pi = close + 1;
        ++vi;
      } else {
        if (vi >= v_.size() || v_[vi] != c) return false;
        ++pi;
        ++vi;
      }
    }
    return vi == v_.size();
  }

  bool InSet(std::size_t begin, std::size_t end, char32_t ch) const {
    bool negate = begin < end && p_[begin] == U'^';
    if (negate) ++begin;
    bool found = false;
    for (std::size_t i = begin; i < end; ++i) {
      if (i + 2 < end && p_[i + 1] == U'-') {
        if (ch >= p_[i] && ch <= p_[i + 2]) found = true;
        i += 2;
      } else if (p_[i] == ch) {
        found = true;
      }
    }
    return found != negate;
  }

  std::u32string p_, v_;
  char32_t escape_;
};

std::string_view TextArg(sqlite3_value* v) {
  const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void ResultText(sqlite3_context* ctx, const std::string& s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  return false;
}

int Collate(void*, int la, const void* a, int lb, const void* b) {
  return CompareCi(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(la)),
                   std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lb)));
}

void Like(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  int escape = -1;
  if (argc == 3) {
    std::string_view e = TextArg(argv[2]);
    if (!e.empty()) escape = static_cast<unsigned char>(e[0]);
  }
  // SQLite passes the pattern first.
  sqlite3_result_int(ctx, LikeMatch(TextArg(argv[0]), TextArg(argv[1]), escape));
}

void GetDate(sqlite3_context* ctx, int, sqlite3_value**) { ResultText(ctx, FormatDateTime(Now())); }

void Len(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, Utf16Length(TrimRight(TextArg(argv[0]))));
}

// datalength(value, unicode): bytes the value takes on the server; text
// counts in code page 936, or two bytes a character for Unicode types.
void DataLength(sqlite3_context* ctx, int, sqlite3_value** argv) {
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

// court_convert(value, xtype, length, precision, scale, unicode_source):
// the conversion of a value into a column or variable of that type.
void Convert(sqlite3_context* ctx, int, sqlite3_value** argv) {
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
    context->pending = e;
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

// court_divisor(x): x itself, unless it is zero, which no division or
// modulo of the server accepts.
void Divisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const int type = sqlite3_value_numeric_type(argv[0]);
  if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && sqlite3_value_double(argv[0]) == 0.0) {
    auto* context = static_cast<FunctionContext*>(sqlite3_user_data(ctx));
    context->pending = Message(8134, "Divide by zero error encountered.");
    return sqlite3_result_error(ctx, context->pending->what(), -1);
  }
  sqlite3_result_value(ctx, argv[0]);
}

void CharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  std::u32string needle = Decode(TextArg(argv[0])), hay = Decode(TextArg(argv[1]));
  std::size_t start = argc > 2 && sqlite3_value_int(argv[2]) > 1
                          ? static_cast<std::size_t>(sqlite3_value_int(argv[2]) - 1)
                          : 0;
  std::size_t at = hay.find(needle, start);
  sqlite3_result_int(ctx, at == std::u32string::npos ? 0 : static_cast<int>(at + 1));
}

}  // namespace

int CompareCi(std::string_view a, std::string_view b) {
  a = TrimRight(a);
  b = TrimRight(b);
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int ca = Fold(static_cast<unsigned char>(a[i])), cb = Fold(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool LikeMatch(std::string_view pattern, std::string_view value, int escape) {
  char32_t esc = escape < 0 ? static_cast<char32_t>(-1) : static_cast<char32_t>(std::tolower(escape));
  std::u32string p = Decode(pattern);
  if (LikeMatcher(p, Decode(TrimRight(value)), esc).Match()) return true;
  return TrimRight(value).size() != value.size() && LikeMatcher(p, Decode(value), esc).Match();
}

void RegisterServerFunctions(sqlite3* db, FunctionContext* context) {
  int utf8 = SQLITE_UTF8;
  sqlite3_create_collation(db, "CI", utf8, nullptr, Collate);
  sqlite3_create_function(db, "like", 2, utf8 | SQLITE_DETERMINISTIC, nullptr, Like, nullptr, nullptr);
  sqlite3_create_function(db, "like", 3, utf8 | SQLITE_DETERMINISTIC, nullptr, Like, nullptr, nullptr);
  sqlite3_create_function(db, "getdate", 0, utf8, nullptr, GetDate, nullptr, nullptr);
  sqlite3_create_function(db, "len", 1, utf8 | SQLITE_DETERMINISTIC, nullptr, Len, nullptr, nullptr);
  sqlite3_create_function(db, "charindex", 2, utf8 | SQLITE_DETERMINISTIC, nullptr, CharIndex, nullptr, nullptr);
  sqlite3_create_function(db, "charindex", 3, utf8 | SQLITE_DETERMINISTIC, nullptr, CharIndex, nullptr, nullptr);
  sqlite3_create_function(db, "datalength", 2, utf8 | SQLITE_DETERMINISTIC, nullptr, DataLength, nullptr, nullptr);
  sqlite3_create_function(db, "court_convert", 6, utf8 | SQLITE_DETERMINISTIC, context, Convert,
                          nullptr, nullptr);
  sqlite3_create_function(db, "court_divisor", 1, utf8 | SQLITE_DETERMINISTIC, context, Divisor, nullptr, nullptr);
}

}  // namespace court::mssql
